#pragma once

#include "acquisition/formats/tablet_format.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <memory>

namespace digitrace {

// One thing a tablet said, in its own counts.
struct DecodedItem {
    enum class Kind {
        Record,   // a button went down: a point to take
        Position, // where the cursor is, no button
        Mismatch, // bytes that do not fit the format
    };
    Kind kind = Kind::Record;
    qint64 x = 0;
    qint64 y = 0;
    int button = 0; // the tablet's button number, for a record
    bool inProximity = true;
    // A fixed19 record as framed, or the bytes that did not fit.
    QByteArray raw;
    // A mismatch that fits once bit 7 of every byte is cleared: the line is 7 data bits with
    // parity, read as 8.
    bool parityBitSet = false;
    // A mismatch that is only the end of a report the start of reading cut.
    bool cutByStart = false;
};

// Turns the bytes of the line into what the tablet said. Reads are split anywhere.
class TabletDecoder {
public:
    // A line or report that never ends is cut here, so that noise cannot fill the memory.
    static constexpr qsizetype kLongestLine = 256;

    virtual ~TabletDecoder() = default;
    virtual void feed(QByteArrayView chunk, QList<DecodedItem> &out) = 0;
    // Forgets a report or line received in part, and any held button.
    virtual void clear() = 0;
    // Bytes passed over while looking for the start of a report.
    qint64 skippedBytes() const { return skipped_; }
    // Bytes of a line or report received in part, or stray bytes not yet told: what an end of
    // the input now would cut.
    virtual qsizetype pendingBytes() const = 0;

protected:
    qint64 skipped_ = 0;
};

std::unique_ptr<TabletDecoder> makeDecoder(const TabletFormat &format);

} // namespace digitrace
