#include "export/dxf_writer.h"

#include "model/record_walk.h"

#include <QIODevice>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string_view>

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

// Room for the longest entity, a LINE.
constexpr std::size_t kEntityRoom = kLineHead.size() + 4 * (kMaxDxfNumberLength + kAfterX.size());

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
    const char lineEnd = bytes.contains('\r') ? '\r' : '\n';
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf(lineEnd, start);
        if (end < 0)
            end = bytes.size();
        out += bytes.sliced(start, end - start);
        out.append(kLineEnd.data(), kLineEnd.size());
        start = end + 1;
        if (lineEnd == '\r' && start < bytes.size() && bytes[start] == '\n')
            ++start;
    }
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
    EntityText()
        .text(kPointHead)
        .number(shifted(x, store.MinX, kOffsetX))
        .text(kAfterX)
        .number(shifted(y, store.MinY, kOffsetY))
        .text(kLineEnd)
        .appendTo(out);
}

void WriteDxfLine(QByteArray &out, const TraceStore &store, std::int16_t first,
                  std::int16_t second) {
    const auto a = static_cast<std::size_t>(first);
    const auto b = static_cast<std::size_t>(second);
    EntityText()
        .text(kLineHead)
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

bool WriteDxf(const TraceStore &store, QByteArrayView templateBytes, QIODevice &out) {
    // A coordinate that would read "inf" makes a file no reader takes: write nothing.
    if (!dxfCoordinatesFit(store))
        return false;
    ChunkedWriter writer(out);
    QByteArray &buffer = writer.buffer();
    appendTemplateLines(buffer, templateBytes);

    walkRecords(store.Pt, std::clamp<int>(store.PtCount, 0, kSlotCount), [&](const WalkStep &step) {
        switch (step.event) {
        case WalkEvent::Segment:
        case WalkEvent::Close:
            WriteDxfLine(buffer, store, step.from, step.to);
            break;
        case WalkEvent::Point:
            WriteDxfPoint(buffer, store, store.Pt.X[std::size_t(step.to)],
                          store.Pt.Y[std::size_t(step.to)]);
            break;
        case WalkEvent::None:
        case WalkEvent::Start:
            break;
        }
        writer.flushIfLarge();
    });

    buffer.append(kTrailer.data(), kTrailer.size());
    return writer.finish();
}

} // namespace digitrace
