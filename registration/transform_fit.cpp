#include "registration/transform_fit.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>

namespace digitrace {

namespace {

constexpr int kUnknowns[] = {4, 6, 8};
// Below this, relative to the largest, a pivot or determinant counts as zero: the points do not
// pin the transform down.
constexpr double kDegenerate = 1e-10;

using Matrix3 = std::array<double, 9>;

// Beyond this no map or sheet coordinate is meant: a larger one is a typing slip, and its squares
// would leave the range of a double.
constexpr double kLargestCoordinate = 1e12;

// The tablet and the map put the points in different orders: two points' coordinates swapped, or
// a quadrilateral on one side crossed like a bow tie on the other.
QString crossedPoints(const QString &transform) {
    return QCoreApplication::translate(
               "digitrace::TransformFit",
               "基準点の並びがタブレットと地図で食い違っている（点の取り違えや交差）ため、%1を"
               "求められません。各点の地図座標が正しい点に入っているか確かめてください。")
        .arg(transform);
}

Matrix3 multiply(const Matrix3 &a, const Matrix3 &b) {
    Matrix3 c{};
    for (int r = 0; r < 3; ++r)
        for (int k = 0; k < 3; ++k)
            for (int j = 0; j < 3; ++j)
                c[r * 3 + j] += a[r * 3 + k] * b[k * 3 + j];
    return c;
}

double determinant(const Matrix3 &a) {
    return a[0] * (a[4] * a[8] - a[5] * a[7]) - a[1] * (a[3] * a[8] - a[5] * a[6]) +
           a[2] * (a[3] * a[7] - a[4] * a[6]);
}

MapPoint centroid(const std::vector<MapPoint> &pts) {
    double cx = 0, cy = 0;
    for (const MapPoint &p : pts) {
        cx += p.x;
        cy += p.y;
    }
    return {cx / double(pts.size()), cy / double(pts.size())};
}

// Moves the points' centroid to the origin and their mean distance from it to sqrt(2), so that
// the equations stay well conditioned whatever the coordinates' size. False when they coincide.
bool normalizer(const std::vector<MapPoint> &pts, Matrix3 &t) {
    const auto [cx, cy] = centroid(pts);
    double spread = 0;
    for (const MapPoint &p : pts)
        spread += std::hypot(p.x - cx, p.y - cy);
    spread /= double(pts.size());
    const double size = std::max({std::abs(cx), std::abs(cy), spread});
    if (!(spread > kDegenerate * size) || !std::isfinite(spread))
        return false;
    const double s = std::sqrt(2.0) / spread;
    t = {s, 0, -s * cx, 0, s, -s * cy, 0, 0, 1};
    return true;
}

// Least squares of rows * p = rhs by Householder reflections; false when the columns are
// (nearly) dependent.
bool solveLeastSquares(std::vector<std::vector<double>> rows, std::vector<double> rhs, int n,
                       std::vector<double> &p) {
    const std::size_t m = rows.size();
    std::vector<double> diag(std::size_t(n), 0);
    for (int k = 0; k < n; ++k) {
        double norm = 0;
        for (std::size_t i = std::size_t(k); i < m; ++i)
            norm += rows[i][std::size_t(k)] * rows[i][std::size_t(k)];
        norm = std::sqrt(norm);
        const double alpha = rows[std::size_t(k)][std::size_t(k)] > 0 ? -norm : norm;
        diag[std::size_t(k)] = alpha;
        if (norm == 0)
            continue;
        std::vector<double> v(m, 0);
        for (std::size_t i = std::size_t(k); i < m; ++i)
            v[i] = rows[i][std::size_t(k)];
        v[std::size_t(k)] -= alpha;
        double vv = 0;
        for (std::size_t i = std::size_t(k); i < m; ++i)
            vv += v[i] * v[i];
        if (vv == 0)
            continue;
        for (int j = k; j < n; ++j) {
            double dot = 0;
            for (std::size_t i = std::size_t(k); i < m; ++i)
                dot += v[i] * rows[i][std::size_t(j)];
            for (std::size_t i = std::size_t(k); i < m; ++i)
                rows[i][std::size_t(j)] -= 2 * dot / vv * v[i];
        }
        double dot = 0;
        for (std::size_t i = std::size_t(k); i < m; ++i)
            dot += v[i] * rhs[i];
        for (std::size_t i = std::size_t(k); i < m; ++i)
            rhs[i] -= 2 * dot / vv * v[i];
    }
    double largest = 0;
    for (double d : diag)
        largest = std::max(largest, std::abs(d));
    p.assign(std::size_t(n), 0);
    for (int k = n - 1; k >= 0; --k) {
        const double d = diag[std::size_t(k)];
        if (!(std::abs(d) > kDegenerate * largest))
            return false;
        double sum = rhs[std::size_t(k)];
        for (int j = k + 1; j < n; ++j)
            sum -= rows[std::size_t(k)][std::size_t(j)] * p[std::size_t(j)];
        p[std::size_t(k)] = sum / d;
    }
    return true;
}

// The rows of one point's two equations, in normalized coordinates.
void addEquations(TransformKind kind, const MapPoint &t, const MapPoint &m,
                  std::vector<std::vector<double>> &rows, std::vector<double> &rhs) {
    switch (kind) {
    case TransformKind::Similarity:
        rows.push_back({t.x, -t.y, 1, 0});
        rows.push_back({t.y, t.x, 0, 1});
        break;
    case TransformKind::Affine:
        rows.push_back({t.x, t.y, 1, 0, 0, 0});
        rows.push_back({0, 0, 0, t.x, t.y, 1});
        break;
    case TransformKind::Projective:
        rows.push_back({t.x, t.y, 1, 0, 0, 0, -t.x * m.x, -t.y * m.x});
        rows.push_back({0, 0, 0, t.x, t.y, 1, -t.x * m.y, -t.y * m.y});
        break;
    }
    rhs.push_back(m.x);
    rhs.push_back(m.y);
}

Matrix3 matrixOf(TransformKind kind, const std::vector<double> &p) {
    switch (kind) {
    case TransformKind::Similarity:
        return {p[0], -p[1], p[2], p[1], p[0], p[3], 0, 0, 1};
    case TransformKind::Affine:
        return {p[0], p[1], p[2], p[3], p[4], p[5], 0, 0, 1};
    case TransformKind::Projective:
        break;
    }
    return {p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], 1};
}

MapPoint apply(const Transform &t, const MapPoint &p) {
    return t.map(p.x, p.y);
}

// How far from a straight line the points lie, relative to their spread: the square root of the
// smaller over the larger eigenvalue of their scatter.
double thickness(const std::vector<MapPoint> &pts) {
    const auto [cx, cy] = centroid(pts);
    double sxx = 0, syy = 0, sxy = 0;
    for (const MapPoint &p : pts) {
        sxx += (p.x - cx) * (p.x - cx);
        syy += (p.y - cy) * (p.y - cy);
        sxy += (p.x - cx) * (p.y - cy);
    }
    const double mean = (sxx + syy) / 2;
    const double spread = std::hypot((sxx - syy) / 2, sxy);
    const double larger = mean + spread;
    return larger > 0 ? std::sqrt(std::max(0.0, mean - spread) / larger) : 0;
}

constexpr double kThin = 1e-4;

bool someThreeInLine(const std::vector<MapPoint> &pts) {
    for (std::size_t i = 0; i < pts.size(); ++i)
        for (std::size_t j = i + 1; j < pts.size(); ++j)
            for (std::size_t k = j + 1; k < pts.size(); ++k)
                if (thickness({pts[i], pts[j], pts[k]}) < kThin)
                    return true;
    return false;
}

// Why the points pin no transform down, once the solution has failed.
QString degenerateReason(TransformKind kind, const std::vector<MapPoint> &tablet,
                         const std::vector<MapPoint> &map) {
    const QString name = transformName(kind);
    // Two points in a line are all a similarity needs.
    const bool lineIsEnough = kind == TransformKind::Similarity;
    if (!lineIsEnough && thickness(tablet) < kThin)
        return QCoreApplication::translate(
                   "digitrace::TransformFit",
                   "基準点のタブレット座標が一直線上に並んでいるため、%1を求められません。")
            .arg(name);
    if (!lineIsEnough && thickness(map) < kThin)
        return QCoreApplication::translate(
                   "digitrace::TransformFit",
                   "基準点の地図座標が一直線上に並んでいるため、%1を求められません。")
            .arg(name);
    // Four points of a projective transform must not have three in a line.
    if (kind == TransformKind::Projective && tablet.size() == 4 &&
        (someThreeInLine(tablet) || someThreeInLine(map)))
        return QCoreApplication::translate("digitrace::TransformFit",
                                           "4点のうち3点が一直線上に並んでいるため、%1を求められ"
                                           "ません。点を増やすか配置を変えてください。")
            .arg(name);
    return crossedPoints(name);
}

} // namespace

