#include "acquisition/formats/tablet_encoder.h"

#include "acquisition/formats/record_decoder.h"

namespace digitrace {
namespace {

EncodedReport failure(const QString &why) {
    return {{}, why};
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

QByteArray customButton(const CustomLayout &layout, int button) {
    switch (layout.button) {
    case CustomLayout::Button::Decimal:
        return QByteArray::number(button);
    case CustomLayout::Button::Hex:
        return hexDigit(button);
    case CustomLayout::Button::Calcomp:
        return QByteArray(1, char('0' + button));
    case CustomLayout::Button::Flags:
        return hexDigit(button == 0 ? 0 : 1 << (button - 1));
    }
    return {};
}

EncodedReport encodeCustom(const CustomLayout &layout, qint64 x, qint64 y, int button) {
    const std::array<QByteArray, 3> values{QByteArray::number(x), QByteArray::number(y),
                                           customButton(layout, button)};
    QByteArray line;
    if (layout.columns) {
        for (int f = 0; f < 3; ++f) {
            const CustomLayout::Columns c = (*layout.columns)[f];
            const int width = c.last - c.first + 1;
            if (values[f].size() > width)
                return failure(QStringLiteral("%1 does not fit columns %2-%3")
                                   .arg(QString::fromLatin1(values[f]))
                                   .arg(c.first)
                                   .arg(c.last));
            line = line.leftJustified(c.first - 1, ' ');
            line.replace(c.first - 1, width, values[f].rightJustified(width, ' '));
        }
    } else {
        for (int i = 0; i < 3; ++i)
            line += (i ? QByteArray(1, layout.separator) : QByteArray()) + values[layout.order[i]];
    }
    switch (layout.lineEnd) {
    case CustomLayout::LineEnd::Cr:
        return {line + '\r', {}};
    case CustomLayout::LineEnd::Lf:
        return {line + '\n', {}};
    case CustomLayout::LineEnd::CrLf:
    case CustomLayout::LineEnd::Any:
        break;
    }
    return {line + "\r\n", {}};
}

} // namespace

int largestButton(const TabletFormat &format) {
    switch (format.kind) {
    case FormatKind::Fixed19:
        return 9;
    case FormatKind::SummaMm:
        return 7;
    case FormatKind::BitpadAscii:
    case FormatKind::WacomIv:
        return 15;
    case FormatKind::Calcomp2000:
    case FormatKind::CalcompBinary:
        return ButtonTable::kLargestButton;
    case FormatKind::Custom:
        break;
    }
    switch (format.layout.button) {
    case CustomLayout::Button::Flags:
        return 4;
    case CustomLayout::Button::Calcomp:
        return ButtonTable::kLargestButton;
    case CustomLayout::Button::Decimal:
    case CustomLayout::Button::Hex:
        break;
    }
    return 0xFFFF;
}

bool reportsPositions(FormatKind kind) {
    return kind != FormatKind::Fixed19 && kind != FormatKind::BitpadAscii;
}

EncodedReport encodeReport(const TabletFormat &format, qint64 x, qint64 y, int button,
                           bool inProximity) {
    const auto outOfRange = [&](qint64 largest) {
        return failure(QStringLiteral("%1, %2 is beyond the format's range 0 to %3")
                           .arg(x)
                           .arg(y)
                           .arg(largest));
    };
    if (button < 0 || button > largestButton(format))
        return failure(QStringLiteral("button %1 is beyond the format's buttons 0 to %2")
                           .arg(button)
                           .arg(largestButton(format)));
    switch (format.kind) {
    case FormatKind::Fixed19: {
        const QByteArray record = canonicalRecord(x, y, button);
        return record.isEmpty() ? failure(QStringLiteral("no designed record holds it"))
                                : EncodedReport{record, {}};
    }
    case FormatKind::Calcomp2000:
        if (!within(x, 999'999'999) || !within(y, 999'999'999))
            return outOfRange(999'999'999);
        return {QByteArray::number(x) + ',' + QByteArray::number(y) + ',' + char('0' + button) +
                    "\r\n",
                {}};
    case FormatKind::BitpadAscii:
        if (!within(x, 9999) || !within(y, 9999))
            return outOfRange(9999);
        return {QByteArray::number(x).rightJustified(4, '0') + ',' +
                    QByteArray::number(y).rightJustified(4, '0') + ',' + hexDigit(button) + "\r\n",
                {}};
    case FormatKind::SummaMm:
        if (!within(x, 0x3FFF) || !within(y, 0x3FFF))
            return outOfRange(0x3FFF);
        // Both sign bits set, as the tablet sends in absolute mode.
        return {QByteArray(1, char(0x98 | (inProximity ? 0 : 0x40) | (button & 0x07))) + seven(x) +
                    seven(x >> 7) + seven(y) + seven(y >> 7),
                {}};
    case FormatKind::WacomIv:
        if (!within(x, 0xFFFF) || !within(y, 0xFFFF))
            return outOfRange(0xFFFF);
        return {QByteArray(1, char(0x80 | (inProximity ? 0x40 : 0) | (x >> 14))) + seven(x >> 7) +
                    seven(x) + QByteArray(1, char((button & 0x0F) << 3 | (y >> 14))) +
                    seven(y >> 7) + seven(y) + QByteArray(1, '\0'),
                {}};
    case FormatKind::CalcompBinary: {
        if (!within(x, 0x1FFFF) || !within(y, 0x1FFFF))
            return outOfRange(0x1FFFF);
        // Buttons 1-4 as a four-button puck sends them, the others as a sixteen-button cursor.
        const int flags = button == 0   ? 0
                          : button <= 4 ? 1 << (button + 1)
                                        : 0x40 | (button - 1) << 2;
        return {QByteArray(1, char(0x80 | flags | (x >> 14 & 0x03))) + seven(x >> 7) + seven(x) +
                    QByteArray(1, char((x >> 13 & 0x08) | (y >> 14 & 0x07))) + seven(y >> 7) +
                    seven(y),
                {}};
    }
    case FormatKind::Custom:
        break;
    }
    return encodeCustom(format.layout, x, y, button);
}

} // namespace digitrace
