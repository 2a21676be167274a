#include "topology/topology_check.h"

#include "export/quiet_gdal.h"
#include "topology/plane_index.h"
#include "topology/shapes.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <numeric>
#include <set>
#include <tuple>

namespace digitrace {

QString findingKindName(FindingKind kind) {
    switch (kind) {
    case FindingKind::Invalid:
        return QStringLiteral("invalid");
    case FindingKind::Dangle:
        return QStringLiteral("dangle");
    case FindingKind::Duplicate:
        return QStringLiteral("duplicate");
    case FindingKind::Overlap:
        return QStringLiteral("overlap");
    case FindingKind::Gap:
        return QStringLiteral("gap");
    }
    return {};
}

int TopologyReport::count(FindingKind kind) const {
    return int(std::count_if(findings.begin(), findings.end(),
                             [kind](const TopologyFinding &f) { return f.kind == kind; }));
}

namespace {

using namespace topology;

QString text(const char *source) {
    return QCoreApplication::translate("digitrace::Topology", source);
}

// A record holds one decimal: a position placed on a feature is off it by up to 0.05 each way.
constexpr double kRecordRounding = 0.075;
// What overlaying coordinates of a sheet's size leaves behind at the least.
constexpr double kArithmetic = 1e-6;

struct Item {
    const Feature *feature = nullptr;
    QString className;
    Geos::Handle valid; // a polygon's valid shape
};

class Checker {
public:
    Checker(const FeatureSet &set, const TraceClasses &classes, double tolerance, double onDistance)
        : tolerance_(std::max(tolerance, 0.0)),
          on_(std::min(std::max(onDistance, 0.0), tolerance_ / 2)),
          // Below these a piece is the arithmetic's or the records' rounding, not a fault.
          thin_(std::max({on_ / 2, tolerance_ * 1e-4, kArithmetic})), index_(boxes(set)) {
        for (const Feature &f : set.features) {
            const ClassedFeature *c = classes.featureAt(f.firstSlot);
            items_.push_back({&f, c ? c->className : QString(), Geos::Handle(nullptr, {})});
        }
    }

    TopologyReport run() {
        // What GEOS says of invalid rings goes into the findings, not to standard error.
        const QuietGdal quiet;
        invalid();
        duplicates();
        dangles();
        overlaps();
        gaps();
        std::sort(report_.findings.begin(), report_.findings.end(),
                  [](const TopologyFinding &a, const TopologyFinding &b) {
                      return std::tie(a.kind, a.features) < std::tie(b.kind, b.features) ||
                             (std::tie(a.kind, a.features) == std::tie(b.kind, b.features) &&
                              std::pair(a.at.x(), a.at.y()) < std::pair(b.at.x(), b.at.y()));
                  });
        return std::move(report_);
    }

private:
    static std::vector<Box> boxes(const FeatureSet &set) {
        std::vector<Box> out;
        out.reserve(set.features.size());
        for (const Feature &f : set.features)
            out.push_back(boxOf(f.vertices));
        return out;
    }

    const Feature &feature(int i) const { return *items_[std::size_t(i)].feature; }
    bool polygon(int i) const { return feature(i).kind == FeatureKind::Polygon; }
    bool sameClass(int i, int j) const {
        return items_[std::size_t(i)].className == items_[std::size_t(j)].className;
    }
    bool significant(const GEOSGeometry *piece) const {
        const double area = geos_.area(piece);
        const double perimeter = geos_.perimeter(piece);
        return area > thin_ * thin_ && perimeter > 0 && 2 * area / perimeter > thin_;
    }

    void add(FindingKind kind, MapPoint at, std::vector<int> items, const char *what) {
        std::vector<int> firstSlots;
        for (int i : items)
            firstSlots.push_back(feature(i).firstSlot);
        std::sort(firstSlots.begin(), firstSlots.end());
        firstSlots.erase(std::unique(firstSlots.begin(), firstSlots.end()), firstSlots.end());
        report_.findings.push_back({kind, QPointF(at.x, at.y), std::move(firstSlots), text(what)});
    }

    void invalid() {
        for (int i = 0; i < int(items_.size()); ++i) {
            if (!polygon(i))
                continue;
            Geos::Handle shape = geos_.from(*ringShape(feature(i).vertices));
            const std::optional<MapPoint> at = geos_.invalidAt(shape.get());
            if (at)
                add(FindingKind::Invalid, *at, {i},
                    QT_TRANSLATE_NOOP("digitrace::Topology", "不正な多角形です（自己交差など）"));
            items_[std::size_t(i)].valid =
                at && shape ? geos_.madeValid(shape.get()) : std::move(shape);
        }
    }

