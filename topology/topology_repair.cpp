#include "topology/topology_repair.h"

#include "export/quiet_gdal.h"
#include "topology/plane_index.h"
#include "topology/shapes.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>

namespace digitrace {

namespace {

using namespace topology;
using ClassNames = std::map<int, QString>; // by first slot

ClassNames namesOf(const TraceClasses &classes) {
    ClassNames names;
    if (classes.inUse())
        for (auto f = classes.features->cbegin(); f != classes.features->cend(); ++f)
            names[f.key()] = f->className;
    return names;
}

QString classOf(const ClassNames &names, const Feature &f) {
    const auto found = names.find(f.firstSlot);
    return found == names.end() ? QString() : found->second;
}

bool samePoint(MapPoint a, MapPoint b) {
    return a.x == b.x && a.y == b.y;
}

void measure(Feature &f) {
    f.length = 0;
    double twiceArea = 0;
    forEachSegment(f.vertices, f.kind == FeatureKind::Polygon, [&](MapPoint a, MapPoint b) {
        f.length += std::hypot(b.x - a.x, b.y - a.y);
        twiceArea += a.x * b.y - b.x * a.y;
    });
    if (f.kind == FeatureKind::Polygon)
        f.area = std::abs(twiceArea) / 2;
}

// Repeats left where two vertices went to the same place; false when too few would be left.
bool dropRepeats(Feature &f) {
    std::vector<MapPoint> kept;
    for (const MapPoint &p : f.vertices)
        if (kept.empty() || !samePoint(kept.back(), p))
            kept.push_back(p);
    if (f.kind == FeatureKind::Polygon)
        while (kept.size() > 1 && samePoint(kept.front(), kept.back()))
            kept.pop_back();
    if (kept.size() < (f.kind == FeatureKind::Polygon ? 3u : 2u))
        return false;
    f.vertices = std::move(kept);
    return true;
}

class Repair {
public:
    Repair(FeatureSet &set, ClassNames names, double tolerance)
        : set_(set), names_(std::move(names)), tolerance_(tolerance) {}

    QStringList run() {
        const QuietGdal quiet;
        if (tolerance_ > 0)
            snap();
        node();
        makeValid();
        for (Feature &f : set_.features)
            measure(f);
        return notes_;
    }

private:
    bool shaped(const Feature &f) const { return f.kind != FeatureKind::Point; }

    // Onto another feature's vertex when one is within the tolerance, else onto its edge; a
    // vertex already on another feature stays.
    void snap() {
        std::vector<Box> boxes;
        for (const Feature &f : set_.features)
            boxes.push_back(boxOf(f.vertices));
        const PlaneIndex index(std::move(boxes));
        for (std::size_t i = 0; i < set_.features.size(); ++i) {
            Feature &f = set_.features[i];
            if (!shaped(f))
                continue;
            const std::vector<MapPoint> before = f.vertices;
            int moved = 0;
            for (MapPoint &p : f.vertices) {
                const auto near = index.near(Box{p.x, p.y, p.x, p.y}.grown(2 * tolerance_));
                double vertexDistance = std::numeric_limits<double>::max();
                double edgeDistance = std::numeric_limits<double>::max();
                MapPoint vertex, edge;
                for (int j : near) {
                    const Feature &g = set_.features[std::size_t(j)];
                    if (std::size_t(j) == i || !shaped(g))
                        continue;
                    for (const MapPoint &q : g.vertices) {
                        const double d = std::hypot(q.x - p.x, q.y - p.y);
                        if (d < vertexDistance) {
                            vertexDistance = d;
                            vertex = q;
                        }
                    }
                    forEachSegment(g.vertices, g.kind == FeatureKind::Polygon,
                                   [&](MapPoint a, MapPoint b) {
                                       MapPoint on;
                                       const double d = distanceToSegment(p, a, b, &on);
                                       if (d < edgeDistance) {
                                           edgeDistance = d;
                                           edge = on;
                                       }
                                   });
                }
                if (edgeDistance == 0 || std::min(vertexDistance, edgeDistance) > tolerance_)
                    continue;
                p = vertexDistance <= tolerance_ ? vertex : edge;
                ++moved;
            }
            if (moved == 0)
                continue;
            if (!dropRepeats(f)) {
                f.vertices = before;
                notes_
                    << QCoreApplication::translate(
                           "digitrace::TopologyRepair",
                           "地物 %1 は許容差内の頂点を合わせるとつぶれるため、そのままにしました")
                           .arg(f.firstSlot);
                continue;
            }
            notes_ << QCoreApplication::translate(
                          "digitrace::TopologyRepair",
                          "地物 %1 の頂点 %2 個を許容差内の他の地物に合わせました")
                          .arg(f.firstSlot)
                          .arg(moved);
        }
    }

