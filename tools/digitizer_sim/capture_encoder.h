#pragma once

#include "acquisition/formats/tablet_format.h"
#include "acquisition/record_framer.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace digitrace {

// Rewrites the designed records of a capture as a tablet of another format sends them: for each
// record the cursor arriving, the button pressed, held and released, where the format reports
// the cursor; the record alone where it does not. Coordinates become whole tablet counts.
class CaptureEncoder {
public:
    explicit CaptureEncoder(const TabletFormat &format) : format_(format) {}

    // The bytes for the records `chunk` completes; empty, with error() set, at the first record
    // the format cannot carry.
    QByteArray convert(QByteArrayView chunk);
    QString error() const { return error_; }
    // Coordinates that had a fraction of a count, rounded to the nearest count.
    qint64 roundedCoordinates() const { return rounded_; }

private:
    QByteArray encode(const QString &record);
    qint64 count(double value);

    TabletFormat format_;
    RecordFramer framer_;
    QString error_;
    qint64 records_ = 0;
    qint64 rounded_ = 0;
};

} // namespace digitrace