    // A line's end near another feature but not on it: it either stops short of it or has
    // crossed it just before.
    void dangles() {
        const double reach = 2 * tolerance_;
        if (reach <= 0)
            return;
        for (int i = 0; i < int(items_.size()); ++i) {
            const Feature &line = feature(i);
            if (line.kind != FeatureKind::Line)
                continue;
            const std::vector<MapPoint> &v = line.vertices;
            if (v.front().x == v.back().x && v.front().y == v.back().y)
                continue;
            for (bool atStart : {true, false}) {
                std::vector<MapPoint> tail; // from the end backwards, as far as `reach`
                double length = 0;
                for (std::size_t k = 0; k < v.size() && (tail.size() < 2 || length < reach); ++k) {
                    const MapPoint &p = atStart ? v[k] : v[v.size() - 1 - k];
                    if (!tail.empty())
                        length += std::hypot(p.x - tail.back().x, p.y - tail.back().y);
                    tail.push_back(p);
                }
                dangle(i, tail);
            }
        }
    }

    void dangle(int i, const std::vector<MapPoint> &tail) {
        const double reach = 2 * tolerance_;
        const MapPoint end = tail.front();
        double nearest = std::numeric_limits<double>::max();
        int nearestItem = -1;
        double crossedAt = std::numeric_limits<double>::max();
        int crossedItem = -1;
        for (int j : index_.near(Box{end.x, end.y, end.x, end.y}.grown(reach))) {
            const Feature &other = feature(j);
            if (j == i || other.kind == FeatureKind::Point ||
                duplicate_.count({std::min(i, j), std::max(i, j)}))
                continue;
            const bool ring = other.kind == FeatureKind::Polygon;
            const double d = distanceTo(end, other.vertices, ring);
            if (d <= on_)
                return;
            if (d < nearest) {
                nearest = d;
                nearestItem = j;
            }
            double along = 0;
            for (std::size_t k = 0; k + 1 < tail.size(); ++k) {
                const MapPoint a = tail[k], b = tail[k + 1];
                const double step = std::hypot(b.x - a.x, b.y - a.y);
                forEachSegment(other.vertices, ring, [&](MapPoint c, MapPoint d2) {
                    if (const auto met = segmentsMeet(a, b, c, d2)) {
                        const double s = along + met->second * step;
                        if (s > on_ && s <= reach && s < crossedAt) {
                            crossedAt = s;
                            crossedItem = j;
                        }
                    }
                });
                along += step;
            }
        }
        if (crossedItem >= 0)
            add(FindingKind::Dangle, end, {i, crossedItem},
                QT_TRANSLATE_NOOP("digitrace::Topology", "線の端が他の地物を越えています"));
        else if (nearestItem >= 0 && nearest <= reach)
            add(FindingKind::Dangle, end, {i, nearestItem},
                QT_TRANSLATE_NOOP("digitrace::Topology", "線の端が他の地物に届いていません"));
    }

    // Every vertex of each within the tolerance of the other: the same feature whichever way
    // and from whichever vertex it was traced.
    bool sameShape(int i, int j) const {
        const Feature &a = feature(i), &b = feature(j);
        const Box ba = index_.box(i), bb = index_.box(j);
        if (std::abs(ba.minX - bb.minX) > tolerance_ || std::abs(ba.maxX - bb.maxX) > tolerance_ ||
            std::abs(ba.minY - bb.minY) > tolerance_ || std::abs(ba.maxY - bb.maxY) > tolerance_)
            return false;
        const bool ring = a.kind == FeatureKind::Polygon;
        auto within = [&](const Feature &from, const Feature &to) {
            return std::all_of(from.vertices.begin(), from.vertices.end(), [&](MapPoint p) {
                return distanceTo(p, to.vertices, ring) <= tolerance_;
            });
        };
        return within(a, b) && within(b, a);
    }

    void duplicates() {
        for (const auto &[i, j] : index_.pairsWithin(tolerance_)) {
            if (feature(i).kind != feature(j).kind || !sameClass(i, j) || !sameShape(i, j))
                continue;
            duplicate_.insert({i, j});
            add(FindingKind::Duplicate, feature(j).vertices.front(), {i, j},
                QT_TRANSLATE_NOOP("digitrace::Topology", "同じ地物が二度トレースされています"));
        }
    }

