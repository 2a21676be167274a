#pragma once

#include <QString>

#include <array>
#include <vector>

namespace digitrace {

// One control point: where the operator digitized it on the sheet and where it lies on the map.
struct ControlPoint {
    QString name;
    double tabletX = 0;
    double tabletY = 0;
    double mapX = 0;
    double mapY = 0;
    bool used = true;
};

enum class TransformKind { Similarity, Affine, Projective };

// The fewest used points each kind needs.
int minimumPoints(TransformKind kind);
// The kind's name for messages ("相似変換", ...).
QString transformName(TransformKind kind);

struct MapPoint {
    double x = 0;
    double y = 0;
};

// A plane transform as a 3 x 3 matrix in row order; similarity and affine keep the last row
// (0, 0, 1).
struct Transform {
    std::array<double, 9> m{1, 0, 0, 0, 1, 0, 0, 0, 1};
    MapPoint map(double x, double y) const;
    // The transform back; *ok is false when the matrix has no inverse.
    Transform inverted(bool *ok = nullptr) const;
};

// A least-squares fit of the used points, with what the operator judges it by.
struct Fit {
    QString error; // why no transform could be fitted; "" when it was
    Transform transform;
    std::vector<double> residuals; // per point, used or not, in map units
    double rmsMap = 0;             // over the used points
    double rmsTablet = 0;          // the same misfit measured back on the sheet
    bool ok() const { return error.isEmpty(); }
};

Fit fitTransform(const std::vector<ControlPoint> &points, TransformKind kind);

// The transform's scale of areas at the used points' centre, in map units² per tablet unit²:
// negative where it turns the sheet over, 0 without used points.
double areaScaleAtCentre(const Transform &transform, const std::vector<ControlPoint> &points);

} // namespace digitrace
