#include "acquisition/formats/format_registry.h"
#include "acquisition/formats/packet_decoders.h"

namespace digitrace {
namespace {

// 5 bytes: flags (bit 6 out of proximity, bits 3-4 signs, set in absolute mode, bits 0-2
// buttons), then X and Y, low 7 bits first.
class SummaMmDecoder : public PacketDecoder {
public:
    explicit SummaMmDecoder(bool strict) : PacketDecoder(5, strict) {}

protected:
    std::optional<Report> decode(const std::uint8_t *b) const override {
        // The signs of a relative report: both set (positive) in absolute mode, as the tablet
        // sends them, both clear from simpler senders; one alone is a movement, not a position.
        const int signs = b[0] & 0x18;
        if (strict_ && signs != 0x18 && signs != 0)
            return std::nullopt;
        return Report{b[1] | b[2] << 7, b[3] | b[4] << 7, b[0] & 0x07, !(b[0] & 0x40)};
    }
};

EncodedReport encode(const TabletFormat &, qint64 x, qint64 y, int button, bool inProximity) {
    using encoding::seven;
    if (!encoding::within(x, 0x3FFF) || !encoding::within(y, 0x3FFF))
        return encoding::outOfRange(x, y, 0x3FFF);
    // Both sign bits set, as the tablet sends in absolute mode.
    return {QByteArray(1, char(0x98 | (inProximity ? 0 : 0x40) | (button & 0x07))) + seven(x) +
                seven(x >> 7) + seven(y) + seven(y >> 7),
            {}};
}

} // namespace

const TabletFormatDescription &summaMmFormat() {
    static const TabletFormatDescription d{
        .kind = FormatKind::SummaMm,
        .name = QLatin1StringView("summa-mm"),
        .labelText = QT_TRANSLATE_NOOP("digitrace::TabletFormats", "5 バイトのバイナリ"),
        .binary = true,
        .makeDecoder = strictnessDecoder<SummaMmDecoder>,
        .encode = encode,
        .largestButton = buttonsUpTo<7>,
    };
    return d;
}

} // namespace digitrace
