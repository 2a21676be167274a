#include "acquisition/formats/format_registry.h"
#include "acquisition/formats/packet_decoders.h"

#include <bit>

namespace digitrace {
namespace {

// 6 bytes: buttons in bits 2-6 of the first beside X bits 14-15, X bits 7-13 and 0-6, X bit 16
// and Y bits 14-16 in the fourth, Y bits 7-13 and 0-6. A four-button puck sets one bit of 2-5 per
// button; a sixteen-button cursor sets bit 6 and the button number less one in bits 2-5.
class CalcompBinaryDecoder : public PacketDecoder {
public:
    explicit CalcompBinaryDecoder(bool strict) : PacketDecoder(6, strict) {}

protected:
    std::optional<Report> decode(const std::uint8_t *b) const override {
        if (strict_ && (b[3] & 0x70))
            return std::nullopt;
        const unsigned field = (b[0] >> 2) & 0x0F;
        int button = 0;
        if (b[0] & 0x40) {
            button = int(field) + 1;
        } else if (field != 0) {
            // Several buttons at once are no one button; leniently the lowest counts.
            if (strict_ && !std::has_single_bit(field))
                return std::nullopt;
            button = std::countr_zero(field) + 1;
        }
        return Report{(b[3] & 0x08) << 13 | (b[0] & 0x03) << 14 | b[1] << 7 | b[2],
                      (b[3] & 0x07) << 14 | b[4] << 7 | b[5], button, true};
    }
};

EncodedReport encode(const TabletFormat &, qint64 x, qint64 y, int button, bool) {
    using encoding::seven;
    if (!encoding::within(x, 0x1FFFF) || !encoding::within(y, 0x1FFFF))
        return encoding::outOfRange(x, y, 0x1FFFF);
    // Buttons 1-4 as a four-button puck sends them, the others as a sixteen-button cursor.
    const int flags = button == 0 ? 0 : button <= 4 ? 1 << (button + 1) : 0x40 | (button - 1) << 2;
    return {QByteArray(1, char(0x80 | flags | (x >> 14 & 0x03))) + seven(x >> 7) + seven(x) +
                QByteArray(1, char((x >> 13 & 0x08) | (y >> 14 & 0x07))) + seven(y >> 7) + seven(y),
            {}};
}

} // namespace

const TabletFormatDescription &calcompBinaryFormat() {
    static const TabletFormatDescription d{
        .kind = FormatKind::CalcompBinary,
        .name = QLatin1StringView("calcomp-binary"),
        .labelText = QT_TRANSLATE_NOOP("digitrace::TabletFormats", "6 バイトのバイナリ"),
        .binary = true,
        .makeDecoder = strictnessDecoder<CalcompBinaryDecoder>,
        .encode = encode,
        .largestButton = buttonsUpTo<ButtonTable::kLargestButton>,
    };
    return d;
}

} // namespace digitrace