    // A vertex in both lines where two lines of one class cross.
    void node() {
        std::vector<Box> boxes;
        for (const Feature &f : set_.features)
            boxes.push_back(boxOf(f.vertices));
        const PlaneIndex index(std::move(boxes));
        // Per line, per segment: the fractions along it where a vertex goes in.
        std::map<std::size_t, std::map<std::size_t, std::vector<std::pair<double, MapPoint>>>>
            inserts;
        for (const auto &[i, j] : index.pairsWithin(0)) {
            const Feature &a = set_.features[std::size_t(i)];
            const Feature &b = set_.features[std::size_t(j)];
            if (a.kind != FeatureKind::Line || b.kind != FeatureKind::Line ||
                classOf(names_, a) != classOf(names_, b))
                continue;
            int crossings = 0;
            for (std::size_t s = 0; s + 1 < a.vertices.size(); ++s)
                for (std::size_t t = 0; t + 1 < b.vertices.size(); ++t) {
                    const MapPoint p = a.vertices[s], q = a.vertices[s + 1];
                    const MapPoint r = b.vertices[t], u = b.vertices[t + 1];
                    const auto met = segmentsMeet(p, q, r, u);
                    if (!met || met->second <= 0 || met->second >= 1)
                        continue;
                    const auto back = segmentsMeet(r, u, p, q);
                    if (!back || back->second <= 0 || back->second >= 1)
                        continue;
                    inserts[std::size_t(i)][s].push_back({met->second, met->first});
                    inserts[std::size_t(j)][t].push_back({back->second, met->first});
                    ++crossings;
                }
            if (crossings > 0)
                notes_ << QCoreApplication::translate(
                              "digitrace::TopologyRepair",
                              "線 %1 と線 %2 の交差 %3 か所に共通の頂点を加えました")
                              .arg(a.firstSlot)
                              .arg(b.firstSlot)
                              .arg(crossings);
        }
        for (auto &[line, bySegment] : inserts) {
            Feature &f = set_.features[line];
            std::vector<MapPoint> noded;
            for (std::size_t s = 0; s < f.vertices.size(); ++s) {
                noded.push_back(f.vertices[s]);
                const auto found = bySegment.find(s);
                if (found == bySegment.end())
                    continue;
                std::sort(found->second.begin(), found->second.end(),
                          [](const auto &x, const auto &y) { return x.first < y.first; });
                for (const auto &[fraction, point] : found->second)
                    noded.push_back(point);
            }
            f.vertices = std::move(noded);
            dropRepeats(f);
        }
    }

    void makeValid() {
        const double small = 4 * tolerance_ * tolerance_; // a square twice the tolerance across
        for (Feature &f : set_.features) {
            if (f.kind != FeatureKind::Polygon)
                continue;
            const Shape shape = ringShape(f.vertices);
            if (shape->IsValid())
                continue;
            const Shape valid(shape->MakeValid());
            const OGRPolygon *main = nullptr;
            double total = 0;
            forEachPolygon(valid.get(), [&](const OGRPolygon &p) {
                total += p.get_Area();
                if (!main || p.get_Area() > main->get_Area())
                    main = &p;
            });
            const OGRLinearRing *outer = main ? main->getExteriorRing() : nullptr;
            const double lost = main ? total - main->get_Area() : 0;
            double holes = 0;
            if (main)
                for (int h = 0; h < main->getNumInteriorRings(); ++h)
                    holes += std::abs(main->getInteriorRing(h)->get_Area());
            if (!outer || outer->getNumPoints() < 4 || lost > small || holes > small) {
                notes_ << QCoreApplication::translate(
                              "digitrace::TopologyRepair",
                              "多角形 %1 は自己交差していますが、直すと二つ以上の部分に分かれる"
                              "ため、そのままにしました")
                              .arg(f.firstSlot);
                continue;
            }
            std::vector<MapPoint> ring;
            for (int k = 0; k + 1 < outer->getNumPoints(); ++k)
                ring.push_back({outer->getX(k), outer->getY(k)});
            f.vertices = std::move(ring);
            notes_ << QCoreApplication::translate(
                          "digitrace::TopologyRepair",
                          "多角形 %1 の自己交差を直しました (落とした部分の面積 %2)")
                          .arg(f.firstSlot)
                          .arg(lost + holes, 0, 'g', 3);
        }
    }

    FeatureSet &set_;
    ClassNames names_;
    double tolerance_;
    QStringList notes_;
};

} // namespace

QStringList repairFeatures(FeatureSet &set, const TraceClasses &classes, double toleranceMapUnits) {
    return Repair(set, namesOf(classes), toleranceMapUnits).run();
}

std::function<QStringList(FeatureSet &)> repairHook(const TraceClasses &classes,
                                                    double toleranceMapUnits) {
    return [names = namesOf(classes), toleranceMapUnits](FeatureSet &set) {
        return Repair(set, names, toleranceMapUnits).run();
    };
}

double mapDistance(const Placement &placement, double tabletUnits) {
    // Over a long stretch, so that the records' one decimal does not count; the mean of both axes
    // for a transform that scales them apart.
    constexpr float kStretch = 1000;
    const MapPoint o = placement.place(0, 0);
    const MapPoint x = placement.place(kStretch, 0);
    const MapPoint y = placement.place(0, kStretch);
    const double perUnit =
        (std::hypot(x.x - o.x, x.y - o.y) + std::hypot(y.x - o.x, y.y - o.y)) / (2 * kStretch);
    return tabletUnits * perUnit;
}

} // namespace digitrace
