#pragma once

#include "acquisition/formats/tablet_decoder.h"

#include <array>
#include <cstdint>

namespace digitrace {

// A decoder for the binary formats: reports of a fixed length whose first byte alone has bit 7
// set, so that reading falls back into step at the next such byte after lost bytes. These
// tablets report all the time; a record is taken when the button field goes from 0 to a value.
class PacketDecoder : public TabletDecoder {
public:
    // Bytes outside any report beyond this many in a row are a sign of a wrong format or speed.
    static constexpr qsizetype kNoiseLimit = 64;

    PacketDecoder(qsizetype length, bool strict) : strict_(strict), length_(length) {}
    void feed(QByteArrayView chunk, QList<DecodedItem> &out) override;
    void clear() override;

protected:
    struct Report {
        qint64 x = 0;
        qint64 y = 0;
        int button = 0;
        bool inProximity = true;
    };
    // Nothing when the report breaks the layout.
    virtual std::optional<Report> decode(const std::uint8_t *bytes) const = 0;
    const bool strict_;

private:
    void finish(QList<DecodedItem> &out);
    void tellNoise(QList<DecodedItem> &out);

    static constexpr qsizetype kLongestPacket = 8;

    const qsizetype length_;
    std::array<char, kLongestPacket> packet_{};
    qsizetype filled_ = 0;
    QByteArray noise_;
    int heldButton_ = 0;
};

// 5 bytes: flags (bit 6 out of proximity, bits 3-4 relative signs, bits 0-2 buttons), then X and
// Y, low 7 bits first.
class SummaMmDecoder : public PacketDecoder {
public:
    explicit SummaMmDecoder(bool strict) : PacketDecoder(5, strict) {}

protected:
    std::optional<Report> decode(const std::uint8_t *bytes) const override;
};

// 7 bytes: bit 6 of the first in proximity, X in 16 bits (2 + 7 + 7, high first), the button
// number in bits 3-6 of the fourth byte beside Y's top 2 bits, Y's other 14, pressure.
class WacomIvDecoder : public PacketDecoder {
public:
    explicit WacomIvDecoder(bool strict) : PacketDecoder(7, strict) {}

protected:
    std::optional<Report> decode(const std::uint8_t *bytes) const override;
};

// 6 bytes: buttons in bits 2-5 of the first, X high then low 7 bits, a zero byte, Y likewise.
class CalcompBinaryDecoder : public PacketDecoder {
public:
    explicit CalcompBinaryDecoder(bool strict) : PacketDecoder(6, strict) {}

protected:
    std::optional<Report> decode(const std::uint8_t *bytes) const override;
};

} // namespace digitrace
