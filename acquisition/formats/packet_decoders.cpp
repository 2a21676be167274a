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
            tellNoise(out);
            started_ = true;
            packet_[0] = byte;
            filled_ = 1;
        } else if (filled_ == 0) {
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
    afterReport_ = false;
    started_ = false;
    heldButton_ = 0;
}

bool PacketDecoder::noiseIsTrailer() const {
    return afterReport_ && noise_.size() <= trailing_;
}

qsizetype PacketDecoder::pendingBytes() const {
    return filled_ + (noiseIsTrailer() ? 0 : noise_.size());
}

// A single stray byte is told too: inserted into a report, it shifts what the report reads.
void PacketDecoder::tellNoise(QList<DecodedItem> &out) {
    if (!noise_.isEmpty() && !(noiseIsTrailer() && noise_.size() == trailing_)) {
        skipped_ += noise_.size();
        DecodedItem item = mismatch(noise_);
        item.cutByStart = !started_ && noise_.size() < length_;
        out.append(item);
    }
    noise_.truncate(0);
    afterReport_ = false;
}

void PacketDecoder::finish(QList<DecodedItem> &out) {
    const std::optional<Report> r = decode(reinterpret_cast<const std::uint8_t *>(packet_.data()));
    filled_ = 0;
    afterReport_ = true;
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

} // namespace digitrace
