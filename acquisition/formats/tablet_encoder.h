#pragma once

#include "acquisition/formats/tablet_format.h"

#include <QByteArray>
#include <QString>

namespace digitrace {

// One report as a tablet of the given format sends it, for the simulated tablet and the tests.
struct EncodedReport {
    QByteArray bytes;
    QString error; // the report cannot be written in this format
};

// `button` is the tablet's button number, 0 for none. A fixed19 report is a record whose code is
// `button` itself, and has no position reports; neither has bitpad-ascii, whose every line is a
// record.
EncodedReport encodeReport(const TabletFormat &format, qint64 x, qint64 y, int button,
                           bool inProximity = true);

// Whether the format reports the cursor between records, and repeats a held button.
bool reportsPositions(FormatKind kind);

// The largest button number a report of the format can carry.
int largestButton(const TabletFormat &format);

// The pieces the formats' encoders write their reports with.
namespace encoding {

EncodedReport failure(const QString &why);
EncodedReport outOfRange(qint64 x, qint64 y, qint64 largest);
bool within(qint64 value, qint64 largest);
// The low 7 bits, as a byte of a binary report.
QByteArray seven(qint64 value);
QByteArray hexDigit(int value);

} // namespace encoding

} // namespace digitrace
