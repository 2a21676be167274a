#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringList>

namespace digitrace {

// Cuts the tablet's byte stream into records, one character per byte. A record ends at its
// carriage return and whatever follows belongs to the next one; a line feed straight after a
// carriage return, in the same chunk or the next, is part of the line end.
class RecordFramer {
public:
    // Only the first columns of a record are read; the rest of an overlong record is dropped so
    // that a stream that never ends a record cannot fill the memory.
    static constexpr qsizetype kKeptLength = 256;

    // The records completed by `chunk`, in order, without their line ends.
    QStringList feed(QByteArrayView chunk);
    // Forgets the record being collected.
    void clear();

private:
    QByteArray current_;
    bool afterCarriageReturn_ = false;
};

} // namespace digitrace
