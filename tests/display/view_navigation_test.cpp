#include "display/view_navigation.h"

#include <gtest/gtest.h>

#include <cmath>

namespace digitrace {
namespace {

void expectNear(QPointF actual, QPointF expected, const char *what) {
    const double tolerance = 1e-4 * (1 + std::abs(expected.x()) + std::abs(expected.y()));
    EXPECT_NEAR(actual.x(), expected.x(), tolerance) << what;
    EXPECT_NEAR(actual.y(), expected.y(), tolerance) << what;
}

// The tablet point under the cursor stays there at every zoom; a drag carries the picture with it.
TEST(ViewNavigation, ZoomKeepsThePointUnderTheCursorPanFollowsTheDrag) {
    const struct {
        View view;
        QPointF at;
        double factor;
    } rows[] = {
        {{500, 300, 0.2f}, {150, 100}, 1.25},
        {{500, 300, 0.2f}, {10, 190}, 0.8},
        {{-1e5f, 2e5f, 0.001f}, {299, 0}, 10},
        {{12.5f, -7.25f, 40}, {0, 0}, 1.0 / 3},
    };
    constexpr float halfW = 150, halfH = 100;
    for (const auto &row : rows) {
        const QPointF under = tabletPoint(row.view, row.at, halfW, halfH);
        const View zoomed = zoomAbout(row.view, row.at, halfW, halfH, row.factor);
        EXPECT_FLOAT_EQ(zoomed.zoom, float(row.view.zoom * row.factor));
        expectNear(tabletPoint(zoomed, row.at, halfW, halfH), under, "zoom");

        const QPointF drag(37, -12);
        const View panned = panBy(row.view, drag);
        expectNear(tabletPoint(panned, row.at + drag, halfW, halfH), under, "pan");
    }
}

TEST(ViewNavigation, ZoomStaysWithinItsLimitsAndNeedsAView) {
    const View far{0, 0, 5e3f};
    EXPECT_FLOAT_EQ(zoomAbout(far, {}, 1, 1, 100).zoom, 1e4f);
    EXPECT_FLOAT_EQ(zoomAbout(far, {}, 1, 1, 1e-12).zoom, 1e-6f);
    const View none{3, 4, 0};
    EXPECT_EQ(zoomAbout(none, {}, 1, 1, 2), none);
    EXPECT_EQ(panBy(none, {5, 5}), none);
}

} // namespace
} // namespace digitrace
