#include "display/renderer.h"
#include "display/view_navigation.h"
#include "recording_surface.h"
#include "test_trace.h"

#include <gtest/gtest.h>

#include <cmath>

namespace digitrace {
namespace {

void expectNear(QPointF actual, QPointF expected, const char *what) {
    const double tolerance = 1e-4 * (1 + std::abs(expected.x()) + std::abs(expected.y()));
    EXPECT_NEAR(actual.x(), expected.x(), tolerance) << what;
    EXPECT_NEAR(actual.y(), expected.y(), tolerance) << what;
}

// The tablet point under the cursor stays there at every zoom and shows back at the cursor; a drag
// carries the picture with it.
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

        const std::optional<QPointF> back = cursorAreaPoint(row.view, under, halfW, halfH);
        ASSERT_TRUE(back.has_value());
        expectNear(*back, row.at, "area point");

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
    EXPECT_EQ(cursorAreaPoint(none, {5, 5}, 1, 1), std::nullopt);
}

// The cursor over a drawn point reads that point's tablet coordinates back, and the point maps to
// where it was drawn, in the automatic fit and in an operator's zoomed and panned view.
TEST(ViewNavigation, CursorOverADrawnPointReadsItsTabletCoordinates) {
    const TestRecord points[] = {{3, 0, 0}, {3, 1234.5f, -60}, {3, -800, 950.25f}};
    const struct {
        TestView fit;
        std::optional<View> operatorView;
    } rows[] = {
        {{0, 0, 1, 100, 50}, std::nullopt},
        {{217, 445, 0.12f, 463, 177}, std::nullopt},
        {{217, 445, 0.12f, 463, 177}, View{1000, -20, 3.5f}},
        {{217, 445, 0.12f, 463, 177}, View{-790, 940, 250}},
    };
    for (const auto &row : rows) {
        for (const TestRecord &p : points) {
            TraceStore store;
            loadTrace(store, {p}, row.fit);
            RecordingSurface surface;
            Renderer renderer(store, surface);
            if (row.operatorView)
                renderer.viewState().setOperatorView(*row.operatorView);
            renderer.Redraw(kConnectedBackground);
            const QStringList circle =
                surface.calls.filter(QStringLiteral("circle")).value(0).split(u' ');
            ASSERT_GE(circle.size(), 3) << surface.calls.join(u'/').toStdString();
            const QPointF at(circle[1].toDouble(), circle[2].toDouble());
            const std::optional<QPointF> read = renderer.viewState().cursorTabletPoint(at);
            ASSERT_TRUE(read.has_value());
            expectNear(*read, QPointF(p.x, p.y), "cursor");
            // And the other way: where a tablet point is drawn, for a cross-hair.
            expectNear(renderer.viewState().areaPoint({p.x, p.y}), at, "area");
        }
    }
    EXPECT_FALSE(cursorTabletPoint(View{5, 5, 0}, {1, 1}, 100, 50).has_value());
}

} // namespace
} // namespace digitrace
