#pragma once

#include "job/journal_entries.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <cstdint>
#include <limits>

namespace digitrace {

// A journal is a header line and then one line per entry (journal_entries.h):
//
//   <tag>[ <field>...]*<CRC-32 of everything before the '*', 8 hex digits>\n
//
// Each kind's tag and fields are its row in journal_format.cpp. A text comes last, to the end of
// the line: UTF-8 with '%' and control characters written as %XX, so that an entry is always one
// line. The check value is the last '*' of the line and what follows it.
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
// The widest snapping a job takes: beyond a few millimetres on the sheet a press would jump to
// features the operator did not aim at.
inline constexpr double kLargestSnapMm = 10;
bool isSaneSnapMm(double mm);

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

struct ParsedLine {
    LineFault fault = LineFault::None;
    bool isHeader = false; // the journal's header line, which is no entry
    JournalEntry entry;
    // The part the check covers, when the check is there.
    QByteArrayView body;
    // What a Scale or TabletUnit fault refused, for the operator.
    QString refusedValue;
};
// One line without its line end.
ParsedLine parseJournalLine(QByteArrayView line);

} // namespace digitrace
