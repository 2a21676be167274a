#pragma once

#include "acquisition/formats/tablet_decoder.h"

#include <array>
#include <cstdint>

namespace digitrace {

// A decoder for the binary formats: reports of a fixed length whose first byte alone has bit 7
// set, so that reading falls back into step at the next such byte after lost bytes. These
// tablets report all the time; a record is taken when the button field goes from 0 to a value.
// Every byte outside a report is told, as soon as the next report starts.
class PacketDecoder : public TabletDecoder {
public:
    // Stray bytes are told at the latest after this many in a row, so that noise cannot fill the
    // memory.
    static constexpr qsizetype kNoiseLimit = 64;

    // `trailing`: bytes some tablets of the format add to a report, read past.
    PacketDecoder(qsizetype length, bool strict, qsizetype trailing = 0)
        : strict_(strict), length_(length), trailing_(trailing) {}
    void feed(QByteArrayView chunk, QList<DecodedItem> &out) override;
    void clear() override;
    qsizetype pendingBytes() const override;

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

    bool noiseIsTrailer() const;

    const qsizetype length_;
    const qsizetype trailing_;
    std::array<char, kLongestPacket> packet_{};
    qsizetype filled_ = 0;
    QByteArray noise_;
    bool afterReport_ = false; // noise_ follows a whole report directly
    bool started_ = false;     // a report began since the start of reading
    int heldButton_ = 0;
};

// 5 bytes: flags (bit 6 out of proximity, bits 3-4 signs, set in absolute mode, bits 0-2
// buttons), then X and Y, low 7 bits first.
class SummaMmDecoder : public PacketDecoder {
public:
    explicit SummaMmDecoder(bool strict) : PacketDecoder(5, strict) {}

protected:
    std::optional<Report> decode(const std::uint8_t *bytes) const override;
};

// 7 bytes: bit 6 of the first in proximity, X in 16 bits (2 + 7 + 7, high first), the button
// number in bits 3-6 of the fourth byte beside Y's top 2 bits, Y's other 14, pressure. Tablets
// with tilt add two bytes of it.
class WacomIvDecoder : public PacketDecoder {
public:
    explicit WacomIvDecoder(bool strict) : PacketDecoder(7, strict, 2) {}

protected:
    std::optional<Report> decode(const std::uint8_t *bytes) const override;
};

// 6 bytes: buttons in bits 2-6 of the first beside X bits 14-15, X bits 7-13 and 0-6, X bit 16
// and Y bits 14-16 in the fourth, Y bits 7-13 and 0-6. A four-button puck sets one bit of 2-5 per
// button; a sixteen-button cursor sets bit 6 and the button number less one in bits 2-5.
class CalcompBinaryDecoder : public PacketDecoder {
public:
    explicit CalcompBinaryDecoder(bool strict) : PacketDecoder(6, strict) {}

protected:
    std::optional<Report> decode(const std::uint8_t *bytes) const override;
};

} // namespace digitrace
