#include "acquisition/formats/format_registry.h"
#include "acquisition/formats/packet_decoders.h"

namespace digitrace {
namespace {

// 7 bytes: bit 6 of the first in proximity, X in 16 bits (2 + 7 + 7, high first), the button
// number in bits 3-6 of the fourth byte beside Y's top 2 bits, Y's other 14, pressure. Tablets
// with tilt add two bytes of it.
class WacomIvDecoder : public PacketDecoder {
public:
    explicit WacomIvDecoder(bool strict) : PacketDecoder(7, strict, 2) {}

protected:
    std::optional<Report> decode(const std::uint8_t *b) const override {
        return Report{(b[0] & 0x03) << 14 | b[1] << 7 | b[2],
                      (b[3] & 0x03) << 14 | b[4] << 7 | b[5], (b[3] & 0x78) >> 3,
                      (b[0] & 0x40) != 0};
    }
};

EncodedReport encode(const TabletFormat &, qint64 x, qint64 y, int button, bool inProximity) {
    using encoding::seven;
    if (!encoding::within(x, 0xFFFF) || !encoding::within(y, 0xFFFF))
        return encoding::outOfRange(x, y, 0xFFFF);
    return {QByteArray(1, char(0x80 | (inProximity ? 0x40 : 0) | (x >> 14))) + seven(x >> 7) +
                seven(x) + QByteArray(1, char((button & 0x0F) << 3 | (y >> 14))) + seven(y >> 7) +
                seven(y) + QByteArray(1, '\0'),
            {}};
}

} // namespace

const TabletFormatDescription &wacomIvFormat() {
    static const TabletFormatDescription d{
        .kind = FormatKind::WacomIv,
        .name = QLatin1StringView("wacom-iv"),
        .labelText = QT_TRANSLATE_NOOP("digitrace::TabletFormats", "7 バイトのバイナリ"),
        .binary = true,
        .makeDecoder = strictnessDecoder<WacomIvDecoder>,
        .encode = encode,
        .largestButton = buttonsUpTo<15>,
    };
    return d;
}

} // namespace digitrace
