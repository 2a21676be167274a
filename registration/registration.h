#pragma once

#include "registration/transform_fit.h"

#include <QString>

#include <optional>
#include <vector>

namespace digitrace {

// How a job's sheet lies on the map: the control points, the kind of transform fitted to them
// and the map's coordinate system as the operator typed it ("" for local map coordinates).
struct Registration {
    std::vector<ControlPoint> points;
    TransformKind kind = TransformKind::Affine;
    QString crs;

    Fit fit() const { return fitTransform(points, kind); }
};

// The word for a kind on command lines and in saved registrations: "similarity", "affine",
// "projective".
QString transformKeyword(TransformKind kind);
std::optional<TransformKind> transformForKeyword(const QString &word);

// A registration as one text: a "transform=" line, a "crs=" line, then the control points as
// their CSV file holds them. The CRS is kept on its line: line breaks in a WKT become blanks.
QString registrationText(const Registration &registration);
// Nothing when the text is not one registrationText() wrote.
std::optional<Registration> parseRegistrationText(const QString &text);

} // namespace digitrace
