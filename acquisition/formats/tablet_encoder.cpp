#include "acquisition/formats/tablet_encoder.h"

#include "acquisition/formats/format_registry.h"

namespace digitrace {

namespace encoding {

EncodedReport failure(const QString &why) {
    return {{}, why};
}

EncodedReport outOfRange(qint64 x, qint64 y, qint64 largest) {
    return failure(
        QStringLiteral("%1, %2 is beyond the format's range 0 to %3").arg(x).arg(y).arg(largest));
}

bool within(qint64 value, qint64 largest) {
    return value >= 0 && value <= largest;
}

QByteArray seven(qint64 value) {
    return QByteArray(1, char(value & 0x7F));
}

QByteArray hexDigit(int value) {
    return QByteArray::number(value, 16).toUpper();
}

} // namespace encoding

int largestButton(const TabletFormat &format) {
    return describe(format.kind).largestButton(format);
}

bool reportsPositions(FormatKind kind) {
    return describe(kind).reportsPositions;
}

EncodedReport encodeReport(const TabletFormat &format, qint64 x, qint64 y, int button,
                           bool inProximity) {
    const int largest = largestButton(format);
    if (button < 0 || button > largest)
        return encoding::failure(QStringLiteral("button %1 is beyond the format's buttons 0 to %2")
                                     .arg(button)
                                     .arg(largest));
    return describe(format.kind).encode(format, x, y, button, inProximity);
}

} // namespace digitrace
