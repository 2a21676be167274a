#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <cstdint>
#include <limits>

namespace digitrace {

// One change to a job. A journal is a header line and then one line per entry:
//
//   <tag>[ <field>...]*<CRC-32 of everything before the '*', 8 hex digits>\n
//
// Tags: R record text as framed; C connect (1 for a new job or 0 to continue, the scale's
// denominator, the scale text); X clear; B back; D disconnect; E DXF export (file name); J job
// saved (file name); G the sheet's registration (its text form, registration/registration.h); U
// tablet unit (millimetres per unit, from the connect it follows on); F the tablet format the
// line was read as (its name, then for a site's own layout that layout's text; from the connect
// it follows on); Z the last clear taken back (job_replay.h says which clear that is); S the
// sheet's name (none when bare); P the revision of the sheet a publish to the shared database
// made. The
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
    TabletFormat = 'F',
    ClearUndone = 'Z',
    Sheet = 'S',
    Published = 'P',
};

struct JournalEntry {
    EntryKind kind = EntryKind::Record;
    // Record text, scale text, file name, registration, unit (mm), tablet format, sheet name or
    // revision.
    QString text;
    float denominator = 0; // Connect only
    bool newJob = false;   // Connect only

    bool operator==(const JournalEntry &) const = default;
};

// An entry of any kind but a connect, which alone carries a scale and whether the job is new.
inline JournalEntry plainEntry(EntryKind kind, const QString &text = {}) {
    return {kind, text, 0, false};
}

inline const QByteArray kJournalHeader = QByteArrayLiteral("digitrace-job 1");
// What a journal written before formats were journalled was read as: the designed record.
inline const QString kDesignedTabletFormat = QStringLiteral("fixed19");

std::uint32_t crc32(QByteArrayView bytes);

// The entry as one journal line, its line end included.
QByteArray encodeEntry(const JournalEntry &entry);
// The header line every journal starts with.
QByteArray journalHeaderLine();

// The largest tablet unit a journal may name, as the port settings allow.
inline constexpr double kLargestTabletUnitMm = 1000;
// The largest scale denominator the scale box gives.
inline constexpr double kLargestScaleDenominator = std::numeric_limits<float>::max();
bool isSaneScaleDenominator(double denominator);
bool isSaneTabletUnit(double mm);

// Why a journal line was not taken.
enum class LineFault {
    None,
    Check,      // incomplete, or its check value does not match: damaged
    Unreadable, // the check matches but the entry makes no sense
    Scale,      // a connect whose scale is not a finite positive number
    TabletUnit, // a tablet unit that is not a positive number up to kLargestTabletUnitMm
    TooLong,    // longer than kLongestJournalLine: nothing after it was read
    Header,     // the first line is not the journal's header
    ReadFailed, // the device failed: nothing after it was read
};

// The longest line a journal reader takes; a longer line is no journal's. The writer refuses an
// entry that would make one, since a restore would lose it and every entry after it.
inline constexpr qsizetype kLongestJournalLine = 1 << 20;
// Whether a reader takes `line`, an encoded entry with its line end, back.
inline bool fitsJournalLine(QByteArrayView line) {
    return line.size() - 1 <= kLongestJournalLine;
}

bool isJournalHeader(QByteArrayView body);
// One line without its line end. The header gives an entry of kind Header. `body` is the part the
// check covers, when the check is there.
LineFault parseJournalLine(QByteArrayView line, JournalEntry *entry, QByteArrayView *body);

} // namespace digitrace
