#pragma once

#include "registration/transform_fit.h"

#include <QString>

#include <array>
#include <vector>

namespace digitrace {

// The order of a CRS's two axes as its authority defines them, which is how surveyors type
// coordinates in it. Control points and everything after them keep east (or longitude) first, as
// GIS files do; the map columns of the dialog and of control-point files follow the CRS.
enum class AxisOrder { EastNorth, NorthEast };

// The map's coordinate system as the operator typed it ("EPSG:6677", a WKT text; "" for local map
// coordinates), read by GDAL and checked to be one a sheet can be placed in: a horizontal,
// two-dimensional projected or geographic CRS.
struct MapCrs {
    QString wkt; // WKT2; "" for local map coordinates
    QString name;
    QString error; // why it is not usable; "" when it is
    bool geographic = false;
    AxisOrder order = AxisOrder::EastNorth;
    // Titles of the map columns in the CRS's own order, e.g. "X (北)", "Y (東)".
    std::array<QString, 2> axisTitles;
    bool ok() const { return error.isEmpty(); }
};
MapCrs readMapCrs(const QString &text);

// The CRS against the control points' map coordinates: error when they cannot be in it
// (beyond the range of degrees in a geographic CRS), warning when they very likely are not (a
// millimetre on the sheet spanning more than a tenth of a degree, or less than a millimetre on the
// ground in a projected CRS). tabletUnitMm is the sheet length of one tablet unit.
struct CrsFitCheck {
    QString error;
    QString warning;
};
CrsFitCheck checkCrsAgainstPoints(const MapCrs &crs, const std::vector<ControlPoint> &points,
                                  const Fit &fit, double tabletUnitMm);

} // namespace digitrace