    void overlaps() {
        for (const auto &[i, j] : index_.pairsWithin(0)) {
            if (!polygon(i) || !polygon(j) || !sameClass(i, j) || duplicate_.count({i, j}))
                continue;
            const GEOSGeometry *a = items_[std::size_t(i)].valid.get();
            const GEOSGeometry *b = items_[std::size_t(j)].valid.get();
            if (!a || !b || !geos_.intersects(a, b))
                continue;
            const Geos::Handle common = geos_.intersection(a, b);
            double largest = 0;
            MapPoint at;
            geos_.forEachPolygon(common.get(), [&](const GEOSGeometry *piece) {
                if (significant(piece) && geos_.area(piece) > largest) {
                    largest = geos_.area(piece);
                    at = geos_.pointInside(piece);
                }
            });
            if (largest > 0)
                add(FindingKind::Overlap, at, {i, j},
                    QT_TRANSLATE_NOOP("digitrace::Topology", "同じクラスの多角形が重なっています"));
        }
    }

    // Neighbours of one class, grouped by coming within twice the tolerance of each other; what
    // closing their union fills between two or more of them is a gap.
    void gaps() {
        if (tolerance_ <= 0)
            return;
        std::vector<int> group(items_.size());
        std::iota(group.begin(), group.end(), 0);
        auto root = [&](int i) {
            while (group[std::size_t(i)] != i)
                i = group[std::size_t(i)] = group[std::size_t(group[std::size_t(i)])];
            return i;
        };
        for (const auto &[i, j] : index_.pairsWithin(2 * tolerance_))
            if (polygon(i) && polygon(j) && sameClass(i, j))
                group[std::size_t(root(j))] = root(i);
        std::map<int, std::vector<int>> groups;
        for (int i = 0; i < int(items_.size()); ++i)
            if (polygon(i))
                groups[root(i)].push_back(i);
        for (const auto &entry : groups)
            if (entry.second.size() >= 2)
                gapsAmong(entry.second);
    }

    void gapsAmong(const std::vector<int> &members) {
        std::vector<const GEOSGeometry *> parts;
        for (int m : members)
            if (items_[std::size_t(m)].valid)
                parts.push_back(items_[std::size_t(m)].valid.get());
        const Geos::Handle joined = geos_.unionOf(parts);
        if (!joined)
            return;
        const Geos::Handle closed = geos_.closing(joined.get(), tolerance_);
        if (!closed)
            return;
        const Geos::Handle added = geos_.difference(closed.get(), joined.get());
        geos_.forEachPolygon(added.get(), [&](const GEOSGeometry *piece) {
            if (!significant(piece))
                return;
            Box around;
            geos_.bounds(piece, &around.minX, &around.minY, &around.maxX, &around.maxY);
            around = around.grown(thin_);
            std::vector<int> touching;
            for (int m : members)
                if (items_[std::size_t(m)].valid && index_.box(m).meets(around) &&
                    geos_.distance(items_[std::size_t(m)].valid.get(), piece) <= thin_)
                    touching.push_back(m);
            if (touching.size() >= 2)
                add(FindingKind::Gap, geos_.pointInside(piece), touching,
                    QT_TRANSLATE_NOOP("digitrace::Topology",
                                      "同じクラスの多角形の間に細いすき間があります"));
        });
    }

    double tolerance_;
    double on_;
    double thin_;
    PlaneIndex index_;
    Geos geos_; // before the items, whose shapes it outlives
    std::vector<Item> items_;
    std::set<std::pair<int, int>> duplicate_;
    TopologyReport report_;
};

} // namespace

TopologyReport checkFeatures(const FeatureSet &set, const TraceClasses &classes, double tolerance,
                             double onDistance) {
    return Checker(set, classes, tolerance, onDistance).run();
}

TopologyReport checkTopology(const TraceStore &store, const TraceClasses &classes,
                             double toleranceUnits) {
    // Unregistered at 1:1000 with a millimetre unit: a tablet unit is a metre, so the features
    // keep the records' own coordinates.
    const Placement tabletUnits{std::nullopt, 1000, 1};
    return checkFeatures(collectFeatures(store, tabletUnits), classes, toleranceUnits,
                         kRecordRounding);
}

} // namespace digitrace
