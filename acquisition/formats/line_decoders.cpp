#include "acquisition/formats/line_decoders.h"

#include <algorithm>
#include <cstdint>
#include <optional>

namespace digitrace {
namespace {

// Nine columns hold at most nine digits; more can only be noise.
constexpr qsizetype kMostDigits = 9;

} // namespace

namespace ascii {

QByteArrayView trimmed(QByteArrayView field) {
    while (!field.isEmpty() && field.front() == ' ')
        field = field.sliced(1);
    while (!field.isEmpty() && field.back() == ' ')
        field.chop(1);
    return field;
}

std::optional<qint64> count(QByteArrayView field, bool strict, qsizetype digits, bool signedOk) {
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

} // namespace ascii

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
    DecodedItem item = ascii::mismatch(line_);
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

} // namespace digitrace
