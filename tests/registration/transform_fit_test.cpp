#include "registration/transform_fit.h"

#include <gtest/gtest.h>

#include <cmath>

namespace digitrace {
namespace {

std::vector<ControlPoint> pointsThrough(const Transform &t, const std::vector<MapPoint> &tablet) {
    std::vector<ControlPoint> points;
    for (const MapPoint &p : tablet) {
        const MapPoint m = t.map(p.x, p.y);
        points.push_back({QStringLiteral("P%1").arg(points.size() + 1), p.x, p.y, m.x, m.y, true});
    }
    return points;
}

// Map coordinates of a national grid (large offsets) from tablet millimetres: the normalization
// has to keep the recovery exact to the last digits.
TEST(TransformFit, RecoversKnownTransformsFromExactPoints) {
    const double c = std::cos(0.3) * 2.5, s = std::sin(0.3) * 2.5;
    const struct {
        TransformKind kind;
        Transform truth;
    } rows[] = {
        {TransformKind::Similarity, {{c, -s, -35123.25, s, c, 41877.5, 0, 0, 1}}},
        {TransformKind::Affine, {{2.1, 0.3, 512000.5, -0.2, 1.9, 4100200.25, 0, 0, 1}}},
        {TransformKind::Projective, {{1.2, 0.1, 30.0, -0.05, 0.9, 40.0, 1e-4, -2e-4, 1}}},
    };
    const std::vector<MapPoint> tablet = {{10, 20}, {410, 35}, {390, 300}, {25, 280}, {200, 150}};
    for (const auto &row : rows) {
        const Fit fit = fitTransform(pointsThrough(row.truth, tablet), row.kind);
        ASSERT_TRUE(fit.ok()) << fit.error.toStdString();
        for (std::size_t i = 0; i < 9; ++i)
            EXPECT_NEAR(fit.transform.m[i], row.truth.m[i], 1e-9 * std::abs(row.truth.m[i]) + 1e-15)
                << transformName(row.kind).toStdString() << " m[" << i << "]";
        EXPECT_LT(fit.rmsMap, 1e-6);
    }
}

// An affine fit of a unit square whose last corner lies 0.4 too high: least squares spreads the
// misfit evenly, 0.1 at every corner; the fitted map is x' = x, y' = 0.2 x + 1.2 y - 0.1, which
// shrinks that 0.1 to 0.1 / 1.2 measured on the sheet.
TEST(TransformFit, ResidualsAndRmsOfANoisySet) {
    std::vector<ControlPoint> points = {{"A", 0, 0, 0, 0, true},
                                        {"B", 1, 0, 1, 0, true},
                                        {"C", 0, 1, 0, 1, true},
                                        {"D", 1, 1, 1, 1.4, true}};
    Fit fit = fitTransform(points, TransformKind::Affine);
    ASSERT_TRUE(fit.ok());
    for (double r : fit.residuals)
        EXPECT_NEAR(r, 0.1, 1e-12);
    EXPECT_NEAR(fit.rmsMap, 0.1, 1e-12);
    EXPECT_NEAR(fit.rmsTablet, 0.1 / 1.2, 1e-12);

    // Switching the bad point off refits through the other three; its residual still shows how
    // far off it is.
    points[3].used = false;
    fit = fitTransform(points, TransformKind::Affine);
    ASSERT_TRUE(fit.ok());
    EXPECT_NEAR(fit.rmsMap, 0, 1e-12);
    EXPECT_NEAR(fit.residuals[3], 0.4, 1e-12);
}

TEST(TransformFit, RefusesTooFewOrDegeneratePoints) {
    const struct {
        TransformKind kind;
        std::vector<ControlPoint> points;
        const char *message;
    } rows[] = {
        {TransformKind::Similarity,
         {{"A", 0, 0, 5, 5, true}},
         "相似変換には使用する基準点が2点以上"},
        {TransformKind::Affine,
         {{"A", 0, 0, 0, 0, true}, {"B", 1, 0, 1, 0, true}, {"C", 0, 1, 0, 1, false}},
         "アフィン変換には使用する基準点が3点以上必要です(現在2点)"},
        {TransformKind::Projective,
         {{"A", 0, 0, 0, 0, true}, {"B", 1, 0, 1, 0, true}, {"C", 0, 1, 0, 1, true}},
         "射影変換には使用する基準点が4点以上"},
        {TransformKind::Similarity,
         {{"A", 3, 3, 0, 0, true}, {"B", 3, 3, 1, 0, true}},
         "タブレット座標がすべて重なって"},
        {TransformKind::Affine,
         {{"A", 0, 0, 0, 0, true}, {"B", 1, 1, 1, 0, true}, {"C", 2, 2, 0, 1, true}},
         "タブレット座標が一直線上"},
        {TransformKind::Affine,
         {{"A", 0, 0, 0, 0, true}, {"B", 1, 0, 1, 1, true}, {"C", 0, 1, 2, 2, true}},
         "地図座標が一直線上"},
        {TransformKind::Projective,
         {{"A", 0, 0, 0, 0, true},
          {"B", 1, 0, 1, 0, true},
          {"C", 2, 0, 2, 0, true},
          {"D", 0, 1, 0, 1, true}},
         "一直線上"},
        // C and D swapped on the map: neither side is a line, the order is crossed.
        {TransformKind::Affine,
         {{"A", 0, 0, 0, 0, true},
          {"B", 1, 0, 1, 0, true},
          {"C", 1, 1, 0, 1, true},
          {"D", 0, 1, 1, 1, true}},
         "並びがタブレットと地図で食い違って"},
        {TransformKind::Projective,
         {{"A", 0, 0, 0, 0, true},
          {"B", 1, 0, 1, 0, true},
          {"C", 1, 1, 0, 1, true},
          {"D", 0, 1, 1, 1, true}},
         "並びがタブレットと地図で食い違って"},
        {TransformKind::Affine,
         {{"A", 0, 0, 0, 0, true}, {"B", 1, 0, 1, 0, true}, {"C", 0, 1, 1e308, 1, true}},
         "基準点 C の座標が大きすぎます"},
        {TransformKind::Similarity,
         {{"A", 0, 0, 1e164, 1e164, true}, {"B", 1, 0, 2e164, 1e164, true}},
         "基準点 A の座標が大きすぎます"},
    };
    for (const auto &row : rows) {
        const Fit fit = fitTransform(row.points, row.kind);
        EXPECT_FALSE(fit.ok());
        EXPECT_TRUE(fit.error.contains(QString::fromUtf8(row.message))) << fit.error.toStdString();
    }
}

} // namespace
} // namespace digitrace