int minimumPoints(TransformKind kind) {
    return kUnknowns[int(kind)] / 2;
}

QString transformName(TransformKind kind) {
    switch (kind) {
    case TransformKind::Similarity:
        return QCoreApplication::translate("digitrace::TransformFit", "相似変換");
    case TransformKind::Affine:
        return QCoreApplication::translate("digitrace::TransformFit", "アフィン変換");
    case TransformKind::Projective:
        break;
    }
    return QCoreApplication::translate("digitrace::TransformFit", "射影変換");
}

MapPoint Transform::map(double x, double y) const {
    const double w = m[6] * x + m[7] * y + m[8];
    return {(m[0] * x + m[1] * y + m[2]) / w, (m[3] * x + m[4] * y + m[5]) / w};
}

Transform Transform::inverted(bool *ok) const {
    const Matrix3 &a = m;
    const Matrix3 adj = {
        a[4] * a[8] - a[5] * a[7], a[2] * a[7] - a[1] * a[8], a[1] * a[5] - a[2] * a[4],
        a[5] * a[6] - a[3] * a[8], a[0] * a[8] - a[2] * a[6], a[2] * a[3] - a[0] * a[5],
        a[3] * a[7] - a[4] * a[6], a[1] * a[6] - a[0] * a[7], a[0] * a[4] - a[1] * a[3]};
    const double det = a[0] * adj[0] + a[1] * adj[3] + a[2] * adj[6];
    const bool invertible = det != 0 && std::isfinite(det);
    if (ok)
        *ok = invertible;
    Transform inverse;
    if (invertible)
        for (int i = 0; i < 9; ++i)
            inverse.m[std::size_t(i)] = adj[std::size_t(i)] / det;
    return inverse;
}

