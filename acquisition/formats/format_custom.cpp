#include "acquisition/formats/format_registry.h"
#include "acquisition/formats/line_decoders.h"

#include <algorithm>

namespace digitrace {
namespace {

// The site's own ASCII layout.
class CustomDecoder : public LineDecoder {
public:
    CustomDecoder(const CustomLayout &layout, bool strict) : LineDecoder(strict), layout_(layout) {}

protected:
    void decodeLine(QByteArrayView line, QList<DecodedItem> &out) override;

private:
    std::optional<int> button(QByteArrayView field) const;
    const CustomLayout layout_;
};

std::optional<int> CustomDecoder::button(QByteArrayView field) const {
    using Button = CustomLayout::Button;
    if (!strict_ || layout_.columns)
        field = ascii::trimmed(field);
    switch (layout_.button) {
    case Button::Decimal:
        if (const std::optional<qint64> n = ascii::count(field, strict_); n && *n <= 0xFFFF)
            return int(*n);
        return std::nullopt;
    case Button::Hex: {
        if (field.isEmpty() || field.size() > 4)
            return std::nullopt;
        int value = 0;
        for (const char c : field) {
            const std::optional<int> digit = ascii::hexDigit(c, strict_);
            if (!digit)
                return std::nullopt;
            value = value * 16 + *digit;
        }
        return value;
    }
    case Button::Calcomp:
        if (field.size() != 1 || field[0] < '0' || field[0] > '0' + ButtonTable::kLargestButton)
            return std::nullopt;
        return field[0] - '0';
    case Button::Flags: {
        const std::optional<int> bits =
            field.size() == 1 ? ascii::hexDigit(field[0], strict_) : std::nullopt;
        if (!bits)
            return std::nullopt;
        if (strict_ && (*bits & (*bits - 1)) != 0)
            return std::nullopt;
        for (int bit = 0; bit < 4; ++bit)
            if (*bits & (1 << bit))
                return bit + 1;
        return 0;
    }
    }
    return std::nullopt;
}

void CustomDecoder::decodeLine(QByteArrayView line, QList<DecodedItem> &out) {
    std::array<QByteArrayView, 3> byField;
    if (layout_.columns) {
        for (int f = 0; f < 3; ++f) {
            const CustomLayout::Columns c = (*layout_.columns)[f];
            if (line.size() < c.first) {
                out.append(ascii::mismatch(line));
                return;
            }
            byField[f] =
                line.sliced(c.first - 1)
                    .first(std::min<qsizetype>(c.last - c.first + 1, line.size() - c.first + 1));
        }
    } else {
        const QList<QByteArrayView> fields = ascii::split(line, layout_.separator);
        if (fields.size() < 3 || (strict_ && fields.size() != 3)) {
            out.append(ascii::mismatch(line));
            return;
        }
        for (int i = 0; i < 3; ++i)
            byField[layout_.order[i]] = fields[i];
    }
    const bool trim = !strict_ || layout_.columns.has_value();
    const std::optional<qint64> x =
        ascii::count(trim ? ascii::trimmed(byField[0]) : byField[0], strict_, 0, true);
    const std::optional<qint64> y =
        ascii::count(trim ? ascii::trimmed(byField[1]) : byField[1], strict_, 0, true);
    const std::optional<int> b = button(byField[2]);
    if (!x || !y || !b) {
        out.append(ascii::mismatch(line));
        return;
    }
    const bool isRecord = !layout_.noButton || isPress(*b, *b == *layout_.noButton);
    out.append(ascii::report(*x, *y, *b, isRecord));
}

QByteArray customButton(const CustomLayout &layout, int button) {
    switch (layout.button) {
    case CustomLayout::Button::Decimal:
        return QByteArray::number(button);
    case CustomLayout::Button::Hex:
        return encoding::hexDigit(button);
    case CustomLayout::Button::Calcomp:
        return QByteArray(1, char('0' + button));
    case CustomLayout::Button::Flags:
        return encoding::hexDigit(button == 0 ? 0 : 1 << (button - 1));
    }
    return {};
}

EncodedReport encode(const TabletFormat &format, qint64 x, qint64 y, int button, bool) {
    const CustomLayout &layout = format.layout;
    const std::array<QByteArray, 3> values{QByteArray::number(x), QByteArray::number(y),
                                           customButton(layout, button)};
    QByteArray line;
    if (layout.columns) {
        for (int f = 0; f < 3; ++f) {
            const CustomLayout::Columns c = (*layout.columns)[f];
            const int width = c.last - c.first + 1;
            if (values[f].size() > width)
                return encoding::failure(QStringLiteral("%1 does not fit columns %2-%3")
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

int largestLayoutButton(const TabletFormat &format) {
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

} // namespace

const TabletFormatDescription &customFormat() {
    static const TabletFormatDescription d{
        .kind = FormatKind::Custom,
        .name = QLatin1StringView("custom"),
        .labelText = QT_TRANSLATE_NOOP("digitrace::TabletFormats", "カスタム"),
        .builtIn = false,
        .makeDecoder = [](const TabletFormat &f) -> std::unique_ptr<TabletDecoder> {
            return std::make_unique<CustomDecoder>(f.layout, f.strict);
        },
        .encode = encode,
        .largestButton = largestLayoutButton,
    };
    return d;
}

} // namespace digitrace
