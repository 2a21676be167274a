#pragma once

#include "registration/transform_fit.h"

#include <QString>

#include <vector>

namespace digitrace {

// The header line of a control-point file whose map columns are x then y, easting first where
// the map has a CRS. Files that name their map columns map_east,map_north or map_north,map_east
// hold them in that order.
inline const QString kControlPointsHeader =
    QStringLiteral("name,tablet_x,tablet_y,map_x,map_y,used");

// The order of a file's map columns, as its header names them.
enum class MapColumns { XY, EastNorth, NorthEast };

// Larger files and lines are no control points: reading stops there.
constexpr qint64 kLargestControlPointsFile = 1 << 20;
constexpr qsizetype kLongestControlPointsLine = 4096;
// Names this long and any coordinates still make a line well within the limit.
constexpr qsizetype kLongestPointName = 256;

struct ControlPointsRead {
    std::vector<ControlPoint> points; // map coordinates easting first, whatever the file's order
    MapColumns columns = MapColumns::XY;
    QString error; // a whole message naming the file and the line; "" when read
    bool ok() const { return error.isEmpty(); }
};

// Numbers are read and written with '.' whatever the locale; a name holding a comma or a quote
// is quoted as CSV does.
ControlPointsRead parseControlPoints(const QByteArray &text, const QString &fileName);
QByteArray formatControlPoints(const std::vector<ControlPoint> &points,
                               MapColumns columns = MapColumns::XY);

// Reads plain files only, up to kLargestControlPointsFile.
ControlPointsRead loadControlPoints(const QString &path);
// Written aside and put in place only when complete. Returns "" or the message for the operator.
QString saveControlPoints(const std::vector<ControlPoint> &points, const QString &path,
                          MapColumns columns = MapColumns::XY);

} // namespace digitrace
