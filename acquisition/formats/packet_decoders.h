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

} // namespace digitrace