double areaScaleAtCentre(const Transform &transform, const std::vector<ControlPoint> &points) {
    double cx = 0, cy = 0;
    int n = 0;
    for (const ControlPoint &p : points)
        if (p.used) {
            cx += p.tabletX;
            cy += p.tabletY;
            ++n;
        }
    if (n == 0)
        return 0;
    cx /= n;
    cy /= n;
    const MapPoint o = transform.map(cx, cy);
    const MapPoint ex = transform.map(cx + 1, cy);
    const MapPoint ey = transform.map(cx, cy + 1);
    return (ex.x - o.x) * (ey.y - o.y) - (ex.y - o.y) * (ey.x - o.x);
}

Fit fitTransform(const std::vector<ControlPoint> &points, TransformKind kind) {
    Fit fit;
    std::vector<MapPoint> tablet, map;
    for (const ControlPoint &p : points)
        if (p.used) {
            tablet.push_back({p.tabletX, p.tabletY});
            map.push_back({p.mapX, p.mapY});
        }
    const int needed = minimumPoints(kind);
    if (int(tablet.size()) < needed) {
        fit.error =
            QCoreApplication::translate("digitrace::TransformFit",
                                        "%1には使用する基準点が%2点以上必要です(現在%3点)。")
                .arg(transformName(kind))
                .arg(needed)
                .arg(tablet.size());
        return fit;
    }
    for (const ControlPoint &p : points)
        if (p.used && !(std::max({std::abs(p.tabletX), std::abs(p.tabletY), std::abs(p.mapX),
                                  std::abs(p.mapY)}) <= kLargestCoordinate)) {
            fit.error = QCoreApplication::translate(
                            "digitrace::TransformFit",
                            "基準点 %1 の座標が大きすぎます（絶対値 %2 まで）。入力の誤りを"
                            "確かめてください。")
                            .arg(p.name)
                            .arg(kLargestCoordinate, 0, 'g');
            return fit;
        }
    Matrix3 tn, mn;
    if (!normalizer(tablet, tn)) {
        fit.error = QCoreApplication::translate("digitrace::TransformFit",
                                                "基準点のタブレット座標がすべて重なっています。");
        return fit;
    }
    if (!normalizer(map, mn)) {
        fit.error = QCoreApplication::translate("digitrace::TransformFit",
                                                "基準点の地図座標がすべて重なっています。");
        return fit;
    }
    std::vector<std::vector<double>> rows;
    std::vector<double> rhs;
    for (std::size_t i = 0; i < tablet.size(); ++i) {
        const Transform toT{tn}, toM{mn};
        addEquations(kind, apply(toT, tablet[i]), apply(toM, map[i]), rows, rhs);
    }
    std::vector<double> p;
    if (!solveLeastSquares(std::move(rows), std::move(rhs), kUnknowns[int(kind)], p)) {
        fit.error = degenerateReason(kind, tablet, map);
        return fit;
    }
    // In normalized coordinates every entry is of order 1, so a determinant near 0 means the map
    // points collapse onto a line whatever their size.
    const Matrix3 normalized = matrixOf(kind, p);
    double largest = 0;
    for (double v : normalized)
        largest = std::max(largest, std::abs(v));
    const Transform mapBack = Transform{mn}.inverted();
    fit.transform.m = multiply(mapBack.m, multiply(normalized, tn));
    const double scale = fit.transform.m[8];
    for (double &v : fit.transform.m)
        v /= scale;
    bool ok = false;
    const Transform inverse = fit.transform.inverted(&ok);
    if (!ok || !(std::abs(determinant(normalized)) > kDegenerate * largest * largest * largest)) {
        fit.error = degenerateReason(kind, tablet, map);
        return fit;
    }
    // A projective fit whose horizon runs between the points folds the sheet over.
    double lowW = INFINITY, highW = -INFINITY;
    for (const MapPoint &t : tablet) {
        const double w = fit.transform.m[6] * t.x + fit.transform.m[7] * t.y + fit.transform.m[8];
        lowW = std::min(lowW, w);
        highW = std::max(highW, w);
    }
    if (!(lowW * highW > 0)) {
        fit.error = crossedPoints(transformName(kind));
        return fit;
    }
    double sumMap = 0, sumTablet = 0;
    for (const ControlPoint &c : points) {
        const MapPoint m = fit.transform.map(c.tabletX, c.tabletY);
        const double r = std::hypot(m.x - c.mapX, m.y - c.mapY);
        fit.residuals.push_back(r);
        if (!c.used)
            continue;
        const MapPoint t = inverse.map(c.mapX, c.mapY);
        sumMap += r * r;
        sumTablet += std::pow(t.x - c.tabletX, 2) + std::pow(t.y - c.tabletY, 2);
    }
    fit.rmsMap = std::sqrt(sumMap / double(tablet.size()));
    fit.rmsTablet = std::sqrt(sumTablet / double(tablet.size()));
    const bool finite = std::isfinite(fit.rmsMap) && std::isfinite(fit.rmsTablet) &&
                        std::all_of(fit.transform.m.begin(), fit.transform.m.end(),
                                    [](double v) { return std::isfinite(v); });
    if (!finite) {
        fit.error = QCoreApplication::translate("digitrace::TransformFit",
                                                "基準点の座標の桁が大きすぎるため、%1の誤差を"
                                                "計算できません。")
                        .arg(transformName(kind));
        fit.residuals.clear();
    }
    return fit;
}

} // namespace digitrace
