#include "acquisition/formats/line_decoders.h"

#include "model/record_check.h"

#include <algorithm>
#include <cstdint>
#include <optional>

namespace digitrace {
namespace {

QByteArrayView trimmed(QByteArrayView field) {
    while (!field.isEmpty() && field.front() == ' ')
        field = field.sliced(1);
    while (!field.isEmpty() && field.back() == ' ')
        field.chop(1);
    return field;
}

// Nine columns hold at most nine digits; more can only be noise.
constexpr qsizetype kMostDigits = 9;

// A count written in decimal. When strict, digits only (exactly `digits` of them when that is
// given); otherwise spaces around and a plus sign are let through. A minus sign only where the
// layout has signed values.
std::optional<qint64> count(QByteArrayView field, bool strict, qsizetype digits = 0,
                            bool signedOk = false) {
    if (!strict)
        field = trimmed(field);
    const bool negative = field.startsWith('-');
    if (negative && !signedOk)
        return std::nullopt;
    if (negative || (!strict && field.startsWith('+')))
        field = field.sliced(1);
    if (field.isEmpty() || field.size() > kMostDigits ||
        (strict && digits && field.size() != digits))
        return std::nullopt;
    qint64 value = 0;
    for (const char c : field) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return negative ? -value : value;
}

std::optional<int> hexDigit(char c, bool strict) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (!strict && c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return std::nullopt;
}

DecodedItem mismatch(QByteArrayView line) {
    DecodedItem item;
    item.kind = DecodedItem::Kind::Mismatch;
    item.raw = line.toByteArray();
    return item;
}

DecodedItem report(qint64 x, qint64 y, int button, bool isRecord) {
    DecodedItem item;
    item.kind = isRecord ? DecodedItem::Kind::Record : DecodedItem::Kind::Position;
    item.x = x;
    item.y = y;
    item.button = button;
    return item;
}

QList<QByteArrayView> split(QByteArrayView line, char separator) {
    QList<QByteArrayView> fields;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= line.size(); ++i)
        if (i == line.size() || line[i] == separator) {
            fields.append(line.sliced(start, i - start));
            start = i + 1;
        }
    return fields;
}

} // namespace

void LineDecoder::feed(QByteArrayView chunk, QList<DecodedItem> &out) {
    for (const char byte : chunk) {
        const bool lineFeedOfCr = afterCarriageReturn_ && byte == '\n';
        afterCarriageReturn_ = byte == '\r';
        if (lineFeedOfCr)
            continue;
        if (byte == '\r' || byte == '\n') {
            endLine(out);
            continue;
        }
        // Told at once rather than at a line end that may never come (a CR with a parity bit).
        if (line_.size() == kLongestLine) {
            tellLine(out);
            overlong_ = true;
        }
        line_.append(byte);
    }
}

void LineDecoder::endLine(QList<DecodedItem> &out) {
    const auto hasBit7 = [](char c) { return (std::uint8_t(c) & 0x80) != 0; };
    if (overlong_ || std::any_of(line_.cbegin(), line_.cend(), hasBit7))
        tellLine(out);
    else
        decodeLine(line_, out);
    line_.truncate(0);
    overlong_ = false;
}

void LineDecoder::tellLine(QList<DecodedItem> &out) {
    DecodedItem item = mismatch(line_);
    item.parityBitSet = readsWithoutBit7(line_);
    out.append(item);
    line_.truncate(0);
}

// No text format sends bytes with bit 7 set. When the line reads with it cleared, that bit was the
// parity of a 7-bit line read as 8 data bits; a CR then arrives as 0x8D and ends no line.
bool LineDecoder::readsWithoutBit7(QByteArrayView line) {
    if (std::none_of(line.begin(), line.end(), [](char c) { return (std::uint8_t(c) & 0x80); }))
        return false;
    QByteArray stripped = line.toByteArray();
    for (char &c : stripped)
        c = char(c & 0x7F);
    const bool seen = seenNoButton_;
    const int held = heldButton_;
    bool reads = false;
    for (const QByteArray &part : stripped.split('\r')) {
        if (part.isEmpty())
            continue;
        QList<DecodedItem> probe;
        decodeLine(part, probe);
        reads = reads || std::none_of(probe.cbegin(), probe.cend(), [](const DecodedItem &i) {
                    return i.kind == DecodedItem::Kind::Mismatch;
                });
    }
    seenNoButton_ = seen;
    heldButton_ = held;
    return reads;
}

