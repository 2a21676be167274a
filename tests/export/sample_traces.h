#pragma once

#include "classes/class_catalogue.h"
#include "classes/classed_feature.h"
#include "model/trace_model.h"

#include <QByteArray>
#include <QPointF>
#include <QString>

#include <vector>

namespace digitrace::test {

inline const QByteArray kTrailer = "  0\r\nENDSEC\r\n  0\r\nEOF\r\n";

// Text written with plain line feeds, as the file has it: every line ending in CR LF.
inline QByteArray fromLines(const char *text) {
    return QByteArray(text).replace("\n", "\r\n");
}

// What a reader should find: a POINT at one position or a LINE between two, in tablet units.
struct Shape {
    QString type;
    std::vector<QPointF> points;
    QString className = {}; // of the feature it belongs to; "" for none
};

// A trace taken in record by record as the receive loop does, with the shapes it was drawn as.
struct SampleTrace {
    TraceModel model;
    std::vector<Shape> shapes;
};

// The five records of the worked example: a point, then a triangle closed by a code-3 record.
SampleTrace workedExample();

// A full table of 10,001 records cycling through points, polygons, lines and a one-segment line
// followed by a point; it ends inside an unclosed sequence.
SampleTrace fullTable();

// A trace of points, polygons and lines in the classes of a small catalogue, a polygon of none,
// with names that no DXF layer or shapefile takes as they are:
//   slot 0 point 標高点, 1 polygon 建物, 6 polygon of no class, 10 line 等高線, 13 line 建物 (a
//   polygon class), 16 one-segment line 等高線 without values, 18 point 危険/区域:"A".
struct ClassedSample {
    SampleTrace trace;
    ClassCatalogue catalogue;
    ClassedFeatures features;
    TraceClasses classes() const { return {&catalogue, &features}; }
};
ClassedSample classedSample();

} // namespace digitrace::test
