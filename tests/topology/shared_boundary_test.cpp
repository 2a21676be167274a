#include "topology/topology_check.h"
#include "tracing/snap_index.h"
#include "tracing/tracing_session.h"

#include "tests/acquisition/fakes.h"
#include "tests/support/record_text.h"

#include <ogr_geometry.h>

#include <gtest/gtest.h>

#include <memory>

namespace digitrace {
namespace {

using test::recordBytes;

std::unique_ptr<OGRPolygon> polygonOf(const Feature &f) {
    auto ring = std::make_unique<OGRLinearRing>();
    for (const MapPoint &p : f.vertices)
        ring->addPoint(p.x, p.y);
    ring->closeRings();
    auto polygon = std::make_unique<OGRPolygon>();
    polygon->addRingDirectly(ring.release());
    return polygon;
}

// Two neighbours traced by hand: the second's presses on the shared boundary are off by a unit or
// two, and between them follow takes the first's wiggles. GEOS must find them touching along the
// whole boundary, neither overlapping nor leaving a sliver.
TEST(SharedBoundary, NeighboursTracedWithSnappingAndFollowShareTheirBoundaryExactly) {
    QStringList log;
    TraceModel model{QLocale::c()};
    test::FakePort port{log};
    TracingSession session{port, model};
    session.connectTablet({"1000", 1000, true, 0.1});
    session.setSnapping(0.3);
    port.deliver(recordBytes(100, 100, 1) + recordBytes(200, 100, 2) + recordBytes(210, 130, 2) +
                 recordBytes(195, 160, 2) + recordBytes(200, 200, 2) + recordBytes(100, 200, 2) +
                 recordBytes(100, 200, 3) + recordBytes(300, 100, 1));
    ASSERT_TRUE(session.perform(TabletCommand{CommandKind::Follow, {}}));
    port.deliver(recordBytes(201, 102, 2) + recordBytes(199, 198, 2) + recordBytes(300, 200, 2) +
                 recordBytes(300, 200, 3));

    const FeatureSet set = collectFeatures(model.store(), Placement{std::nullopt, 1000, 1});
    ASSERT_EQ(set.polygons, 2);
    const auto first = polygonOf(set.features[0]);
    const auto second = polygonOf(set.features[1]);
    EXPECT_TRUE(first->Touches(second.get()));
    const std::unique_ptr<OGRGeometry> shared(first->Intersection(second.get()));
    ASSERT_TRUE(shared);
    OGRLineString boundary;
    for (const MapPoint &p :
         {MapPoint{200, 100}, MapPoint{210, 130}, MapPoint{195, 160}, MapPoint{200, 200}})
        boundary.addPoint(p.x, p.y);
    // The pieces GEOS returns cover the traced boundary, and nothing else.
    EXPECT_TRUE(shared->Contains(&boundary) && boundary.Contains(shared.get()))
        << shared->exportToWkt();
    EXPECT_TRUE(checkTopology(model.store(), {}, toleranceUnits(0.3, 0.1)).clean());
}

} // namespace
} // namespace digitrace