bool LineDecoder::isPress(int button, bool noButton) {
    if (noButton) {
        seenNoButton_ = true;
        heldButton_ = 0;
        return false;
    }
    const bool press = !seenNoButton_ || button != heldButton_;
    heldButton_ = button;
    return press;
}

void LineDecoder::clear() {
    line_.truncate(0);
    afterCarriageReturn_ = false;
    overlong_ = false;
    seenNoButton_ = false;
    heldButton_ = 0;
}

void Fixed19Decoder::decodeLine(QByteArrayView line, QList<DecodedItem> &out) {
    const QString text = QString::fromLatin1(line);
    if (strict_ && recordFlaws(text).any()) {
        out.append(mismatch(line));
        return;
    }
    DecodedItem item;
    item.raw = line.toByteArray();
    out.append(item);
}

void Calcomp2000Decoder::decodeLine(QByteArrayView line, QList<DecodedItem> &out) {
    const QList<QByteArrayView> fields = split(line, ',');
    if (fields.size() != 3) {
        out.append(mismatch(line));
        return;
    }
    const std::optional<qint64> x = count(fields[0], strict_);
    const std::optional<qint64> y = count(fields[1], strict_);
    const QByteArrayView b = strict_ ? fields[2] : trimmed(fields[2]);
    if (!x || !y || b.size() != 1 || b[0] < '0' || b[0] > '0' + ButtonTable::kLargestButton) {
        out.append(mismatch(line));
        return;
    }
    const int button = b[0] - '0';
    out.append(report(*x, *y, button, isPress(button, button == 0)));
}

void BitpadAsciiDecoder::decodeLine(QByteArrayView line, QList<DecodedItem> &out) {
    const QList<QByteArrayView> fields = split(line, ',');
    if (fields.size() != 3) {
        out.append(mismatch(line));
        return;
    }
    const std::optional<qint64> x = count(fields[0], strict_, 4);
    const std::optional<qint64> y = count(fields[1], strict_, 4);
    // The flag may follow its comma after a space, as one of the family's layouts sends it.
    QByteArrayView f = fields[2];
    if (!strict_)
        f = trimmed(f);
    else if (f.size() == 2 && f.front() == ' ')
        f = f.sliced(1);
    const std::optional<int> key = f.size() == 1 ? hexDigit(f[0], strict_) : std::nullopt;
    if (!x || !y || !key) {
        out.append(mismatch(line));
        return;
    }
    out.append(report(*x, *y, *key, true));
}

std::optional<int> CustomDecoder::button(QByteArrayView field) const {
    using Button = CustomLayout::Button;
    if (!strict_ || layout_.columns)
        field = trimmed(field);
    switch (layout_.button) {
    case Button::Decimal:
        if (const std::optional<qint64> n = count(field, strict_); n && *n <= 0xFFFF)
            return int(*n);
        return std::nullopt;
    case Button::Hex: {
        if (field.isEmpty() || field.size() > 4)
            return std::nullopt;
        int value = 0;
        for (const char c : field) {
            const std::optional<int> digit = hexDigit(c, strict_);
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
            field.size() == 1 ? hexDigit(field[0], strict_) : std::nullopt;
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
                out.append(mismatch(line));
                return;
            }
            byField[f] =
                line.sliced(c.first - 1)
                    .first(std::min<qsizetype>(c.last - c.first + 1, line.size() - c.first + 1));
        }
    } else {
        const QList<QByteArrayView> fields = split(line, layout_.separator);
        if (fields.size() < 3 || (strict_ && fields.size() != 3)) {
            out.append(mismatch(line));
            return;
        }
        for (int i = 0; i < 3; ++i)
            byField[layout_.order[i]] = fields[i];
    }
    const bool trim = !strict_ || layout_.columns.has_value();
    const std::optional<qint64> x =
        count(trim ? trimmed(byField[0]) : byField[0], strict_, 0, true);
    const std::optional<qint64> y =
        count(trim ? trimmed(byField[1]) : byField[1], strict_, 0, true);
    const std::optional<int> b = button(byField[2]);
    if (!x || !y || !b) {
        out.append(mismatch(line));
        return;
    }
    const bool isRecord = !layout_.noButton || isPress(*b, *b == *layout_.noButton);
    out.append(report(*x, *y, *b, isRecord));
}

} // namespace digitrace
