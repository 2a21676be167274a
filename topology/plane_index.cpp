#include "topology/plane_index.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace digitrace::topology {

Box boxOf(const std::vector<MapPoint> &points) {
    Box b{std::numeric_limits<double>::max(), std::numeric_limits<double>::max(),
          std::numeric_limits<double>::lowest(), std::numeric_limits<double>::lowest()};
    for (const MapPoint &p : points) {
        b.minX = std::min(b.minX, p.x);
        b.minY = std::min(b.minY, p.y);
        b.maxX = std::max(b.maxX, p.x);
        b.maxY = std::max(b.maxY, p.y);
    }
    return b;
}

namespace {
// Enough cells that a typical box covers a few, few enough that the grid stays small.
constexpr int kMaxCellsPerSide = 1024;
} // namespace

PlaneIndex::PlaneIndex(std::vector<Box> boxes) : boxes_(std::move(boxes)), seen_(boxes_.size()) {
    if (boxes_.empty())
        return;
    Box all = boxes_.front();
    double sizes = 0;
    for (const Box &b : boxes_) {
        all.minX = std::min(all.minX, b.minX);
        all.minY = std::min(all.minY, b.minY);
        all.maxX = std::max(all.maxX, b.maxX);
        all.maxY = std::max(all.maxY, b.maxY);
        sizes += std::max(b.maxX - b.minX, b.maxY - b.minY);
    }
    const double side = std::max(all.maxX - all.minX, all.maxY - all.minY);
    const double spread = side / std::sqrt(double(boxes_.size()));
    cell_ = std::max({sizes / double(boxes_.size()), spread, side / kMaxCellsPerSide, 1e-9});
    originX_ = all.minX;
    originY_ = all.minY;
    columns_ = std::min(kMaxCellsPerSide, int((all.maxX - all.minX) / cell_) + 1);
    rows_ = std::min(kMaxCellsPerSide, int((all.maxY - all.minY) / cell_) + 1);
    cells_.resize(std::size_t(columns_) * std::size_t(rows_));
    for (int i = 0; i < int(boxes_.size()); ++i) {
        const Box &b = boxes_[std::size_t(i)];
        const auto [c0, r0] = cellOf(b.minX, b.minY);
        const auto [c1, r1] = cellOf(b.maxX, b.maxY);
        for (int r = r0; r <= r1; ++r)
            for (int c = c0; c <= c1; ++c)
                cells_[std::size_t(r) * std::size_t(columns_) + std::size_t(c)].push_back(i);
    }
}

std::pair<int, int> PlaneIndex::cellOf(double x, double y) const {
    const int c = int(std::floor((x - originX_) / cell_));
    const int r = int(std::floor((y - originY_) / cell_));
    return {std::clamp(c, 0, columns_ - 1), std::clamp(r, 0, rows_ - 1)};
}

std::vector<int> PlaneIndex::near(const Box &query) const {
    std::vector<int> found;
    if (cells_.empty())
        return found;
    if (++stamp_ == 0) {
        std::fill(seen_.begin(), seen_.end(), 0);
        stamp_ = 1;
    }
    const auto [c0, r0] = cellOf(query.minX, query.minY);
    const auto [c1, r1] = cellOf(query.maxX, query.maxY);
    for (int r = r0; r <= r1; ++r)
        for (int c = c0; c <= c1; ++c)
            for (int i : cells_[std::size_t(r) * std::size_t(columns_) + std::size_t(c)]) {
                if (seen_[std::size_t(i)] == stamp_)
                    continue;
                seen_[std::size_t(i)] = stamp_;
                if (boxes_[std::size_t(i)].meets(query))
                    found.push_back(i);
            }
    std::sort(found.begin(), found.end());
    return found;
}

std::vector<std::pair<int, int>> PlaneIndex::pairsWithin(double margin) const {
    std::vector<std::pair<int, int>> pairs;
    for (int i = 0; i < int(boxes_.size()); ++i)
        for (int j : near(boxes_[std::size_t(i)].grown(margin)))
            if (j > i)
                pairs.emplace_back(i, j);
    return pairs;
}

double distanceToSegment(MapPoint p, MapPoint a, MapPoint b, MapPoint *nearest) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double length2 = dx * dx + dy * dy;
    double t = length2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / length2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    const MapPoint q{a.x + t * dx, a.y + t * dy};
    if (nearest)
        *nearest = q;
    return std::hypot(p.x - q.x, p.y - q.y);
}

std::optional<std::pair<MapPoint, double>> segmentsMeet(MapPoint a, MapPoint b, MapPoint c,
                                                        MapPoint d) {
    const double rx = b.x - a.x, ry = b.y - a.y;
    const double sx = d.x - c.x, sy = d.y - c.y;
    const double denominator = rx * sy - ry * sx;
    if (denominator == 0)
        return std::nullopt;
    const double qx = c.x - a.x, qy = c.y - a.y;
    const double t = (qx * sy - qy * sx) / denominator;
    const double u = (qx * ry - qy * rx) / denominator;
    if (t < 0 || t > 1 || u < 0 || u > 1)
        return std::nullopt;
    return std::pair{MapPoint{a.x + t * rx, a.y + t * ry}, t};
}

double distanceTo(MapPoint p, const std::vector<MapPoint> &v, bool ring) {
    if (v.size() == 1)
        return std::hypot(p.x - v[0].x, p.y - v[0].y);
    double best = std::numeric_limits<double>::max();
    forEachSegment(v, ring, [&](MapPoint a, MapPoint b) {
        best = std::min(best, distanceToSegment(p, a, b));
    });
    return best;
}

} // namespace digitrace::topology
