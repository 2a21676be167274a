#pragma once

#include "classes/classed_feature.h"
#include "export/edge_match.h"
#include "model/trace_store.h"
#include "registration/registration.h"

#include <QString>
#include <QTextStream>

namespace digitrace {

// One line an end on the sheet's edge, tab-separated: "edge", matched, unmatched or
// neighbour-unmatched, x and y on the map, the class ("" for none), the sheet (for a match "own /
// neighbour's"); then the counts.
QString edgeLines(const EdgeMatchReport &report);

// Matches the published sheet's edge with its neighbours' within `toleranceMm` on the sheet and
// prints what edgeLines() gives; false with the reason in *error when the check could not run.
bool printEdgeCheck(const TraceStore &store, const Registration &registration, const QString &sheet,
                    const TraceClasses &classes, const QString &connection, double toleranceMm,
                    QTextStream &out, QString *error);

} // namespace digitrace
