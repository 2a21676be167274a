#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <cstdint>

namespace digitrace {

// One change to a job. A journal is a header line and then one line per entry:
//
//   <tag>[ <field>...]*<CRC-32 of everything before the '*', 8 hex digits>\n
//
// Tags: R record text as framed; C connect (1 for a new job or 0 to continue, the scale's
// denominator, the scale text); X clear; B back; D disconnect; E DXF export (file name); J job
// saved (file name); G the sheet's registration (its text form, registration/registration.h); U
// tablet unit (millimetres per unit, from the connect it follows on); Z the last clear taken back
// (job_replay.h says which clear that is). The
// text comes last, to the end of the line: UTF-8 with '%' and control
// characters written as %XX, so that an entry is always one line. The check value is the last
// '*' of the line and what follows it.
enum class EntryKind : char {
    Header = 'H',
    Record = 'R',
    Connect = 'C',
    Clear = 'X',
    Back = 'B',
    Disconnect = 'D',
    Exported = 'E',
    JobSaved = 'J',
    Registered = 'G',
    TabletUnit = 'U',
    ClearUndone = 'Z',
};

struct JournalEntry {
    EntryKind kind = EntryKind::Record;
    QString text;          // record text, scale text, file name, registration or unit (mm)
    float denominator = 0; // Connect only
    bool newJob = false;   // Connect only

    bool operator==(const JournalEntry &) const = default;
};

inline const QByteArray kJournalHeader = QByteArrayLiteral("digitrace-job 1");

std::uint32_t crc32(QByteArrayView bytes);

// The entry as one journal line, its line end included.
QByteArray encodeEntry(const JournalEntry &entry);
// The header line every journal starts with.
QByteArray journalHeaderLine();

struct ParsedJournal {
    bool hasHeader = false;
    QList<JournalEntry> entries;
    // The length of the header and the whole entries: where a torn or damaged tail begins.
    qsizetype wholeBytes = 0;
};

// Reads entries up to the first line that is incomplete, fails its check or cannot be read:
// what follows it may depend on it, so nothing after it is taken.
ParsedJournal parseJournal(QByteArrayView bytes);

} // namespace digitrace
