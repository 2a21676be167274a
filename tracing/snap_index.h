#pragma once

#include "model/record_walk.h"
#include "model/trace_store.h"

#include <QPointF>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace digitrace {

struct JobState;

// The tolerance snapping takes when it is switched on without a value, and that the topology
// check and follow take when the job has none: about what a tablet's accuracy allows.
inline constexpr double kDefaultSnapMm = 0.3;

// Millimetres on the sheet as tablet units; 0 for a unit that is not a positive number.
double toleranceUnits(double mm, double tabletUnitMm);
// The job's snapping tolerance, or kDefaultSnapMm when it snaps nothing.
double checkToleranceMm(const JobState &job);

// Where a press lands on what is traced already.
struct SnapTarget {
    enum Kind { Vertex, Segment };
    Kind kind = Vertex;
    QPointF at;
    // The vertex's slot; for a segment the slot its segment starts from.
    std::int16_t slot = 0;
};

// The trace's vertices and segments in a uniform grid of cells, in tablet units, so that a press
// looks at the few cells around it rather than at every record. It follows the store on its own:
// records appended since the last look are added, and a table changed below its end (Back, Clear,
// a clear taken back, a restore) is read again.
class SnapIndex {
public:
    // Cells this wide in tablet units, or wider; the index is read again when it changes.
    void setCellSize(double units);
    // Brings the index up to `store`, which must stay the same object while the index is used.
    void sync(const TraceStore &store);

    // The nearest vertex within `tolerance` of `p` (ties: the lowest slot), among those `accept`
    // takes when given.
    std::optional<SnapTarget>
    nearestVertex(QPointF p, double tolerance,
                  const std::function<bool(std::int16_t)> &accept = {}) const;
    // The nearest point of a segment within `tolerance` of `p`.
    std::optional<SnapTarget> nearestOnSegment(QPointF p, double tolerance) const;

    // The first slot of the feature the vertex at `slot` belongs to; -1 for a slot that is none.
    std::int16_t featureOf(std::int16_t slot) const;
    // A feature's vertex slots run from its first slot to this one.
    std::int16_t lastVertexOf(std::int16_t first) const { return runs_[std::size_t(first)].last; }
    // Whether the feature begun at `first` is a closed polygon.
    bool isClosed(std::int16_t first) const { return runs_[std::size_t(first)].closed; }

private:
    // A cell's vertices and segments are lists threaded through links_, from their heads here;
    // the cells sit in an open-addressed table, so that the index grows by few allocations.
    struct Cell {
        std::uint64_t key = 0;
        bool used = false;
        std::int32_t vertices = -1;
        std::int32_t segments = -1;
    };
    struct Link {
        std::int32_t item;
        std::int32_t next;
    };
    Cell &cellAt(std::uint64_t key);
    const Cell *findCell(std::uint64_t key) const;
    std::size_t home(std::uint64_t key) const;
    void grow();
    struct Run {
        std::int16_t last = 0;
        bool closed = false;
    };
    void rebuild();
    void add(std::int16_t slot);
    void addVertex(std::int16_t slot, std::int16_t feature);
    void addSegment(std::int16_t from, std::int16_t to);
    std::int64_t cellOf(double v) const;
    QPointF at(std::int16_t slot) const;
    // Calls visit(cell) for each cell that `p` +- `r` covers.
    template <class Visit> void around(QPointF p, double r, Visit &&visit) const;

    const TraceStore *store_ = nullptr;
    double cellSize_ = 64;
    std::uint32_t epoch_ = 0;
    int indexed_ = 0;
    RecordWalk walk_;
    std::vector<Cell> cells_;
    std::size_t cellsUsed_ = 0;
    std::vector<Link> links_;
    std::vector<std::pair<std::int16_t, std::int16_t>> segments_;
    // Segments too long to enter cell by cell; looked at on every query.
    std::vector<std::int32_t> longSegments_;
    std::vector<std::int16_t> featureOf_ = std::vector<std::int16_t>(kSlotCount, -1);
    std::vector<Run> runs_ = std::vector<Run>(kSlotCount);
};

} // namespace digitrace
