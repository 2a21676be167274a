#include "registration/fit_quality.h"

#include <gtest/gtest.h>

namespace digitrace {
namespace {

TEST(FitQuality, VerdictBoundaries) {
    const struct {
        double mm;
        FitVerdict verdict;
    } rows[] = {{0.10, FitVerdict::Good},       {0.1001, FitVerdict::Acceptable},
                {0.25, FitVerdict::Acceptable}, {0.2501, FitVerdict::Doubtful},
                {1.0, FitVerdict::Doubtful},    {1.0001, FitVerdict::Rejectable}};
    for (const auto &row : rows)
        EXPECT_EQ(verdictForSheetMm(row.mm), row.verdict) << row.mm;
}

// Five corners of a 1:500 sheet digitized in 0.1 mm units (map = tablet / 20 m); E was typed
// 2 m off in y. The ordinary residuals share those 2 m out; leaving E out shows all of them on
// E, and the others fit without it.
TEST(FitQuality, LeaveOneOutFindsTheMistypedPoint) {
    std::vector<ControlPoint> points = {
        {"A", 0, 0, 1000, 2000, true},       {"B", 4000, 0, 1200, 2000, true},
        {"C", 4000, 3000, 1200, 2150, true}, {"D", 0, 3000, 1000, 2150, true},
        {"E", 2000, 1500, 1100, 2077, true}, {"F", 1000, 1000, 1050, 2050, false}};
    const Fit fit = fitTransform(points, TransformKind::Affine);
    ASSERT_TRUE(fit.ok());
    const FitQuality q = assessFit(points, TransformKind::Affine, fit, 0.1);
    EXPECT_NEAR(q.leaveOneOut[4].value(), 2, 1e-9);
    for (int i : {0, 1, 2, 3})
        EXPECT_LT(q.leaveOneOut[std::size_t(i)].value(), 1.5) << i;
    EXPECT_NEAR(*q.leaveOneOut[5], fit.residuals[5], 1e-12) << "an unused point is left out";
    // 1 m at 1:500 is 2 mm on the sheet.
    EXPECT_NEAR(q.sheetMm[4], fit.residuals[4] * 2, 0.02 * fit.residuals[4]);
    EXPECT_NEAR(q.rmsSheetMm, fit.rmsMap * 2, 0.02 * fit.rmsMap);
    EXPECT_EQ(q.verdict, FitVerdict::Rejectable);
}

// A sheet's corners typed with north and east swapped fit exactly by a mirror: flagged for the
// kinds that can mirror, never for the true orientation.
TEST(FitQuality, AMirrorIsFlagged) {
    const std::vector<ControlPoint> corners = {{"A", 0, 0, 1000, 2000, true},
                                               {"B", 400, 0, 1200, 2000, true},
                                               {"C", 400, 300, 1200, 2150, true},
                                               {"D", 0, 300, 1000, 2150, true}};
    std::vector<ControlPoint> swapped = corners;
    for (ControlPoint &p : swapped)
        std::swap(p.mapX, p.mapY);
    for (TransformKind kind : {TransformKind::Affine, TransformKind::Projective})
        for (const bool swap : {false, true}) {
            const auto &points = swap ? swapped : corners;
            const Fit fit = fitTransform(points, kind);
            ASSERT_TRUE(fit.ok());
            EXPECT_EQ(assessFit(points, kind, fit, 0.1).mirrored, swap) << int(kind);
        }
}

} // namespace
} // namespace digitrace
