#include "display/renderer.h"
#include "recording_surface.h"
#include "test_trace.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <memory>

namespace digitrace {
namespace {

// Screen point = (100 + X, 50 - Y).
constexpr TestView kUnitView{0, 0, 1, 100, 50};

QStringList drawnCalls(std::initializer_list<TestRecord> records, const TestView &view,
                       Rgb background = kConnectedBackground) {
    auto store = std::make_unique<TraceStore>();
    loadTrace(*store, records, view);
    RecordingSurface surface;
    Renderer(*store, surface).Redraw(background);
    return surface.calls;
}

TEST(Renderer, WorkedExampleDrawsOneDotAndThreeLinesBackToTheStart) {
    const QStringList calls = drawnCalls({{1, 100, 100}, {2, 300, 100}, {2, 300, 200}, {4, 0, 0}},
                                         {200, 150, 18, 4000, 2000});
    EXPECT_EQ(calls, QStringList({"refresh", "back connected", "pset 2200 2900 red",
                                  "lineTo 5800 2900 yellow", "lineTo 5800 1100 yellow",
                                  "line 5800 1100 2200 2900 yellow"}));
}

struct Case {
    const char *name;
    std::initializer_list<TestRecord> records;
    Rgb background;
    QStringList drawing; // after "refresh" and "back ..."
};

TEST(Renderer, RuleTable) {
    const Case cases[] = {
        {"empty table", {}, kConnectedBackground, {}},
        {"start, vertex, end: the one-segment line stays open and the end is a marker",
         {{1, 0, 0}, {2, 10, 0}, {5, 10, 10}},
         kConnectedBackground,
         {"pset 100 50 red", "lineTo 110 50 yellow", "circle 110 40 15 green",
          "pset 110 40 magenta"}},
        {"start, end: the dot stays and the end is a marker",
         {{1, 0, 0}, {0, 10, 0}},
         kConnectedBackground,
         {"pset 100 50 red", "circle 110 50 15 green", "pset 110 50 magenta"}},
        {"start, start, vertex: the first dot is painted over in the background",
         {{1, 0, 0}, {1, 10, 0}, {2, 10, 10}},
         kConnectedBackground,
         {"pset 100 50 red", "pset 100 50 connected", "pset 110 50 red", "lineTo 110 40 yellow"}},
        {"the same after a disconnect",
         {{1, 0, 0}, {1, 10, 0}, {2, 10, 10}},
         kDisconnectedBackground,
         {"pset 100 50 red", "pset 100 50 disconnected", "pset 110 50 red",
          "lineTo 110 40 yellow"}},
        {"vertices without a start, then an end: nothing",
         {{2, 0, 0}, {2, 10, 0}, {3, 10, 10}},
         kConnectedBackground,
         {}},
        {"a line still open at the end is not closed",
         {{1, 0, 0}, {2, 10, 0}, {2, 10, 10}},
         kConnectedBackground,
         {"pset 100 50 red", "lineTo 110 50 yellow", "lineTo 110 40 yellow"}},
        {"a start ends the line without closing it",
         {{1, 0, 0}, {2, 10, 0}, {2, 10, 10}, {1, 20, 20}},
         kConnectedBackground,
         {"pset 100 50 red", "lineTo 110 50 yellow", "lineTo 110 40 yellow", "pset 120 30 red"}},
        {"two ends: two markers",
         {{0, 1, 2}, {9, 3, 4}},
         kConnectedBackground,
         {"circle 101 48 15 green", "pset 101 48 magenta", "circle 103 46 15 green",
          "pset 103 46 magenta"}},
        {"a polygon closes from its last vertex; the next end after it is a marker",
         {{1, 0, 0}, {2, 10, 0}, {2, 10, 10}, {2, 0, 10}, {4, 5, 5}, {4, 6, 6}},
         kConnectedBackground,
         {"pset 100 50 red", "lineTo 110 50 yellow", "lineTo 110 40 yellow", "lineTo 100 40 yellow",
          "line 100 40 100 50 yellow", "circle 106 44 15 green", "pset 106 44 magenta"}},
    };
    for (const Case &c : cases) {
        const QStringList expected =
            QStringList{"refresh", c.background == kConnectedBackground ? "back connected"
                                                                        : "back disconnected"} +
            c.drawing;
        EXPECT_EQ(drawnCalls(c.records, kUnitView, c.background), expected) << c.name;
    }
}

TEST(Renderer, RecordAtTheViewCentreLandsOnTheHalfSizes) {
    EXPECT_EQ(drawnCalls({{0, 123.4f, -56.7f}}, {123.4f, -56.7f, 3.7f, 321.5f, 87.25f}),
              QStringList({"refresh", "back connected", "circle 321.5 87.25 15 green",
                           "pset 321.5 87.25 magenta"}));
}

TEST(Renderer, PointsBeyondFloatRangeAreSkippedAndTheLineGoesOnFromTheNextGoodPoint) {
    // Four tablet units off the centre is beyond float range; 2^-123 units is 8 screen units.
    const TestView extreme{0, 0, 0x1p126f, 100, 50};
    const float near = 0x1p-123f;
    EXPECT_EQ(drawnCalls({{1, 4, 0}, {2, 0, 0}, {2, 0, near}, {2, -4, 0}, {0, 0, 0}}, extreme),
              QStringList({"refresh", "back connected", "line 100 50 100 42 yellow"}));
    EXPECT_EQ(drawnCalls({{1, 0, 0}, {2, 4, 0}, {0, 0, near}}, extreme),
              QStringList({"refresh", "back connected", "pset 100 50 red", "circle 100 42 15 green",
                           "pset 100 42 magenta"}));
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(drawnCalls({{1, 0, 0}, {1, 0, 0}, {0, 0, 0}}, {0, 0, inf, 100, 50}),
              QStringList({"refresh", "back connected"}));
}

struct Change {
    const char *name;
    int newRecords;
    std::function<void(TraceStore &, RecordingSurface &, Rgb &)> apply;
};

struct SecondPass {
    QStringList calls;
    QStringList fresh; // what a new renderer draws for the same state
};

// Draws five records, lets `change` add records and alter the state, and draws again.
SecondPass redrawAfter(const Change &change) {
    auto store = std::make_unique<TraceStore>();
    loadTrace(*store,
              {{1, 0, 0}, {2, 10, 0}, {2, 10, 10}, {1, 20, 20}, {1, 30, 30}, {2, 5, 5}, {2, 6, 6}},
              kUnitView);
    store->PtCount = 5;
    RecordingSurface surface;
    Renderer renderer(*store, surface);
    Rgb background = kConnectedBackground;
    renderer.Redraw(background);
    surface.calls.clear();
    store->PtCount = std::int16_t(store->PtCount + change.newRecords);
    if (change.apply)
        change.apply(*store, surface, background);
    renderer.Redraw(background);

    RecordingSurface freshSurface;
    Renderer(*store, freshSurface).Redraw(background);
    return {surface.calls, freshSurface.calls};
}

TEST(Renderer, OneNewRecordDrawsOnlyWhatItAdds) {
    const SecondPass pass = redrawAfter({"one new record", 1, {}});
    EXPECT_EQ(pass.calls, QStringList({"refresh", "lineTo 105 45 yellow"}));
    EXPECT_EQ(pass.fresh.last(), pass.calls.last());
}

// A refused record leaves the table as it was; the picture stays without a single drawing call.
TEST(Renderer, AnUnchangedPictureIsOnlyRefreshed) {
    const Change changes[] = {
        {"no new record", 0, {}},
        {"a refused record, written past the table", 0,
         [](TraceStore &s, RecordingSurface &, Rgb &) {
             s.Pt.Code[std::size_t(s.PtCount)] = 1;
             s.Pt.X[std::size_t(s.PtCount)] = 50;
         }},
    };
    for (const Change &change : changes)
        EXPECT_EQ(redrawAfter(change).calls, QStringList{"refresh"}) << change.name;
}

TEST(Renderer, AnyOtherChangeRepaintsInFull) {
    const Change changes[] = {
        {"two new records", 2, {}},
        {"back", -1, [](TraceStore &s, RecordingSurface &, Rgb &) { ++s.epoch; }},
        {"new epoch", 1, [](TraceStore &s, RecordingSurface &, Rgb &) { ++s.epoch; }},
        {"view centre x", 1, [](TraceStore &s, RecordingSurface &, Rgb &) { s.ViewCx += 1; }},
        {"view centre y", 1, [](TraceStore &s, RecordingSurface &, Rgb &) { s.ViewCy += 1; }},
        {"zoom", 1, [](TraceStore &s, RecordingSurface &, Rgb &) { s.ViewZoom *= 2; }},
        {"width", 1, [](TraceStore &s, RecordingSurface &, Rgb &) { s.HalfW += 1; }},
        {"height", 1, [](TraceStore &s, RecordingSurface &, Rgb &) { s.HalfH += 1; }},
        {"new background", 1,
         [](TraceStore &, RecordingSurface &, Rgb &bg) { bg = kDisconnectedBackground; }},
        {"surface cleared to another colour", 1,
         [](TraceStore &, RecordingSurface &surface, Rgb &) {
             surface.setBackColor({200, 200, 200});
             surface.calls.clear();
         }},
        {"surface erased in the same colour", 0,
         [](TraceStore &, RecordingSurface &surface, Rgb &) {
             surface.setBackColor(kConnectedBackground);
             surface.calls.clear();
         }},
    };
    for (const Change &change : changes) {
        const SecondPass pass = redrawAfter(change);
        EXPECT_EQ(pass.calls, pass.fresh) << change.name;
    }
}

} // namespace
} // namespace digitrace
