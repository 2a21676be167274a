#include "acquisition/formats/packet_decoders.h"

namespace digitrace {
namespace {

constexpr std::uint8_t kSyncBit = 0x80;

DecodedItem mismatch(const QByteArray &bytes) {
    DecodedItem item;
    item.kind = DecodedItem::Kind::Mismatch;
    item.raw = bytes;
    return item;
}

} // namespace

void PacketDecoder::feed(QByteArrayView chunk, QList<DecodedItem> &out) {
    for (const char byte : chunk) {
        if (std::uint8_t(byte) & kSyncBit) {
            // A report cut short: bytes were lost, or the reports are not this long.
            if (filled_ > 0)
                out.append(mismatch(QByteArray(packet_.data(), filled_)));
            if (!noise_.isEmpty())
                tellNoise(out);
            packet_[0] = byte;
            filled_ = 1;
        } else if (filled_ == 0) {
            ++skipped_;
            noise_.append(byte);
            if (noise_.size() >= kNoiseLimit)
                tellNoise(out);
        } else {
            packet_[filled_++] = byte;
        }
        if (filled_ == length_)
            finish(out);
    }
}

void PacketDecoder::clear() {
    filled_ = 0;
    noise_.truncate(0);
    heldButton_ = 0;
}

void PacketDecoder::tellNoise(QList<DecodedItem> &out) {
    if (noise_.size() >= kNoiseLimit)
        out.append(mismatch(noise_));
    noise_.truncate(0);
}

void PacketDecoder::finish(QList<DecodedItem> &out) {
    const std::optional<Report> r = decode(reinterpret_cast<const std::uint8_t *>(packet_.data()));
    filled_ = 0;
    if (!r) {
        out.append(mismatch(QByteArray(packet_.data(), length_)));
        return;
    }
    const int button = r->inProximity ? r->button : 0;
    DecodedItem item;
    item.kind =
        button != 0 && heldButton_ == 0 ? DecodedItem::Kind::Record : DecodedItem::Kind::Position;
    item.x = r->x;
    item.y = r->y;
    item.button = button;
    item.inProximity = r->inProximity;
    heldButton_ = button;
    out.append(item);
}

std::optional<PacketDecoder::Report> SummaMmDecoder::decode(const std::uint8_t *b) const {
    if (strict_ && (b[0] & 0x18))
        return std::nullopt;
    return Report{b[1] | b[2] << 7, b[3] | b[4] << 7, b[0] & 0x07, !(b[0] & 0x40)};
}

std::optional<PacketDecoder::Report> WacomIvDecoder::decode(const std::uint8_t *b) const {
    return Report{(b[0] & 0x03) << 14 | b[1] << 7 | b[2], (b[3] & 0x03) << 14 | b[4] << 7 | b[5],
                  (b[3] & 0x78) >> 3, (b[0] & 0x40) != 0};
}

std::optional<PacketDecoder::Report> CalcompBinaryDecoder::decode(const std::uint8_t *b) const {
    if (strict_ && (b[0] & 0x43 || b[3] != 0))
        return std::nullopt;
    return Report{b[1] << 7 | b[2], b[4] << 7 | b[5], (b[0] >> 2) & 0x0F, true};
}

} // namespace digitrace
