#include "tracing/snap_index.h"

#include "job/job_replay.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace digitrace {
namespace {

// A segment that crosses more cells than this (one far off the sheet) is looked at on every
// query instead, so that no record can fill the grid.
constexpr std::int64_t kMostCellsOfASegment = 1024;
// Small enough that a cell holds a few vertices of a dense trace, large enough that an ordinary
// segment crosses few cells.
constexpr double kSmallestCell = 64;

std::uint64_t key(std::int64_t cx, std::int64_t cy) {
    return (std::uint64_t(std::uint32_t(std::int32_t(cx))) << 32) | std::uint32_t(std::int32_t(cy));
}

double squared(QPointF d) {
    return d.x() * d.x() + d.y() * d.y();
}

// The point of segment a-b nearest to p.
QPointF nearestOn(QPointF a, QPointF b, QPointF p) {
    const QPointF d = b - a;
    const double length = squared(d);
    if (length == 0)
        return a;
    const double t = std::clamp(QPointF::dotProduct(p - a, d) / length, 0.0, 1.0);
    return a + t * d;
}

} // namespace

double toleranceUnits(double mm, double tabletUnitMm) {
    return tabletUnitMm > 0 && std::isfinite(tabletUnitMm) ? mm / tabletUnitMm : 0;
}

double checkToleranceMm(const JobState &job) {
    return job.snapMm > 0 ? job.snapMm : kDefaultSnapMm;
}

void SnapIndex::setCellSize(double units) {
    const double size = std::max(units, kSmallestCell);
    if (size == cellSize_ || !std::isfinite(size))
        return;
    cellSize_ = size;
    rebuild();
}

void SnapIndex::sync(const TraceStore &store) {
    if (store_ != &store || store.epoch != epoch_ || store.PtCount < indexed_) {
        store_ = &store;
        rebuild();
    }
    while (indexed_ < store.PtCount)
        add(std::int16_t(indexed_++));
}

std::size_t SnapIndex::home(std::uint64_t key) const {
    return std::size_t((key * 0x9E3779B97F4A7C15ull) >> 32) & (cells_.size() - 1);
}

const SnapIndex::Cell *SnapIndex::findCell(std::uint64_t key) const {
    if (cells_.empty())
        return nullptr;
    for (std::size_t i = home(key);; i = (i + 1) & (cells_.size() - 1)) {
        if (!cells_[i].used)
            return nullptr;
        if (cells_[i].key == key)
            return &cells_[i];
    }
}

SnapIndex::Cell &SnapIndex::cellAt(std::uint64_t key) {
    if (2 * (cellsUsed_ + 1) > cells_.size())
        grow();
    std::size_t i = home(key);
    for (; cells_[i].used; i = (i + 1) & (cells_.size() - 1))
        if (cells_[i].key == key)
            return cells_[i];
    ++cellsUsed_;
    cells_[i] = Cell{key, true, -1, -1};
    return cells_[i];
}

void SnapIndex::grow() {
    std::vector<Cell> old =
        std::exchange(cells_, std::vector<Cell>(std::max<std::size_t>(1024, 2 * cells_.size())));
    for (const Cell &cell : old) {
        if (!cell.used)
            continue;
        std::size_t i = home(cell.key);
        while (cells_[i].used)
            i = (i + 1) & (cells_.size() - 1);
        cells_[i] = cell;
    }
}

void SnapIndex::rebuild() {
    std::fill(cells_.begin(), cells_.end(), Cell());
    cellsUsed_ = 0;
    links_.clear();
    segments_.clear();
    longSegments_.clear();
    walk_ = RecordWalk();
    indexed_ = 0;
    if (!store_)
        return;
    epoch_ = store_->epoch;
    while (indexed_ < store_->PtCount)
        add(std::int16_t(indexed_++));
}

void SnapIndex::add(std::int16_t slot) {
    featureOf_[std::size_t(slot)] = -1;
    const WalkStep step = walk_.step(store_->Pt, slot);
    switch (step.event) {
    case WalkEvent::Start:
    case WalkEvent::Point:
        runs_[std::size_t(slot)] = {slot, false};
        addVertex(slot, slot);
        break;
    case WalkEvent::Segment: {
        const std::int16_t first = featureOf_[std::size_t(step.from)];
        runs_[std::size_t(first)].last = slot;
        addVertex(slot, first);
        addSegment(step.from, step.to);
        break;
    }
    case WalkEvent::Close:
        // The closing record is drawn nowhere: only the segment back to the start is.
        runs_[std::size_t(step.to)].closed = true;
        addSegment(step.from, step.to);
        break;
    case WalkEvent::None:
        break;
    }
}

