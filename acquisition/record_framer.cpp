#include "acquisition/record_framer.h"

namespace digitrace {

QStringList RecordFramer::feed(QByteArrayView chunk) {
    QStringList records;
    for (const char byte : chunk) {
        const bool endsLine = afterCarriageReturn_ && byte == '\n';
        afterCarriageReturn_ = byte == '\r';
        if (endsLine)
            continue;
        if (byte == '\r') {
            records.append(QString::fromLatin1(current_));
            current_.truncate(0);
        } else if (current_.size() < kKeptLength) {
            current_.append(byte);
        }
    }
    return records;
}

void RecordFramer::clear() {
    current_.truncate(0);
    afterCarriageReturn_ = false;
}

} // namespace digitrace
