#include "export/dxf_writer.h"

#include "model/record_walk.h"

#include <QHash>

#include <QIODevice>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string_view>
#include <vector>

namespace digitrace {
namespace {

constexpr float kOffsetX = 50;
constexpr float kOffsetY = 30;

// Each entity's fixed lines, CR LF included, around its coordinate values.
constexpr std::string_view kPointHead =
    "  0\r\nPOINT\r\n  8\r\n_0-1_POINT\r\n 62\r\n    7\r\n 10\r\n";
constexpr std::string_view kLineHead =
    "  0\r\nLINE\r\n  8\r\n_0-2_LINE\r\n  6\r\nCONTINUOUS\r\n 62\r\n    7\r\n 10\r\n";
constexpr std::string_view kAfterX = "\r\n 20\r\n";
constexpr std::string_view kAfterStartY = "\r\n 11\r\n";
constexpr std::string_view kAfterEndX = "\r\n 21\r\n";
constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kTrailer = "  0\r\nENDSEC\r\n  0\r\nEOF\r\n";

// Room for the longest entity, a LINE, on the longest layer name.
constexpr std::size_t kEntityRoom =
    kLineHead.size() + kDxfLayerNameBytes + 4 * (kMaxDxfNumberLength + kAfterX.size());

// Large pieces: a write per line would cost more than all the formatting, and a full table
// takes about one piece.
constexpr qsizetype kChunkBytes = 1024 * 1024;

// Rounded once to single precision after the arithmetic in double.
float shifted(float value, float minimum, float offset) {
    return static_cast<float>(double(value) - double(minimum) + double(offset));
}

// Builds one entity in place and appends it to a byte array in one piece.
class EntityText {
public:
    EntityText() = default;
    Q_DISABLE_COPY_MOVE(EntityText) // end_ points into text_

    EntityText &text(std::string_view s) {
        end_ = std::copy(s.begin(), s.end(), end_);
        return *this;
    }
    EntityText &number(float value) {
        end_ = formatDxfNumber(end_, value);
        return *this;
    }
    void appendTo(QByteArray &out) const { out.append(text_.data(), end_ - text_.data()); }

private:
    std::array<char, kEntityRoom> text_;
    char *end_ = text_.data();
};

// Hands the output to the device in large pieces and remembers whether it took them all.
class ChunkedWriter {
public:
    explicit ChunkedWriter(QIODevice &device) : device_(device) {
        buffer_.reserve(kChunkBytes + qsizetype(kEntityRoom));
    }

    QByteArray &buffer() { return buffer_; }

    void flushIfLarge() {
        if (buffer_.size() >= kChunkBytes)
            flush();
    }

    bool finish() {
        flush();
        return ok_;
    }

private:
    // After a refused write nothing more goes out: the file is unusable anyway. A short write is
    // retried with the rest, so that a device that then refuses records the system's reason.
    void flush() {
        qsizetype done = 0;
        while (ok_ && done < buffer_.size()) {
            const qint64 written = device_.write(buffer_.constData() + done, buffer_.size() - done);
            ok_ = written > 0;
            done += ok_ ? written : 0;
        }
        buffer_.resize(0);
    }

