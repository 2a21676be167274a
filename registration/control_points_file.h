#pragma once

#include "registration/transform_fit.h"

#include <QString>

#include <vector>

namespace digitrace {

// The header line of a control-point file.
inline const QString kControlPointsHeader =
    QStringLiteral("name,tablet_x,tablet_y,map_x,map_y,used");

struct ControlPointsRead {
    std::vector<ControlPoint> points;
    QString error; // a whole message naming the file and the line; "" when read
    bool ok() const { return error.isEmpty(); }
};

// Numbers are read and written with '.' whatever the locale; a name holding a comma or a quote
// is quoted as CSV does.
ControlPointsRead parseControlPoints(const QByteArray &text, const QString &fileName);
QByteArray formatControlPoints(const std::vector<ControlPoint> &points);

ControlPointsRead loadControlPoints(const QString &path);
// Written aside and put in place only when complete. Returns "" or the message for the operator.
QString saveControlPoints(const std::vector<ControlPoint> &points, const QString &path);

} // namespace digitrace