std::int64_t SnapIndex::cellOf(double v) const {
    constexpr double lowest = std::numeric_limits<std::int32_t>::min();
    constexpr double highest = std::numeric_limits<std::int32_t>::max();
    return std::int64_t(std::clamp(std::floor(v / cellSize_), lowest, highest));
}

QPointF SnapIndex::at(std::int16_t slot) const {
    return {store_->Pt.X[std::size_t(slot)], store_->Pt.Y[std::size_t(slot)]};
}

void SnapIndex::addVertex(std::int16_t slot, std::int16_t feature) {
    featureOf_[std::size_t(slot)] = feature;
    const QPointF p = at(slot);
    Cell &cell = cellAt(key(cellOf(p.x()), cellOf(p.y())));
    links_.push_back({slot, cell.vertices});
    cell.vertices = std::int32_t(links_.size() - 1);
}

void SnapIndex::addSegment(std::int16_t from, std::int16_t to) {
    const auto index = std::int32_t(segments_.size());
    segments_.emplace_back(from, to);
    QPointF a = at(from), b = at(to);
    if (a.x() > b.x())
        std::swap(a, b);
    const std::int64_t x0 = cellOf(a.x()), x1 = cellOf(b.x());
    const std::int64_t ySpan = std::abs(cellOf(b.y()) - cellOf(a.y()));
    if (x1 - x0 + ySpan + 1 > kMostCellsOfASegment) {
        longSegments_.push_back(index);
        return;
    }
    // Column by column, the cells the segment passes through in that column.
    const double dx = b.x() - a.x();
    for (std::int64_t cx = x0; cx <= x1; ++cx) {
        double ya = a.y(), yb = b.y();
        if (dx > 0) {
            const double xa = std::max(a.x(), double(cx) * cellSize_);
            const double xb = std::min(b.x(), double(cx + 1) * cellSize_);
            ya = a.y() + (b.y() - a.y()) * (xa - a.x()) / dx;
            yb = a.y() + (b.y() - a.y()) * (xb - a.x()) / dx;
        }
        const std::int64_t y0 = cellOf(std::min(ya, yb)), y1 = cellOf(std::max(ya, yb));
        for (std::int64_t cy = y0; cy <= y1; ++cy) {
            Cell &cell = cellAt(key(cx, cy));
            links_.push_back({index, cell.segments});
            cell.segments = std::int32_t(links_.size() - 1);
        }
    }
}

template <class Visit> void SnapIndex::around(QPointF p, double r, Visit &&visit) const {
    const std::int64_t x0 = cellOf(p.x() - r), x1 = cellOf(p.x() + r);
    const std::int64_t y0 = cellOf(p.y() - r), y1 = cellOf(p.y() + r);
    for (std::int64_t cx = x0; cx <= x1; ++cx)
        for (std::int64_t cy = y0; cy <= y1; ++cy)
            if (const Cell *cell = findCell(key(cx, cy)))
                visit(*cell);
}

std::optional<SnapTarget>
SnapIndex::nearestVertex(QPointF p, double tolerance,
                         const std::function<bool(std::int16_t)> &accept) const {
    std::optional<SnapTarget> best;
    double bestDistance = tolerance * tolerance;
    around(p, tolerance, [&](const Cell &cell) {
        for (std::int32_t link = cell.vertices; link >= 0; link = links_[std::size_t(link)].next) {
            const auto slot = std::int16_t(links_[std::size_t(link)].item);
            const double d = squared(at(slot) - p);
            if (d > bestDistance || (d == bestDistance && best && best->slot < slot) ||
                (accept && !accept(slot)))
                continue;
            bestDistance = d;
            best = SnapTarget{SnapTarget::Vertex, at(slot), slot};
        }
    });
    return best;
}

std::optional<SnapTarget> SnapIndex::nearestOnSegment(QPointF p, double tolerance) const {
    std::optional<SnapTarget> best;
    double bestDistance = tolerance * tolerance;
    const auto consider = [&](std::int32_t index) {
        const auto [from, to] = segments_[std::size_t(index)];
        const QPointF on = nearestOn(at(from), at(to), p);
        const double d = squared(on - p);
        if (d > bestDistance || (d == bestDistance && best && best->slot < from))
            return;
        bestDistance = d;
        best = SnapTarget{SnapTarget::Segment, on, from};
    };
    around(p, tolerance, [&](const Cell &cell) {
        for (std::int32_t link = cell.segments; link >= 0; link = links_[std::size_t(link)].next)
            consider(links_[std::size_t(link)].item);
    });
    for (const std::int32_t index : longSegments_)
        consider(index);
    return best;
}

std::int16_t SnapIndex::featureOf(std::int16_t slot) const {
    return slot >= 0 && slot < indexed_ ? featureOf_[std::size_t(slot)] : -1;
}

} // namespace digitrace