    QIODevice &device_;
    QByteArray buffer_;
    bool ok_ = true;
};

void appendTemplateLines(QByteArray &out, QByteArrayView bytes) {
    for (const QByteArrayView line : dxfTemplateLines(bytes)) {
        out += line;
        out.append(kLineEnd.data(), kLineEnd.size());
    }
}

// The entities' fixed lines before their coordinates on a class's layer, drawn in its colour.
struct LayerHeads {
    QByteArray point;
    QByteArray line;
};

std::vector<LayerHeads> layerHeads(const DxfClassLayers &layers) {
    std::vector<LayerHeads> heads;
    for (const QByteArray &name : layers.names)
        heads.push_back({"  0\r\nPOINT\r\n  8\r\n" + name + "\r\n 62\r\n   256\r\n 10\r\n",
                         "  0\r\nLINE\r\n  8\r\n" + name + "\r\n 62\r\n   256\r\n 10\r\n"});
    return heads;
}

void writePoint(QByteArray &out, std::string_view head, const TraceStore &store, float x, float y) {
    EntityText()
        .text(head)
        .number(shifted(x, store.MinX, kOffsetX))
        .text(kAfterX)
        .number(shifted(y, store.MinY, kOffsetY))
        .text(kLineEnd)
        .appendTo(out);
}

void writeLine(QByteArray &out, std::string_view head, const TraceStore &store, std::int16_t first,
               std::int16_t second) {
    const auto a = static_cast<std::size_t>(first);
    const auto b = static_cast<std::size_t>(second);
    EntityText()
        .text(head)
        .number(shifted(store.Pt.X[a], store.MinX, kOffsetX))
        .text(kAfterX)
        .number(shifted(store.Pt.Y[a], store.MinY, kOffsetY))
        .text(kAfterStartY)
        .number(shifted(store.Pt.X[b], store.MinX, kOffsetX))
        .text(kAfterEndX)
        .number(shifted(store.Pt.Y[b], store.MinY, kOffsetY))
        .text(kLineEnd)
        .appendTo(out);
}

std::string_view view(const QByteArray &bytes) {
    return {bytes.constData(), std::size_t(bytes.size())};
}

// The whole file; `layers` null for the designed layers alone.
bool writeAll(const TraceStore &store, QByteArrayView head, QIODevice &out,
              const DxfClassLayers *layers) {
    // A coordinate that would read "inf" makes a file no reader takes: write nothing.
    if (!dxfCoordinatesFit(store))
        return false;
    ChunkedWriter writer(out);
    QByteArray &buffer = writer.buffer();
    appendTemplateLines(buffer, head);

    const std::vector<LayerHeads> heads = layers ? layerHeads(*layers) : std::vector<LayerHeads>();
    // The classed feature a slot begins; null for one on the designed layers.
    auto classed = [&](std::int16_t slot) -> const DxfClassLayers::Feature * {
        if (!layers)
            return nullptr;
        const auto found = layers->features.constFind(slot);
        return found == layers->features.cend() ? nullptr : &*found;
    };
    const DxfClassLayers::Feature *sequence = nullptr; // the open sequence's
    walkRecords(store.Pt, std::clamp<int>(store.PtCount, 0, kSlotCount), [&](const WalkStep &step) {
        switch (step.event) {
        case WalkEvent::Start:
            sequence = classed(step.to);
            break;
        case WalkEvent::Segment:
        case WalkEvent::Close:
            writeLine(buffer, sequence ? view(heads[std::size_t(sequence->layer)].line) : kLineHead,
                      store, step.from, step.to);
            if (sequence)
                buffer += sequence->xdata;
            break;
        case WalkEvent::Point: {
            const DxfClassLayers::Feature *point = classed(step.to);
            writePoint(buffer, point ? view(heads[std::size_t(point->layer)].point) : kPointHead,
                       store, store.Pt.X[std::size_t(step.to)], store.Pt.Y[std::size_t(step.to)]);
            if (point)
                buffer += point->xdata;
            break;
        }
        case WalkEvent::None:
            break;
        }
        writer.flushIfLarge();
    });

    buffer.append(kTrailer.data(), kTrailer.size());
    return writer.finish();
}

} // namespace

bool dxfCoordinatesFit(const TraceStore &store) {
    auto fits = [&store](std::int16_t slot) {
        const auto i = std::size_t(slot);
        auto fitsShifted = [](float value, float minimum, float offset) {
            return std::fabs(double(value) - double(minimum) + double(offset)) <=
                   double(std::numeric_limits<float>::max());
        };
        return fitsShifted(store.Pt.X[i], store.MinX, kOffsetX) &&
               fitsShifted(store.Pt.Y[i], store.MinY, kOffsetY);
    };
    // Only the slots an entity writes count: a closing record or a stray vertex is written nowhere.
    bool all = true;
    walkRecords(store.Pt, std::clamp<int>(store.PtCount, 0, kSlotCount), [&](const WalkStep &step) {
        if (step.event != WalkEvent::None && step.event != WalkEvent::Start)
            all = all && fits(step.from) && fits(step.to);
    });
    return all;
}

void WriteDxfPoint(QByteArray &out, const TraceStore &store, float x, float y) {
    writePoint(out, kPointHead, store, x, y);
}

void WriteDxfLine(QByteArray &out, const TraceStore &store, std::int16_t first,
                  std::int16_t second) {
    writeLine(out, kLineHead, store, first, second);
}

bool WriteDxf(const TraceStore &store, QByteArrayView templateBytes, QIODevice &out) {
    return writeAll(store, templateBytes, out, nullptr);
}

bool WriteDxf(const TraceStore &store, const DxfClassLayers &layers, QIODevice &out) {
    return writeAll(store, layers.head, out, &layers);
}

} // namespace digitrace
