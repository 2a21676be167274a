#pragma once

#include <QString>

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>

namespace digitrace {

inline constexpr int kSlotCount = 10001; // slots 0..10000
inline constexpr std::int16_t kLastSlot = kSlotCount - 1;

// Button codes: a start, a vertex; every other code ends a line or places a point.
inline constexpr std::int16_t kStartCode = 1;
inline constexpr std::int16_t kVertexCode = 2;

// A stored code as the whole number it holds. Codes are stored whole; one that no 16-bit integer
// can hold (only a table filled by other means) reads as an end code.
inline std::int16_t wholeCode(float code) {
    const double rounded = std::nearbyint(double(code));
    if (!(rounded >= std::numeric_limits<std::int16_t>::min() &&
          rounded <= std::numeric_limits<std::int16_t>::max()))
        return 0;
    return static_cast<std::int16_t>(rounded);
}

// The record table: three parallel single-precision columns.
struct RecordTable {
    std::array<float, kSlotCount> Code{};
    std::array<float, kSlotCount> X{};
    std::array<float, kSlotCount> Y{};
};

// An axis-aligned box that is empty until its first point.
struct Extent {
    bool empty = true;
    float minX = 0, minY = 0, maxX = 0, maxY = 0;

    void include(float x, float y) {
        if (empty) {
            minX = maxX = x;
            minY = maxY = y;
            empty = false;
            return;
        }
        minX = x < minX ? x : minX;
        minY = y < minY ? y : minY;
        maxX = x > maxX ? x : maxX;
        maxY = y > maxY ? y : maxY;
    }
};

// The whole state of one tracing job. Plain data: the trace model, the renderer, the receiver and
// the exporter all read it; the model's operations are its main writers.
struct TraceStore {
    RecordTable Pt;

    std::int16_t PtCount = 0; // valid slots; also the slot the next record goes to (0..10001)
    std::int16_t PointCount = 0;
    std::int16_t LineCount = 0;
    std::int16_t PolyCount = 0;

    bool SeqOpen = false;
    std::int16_t SeqVertices = 0;
    std::int16_t SeqStart = 0;

    // Bounding box of the recorded positions as files made by every earlier export know it: it
    // starts inverted at +-2000 at each reset and widens by strict tests, so a record beyond 2000
    // leaves the reset value standing on the other side. The DXF shifts coordinates by it.
    float MaxX = 0, MaxY = 0, MinX = 0, MinY = 0;
    // The true extent of the recorded positions, which the view fits: empty until the first
    // record enters it.
    Extent viewExtent;

    float ViewCx = 0, ViewCy = 0, ViewZoom = 0;
    float HalfW = 0, HalfH = 0;
    float ScaleDenom = 0;
    // Millimetres on the sheet per tablet unit: 1 for a tablet that counts in mm, 0.1 for one that
    // counts in tenths. The measurements read the scale as if its denominator were this many
    // times larger; the DXF keeps tablet units.
    double tabletUnitMm = 1;

    QString SaveFileName;
    QString AppDir;

    // Bumped whenever slots below PtCount may have changed other than by appending
    // (reset, drop-last), so that a picture built from earlier slots can tell it is stale.
    std::uint32_t epoch = 0;
};

} // namespace digitrace
