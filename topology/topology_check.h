#pragma once

#include "classes/classed_feature.h"
#include "export/gis_features.h"
#include "model/trace_store.h"

#include <QPointF>
#include <QString>

#include <vector>

namespace digitrace {

enum class FindingKind { Invalid, Dangle, Duplicate, Overlap, Gap };

// The kind's name in a report line: "invalid", "dangle", "duplicate", "overlap", "gap".
QString findingKindName(FindingKind kind);

struct TopologyFinding {
    FindingKind kind = FindingKind::Invalid;
    QPointF at;                // where, in tablet units
    std::vector<int> features; // their first slots
    QString what;              // a short text for the operator
};

struct TopologyReport {
    std::vector<TopologyFinding> findings;
    int count(FindingKind kind) const;
    bool clean() const { return findings.empty(); }
};

// Faults of the traced features among themselves: rings that cross themselves, lines that stop
// short of or run past another, features traced twice, polygons of one class that overlap or leave
// a sliver between them. Features of different classes are not compared with each other.
// `toleranceUnits` is in tablet units.
TopologyReport checkTopology(const TraceStore &store, const TraceClasses &classes,
                             double toleranceUnits);

// The same check of features already collected, in their own units: `onDistance` is how far an
// end may lie from a feature and still be on it (a record's rounding; the repair's are exact).
TopologyReport checkFeatures(const FeatureSet &set, const TraceClasses &classes, double tolerance,
                             double onDistance);

} // namespace digitrace
