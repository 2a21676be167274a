#include "topology/shapes.h"

#include <limits>

namespace digitrace::topology {

Shape ringShape(const std::vector<MapPoint> &ring) {
    auto linear = std::make_unique<OGRLinearRing>();
    linear->setNumPoints(int(ring.size()) + 1, FALSE);
    for (std::size_t i = 0; i <= ring.size(); ++i) {
        const MapPoint &p = ring[i % ring.size()];
        linear->setPoint(int(i), p.x, p.y);
    }
    auto polygon = std::make_unique<OGRPolygon>();
    polygon->addRingDirectly(linear.release());
    return Shape(polygon.release());
}

Geos::Geos() : context_(OGRGeometry::createGEOSContext()) {}

Geos::~Geos() {
    OGRGeometry::freeGEOSContext(context_);
}

Geos::Handle Geos::from(const OGRGeometry &shape) const {
    return own(shape.exportToGEOS(context_));
}

std::optional<MapPoint> Geos::invalidAt(const GEOSGeometry *g) const {
    if (!g)
        return MapPoint{};
    char *reason = nullptr;
    GEOSGeometry *location = nullptr;
    const char valid = GEOSisValidDetail_r(context_, g, 0, &reason, &location);
    std::optional<MapPoint> at;
    if (valid != 1) {
        at = MapPoint{};
        double x = 0, y = 0;
        if (location && GEOSGeomGetX_r(context_, location, &x) == 1 &&
            GEOSGeomGetY_r(context_, location, &y) == 1)
            at = MapPoint{x, y};
    }
    if (reason)
        GEOSFree_r(context_, reason);
    if (location)
        GEOSGeom_destroy_r(context_, location);
    return at;
}

Geos::Handle Geos::madeValid(const GEOSGeometry *g) const {
    GEOSMakeValidParams *params = GEOSMakeValidParams_create_r(context_);
    GEOSMakeValidParams_setMethod_r(context_, params, GEOS_MAKE_VALID_STRUCTURE);
    GEOSMakeValidParams_setKeepCollapsed_r(context_, params, 0);
    Handle valid = own(GEOSMakeValidWithParams_r(context_, g, params));
    GEOSMakeValidParams_destroy_r(context_, params);
    return valid;
}

bool Geos::intersects(const GEOSGeometry *a, const GEOSGeometry *b) const {
    return GEOSIntersects_r(context_, a, b) == 1;
}

Geos::Handle Geos::intersection(const GEOSGeometry *a, const GEOSGeometry *b) const {
    return own(GEOSIntersection_r(context_, a, b));
}

Geos::Handle Geos::difference(const GEOSGeometry *a, const GEOSGeometry *b) const {
    return own(GEOSDifference_r(context_, a, b));
}

Geos::Handle Geos::unionOf(const std::vector<const GEOSGeometry *> &parts) const {
    std::vector<GEOSGeometry *> copies;
    for (const GEOSGeometry *p : parts)
        copies.push_back(GEOSGeom_clone_r(context_, p));
    const Handle all = own(GEOSGeom_createCollection_r(context_, GEOS_GEOMETRYCOLLECTION,
                                                       copies.data(), unsigned(copies.size())));
    return all ? own(GEOSUnaryUnion_r(context_, all.get())) : nullptr;
}

Geos::Handle Geos::closing(const GEOSGeometry *g, double by) const {
    constexpr int kQuadrantSegments = 8;
    constexpr double kMitreLimit = 5;
    const Handle grown = own(GEOSBufferWithStyle_r(
        context_, g, by, kQuadrantSegments, GEOSBUF_CAP_FLAT, GEOSBUF_JOIN_MITRE, kMitreLimit));
    if (!grown)
        return nullptr;
    return own(GEOSBufferWithStyle_r(context_, grown.get(), -by, kQuadrantSegments,
                                     GEOSBUF_CAP_FLAT, GEOSBUF_JOIN_MITRE, kMitreLimit));
}

double Geos::distance(const GEOSGeometry *a, const GEOSGeometry *b) const {
    double d = std::numeric_limits<double>::max();
    GEOSDistance_r(context_, a, b, &d);
    return d;
}

double Geos::area(const GEOSGeometry *g) const {
    double a = 0;
    GEOSArea_r(context_, g, &a);
    return a;
}

double Geos::perimeter(const GEOSGeometry *g) const {
    double length = 0;
    GEOSLength_r(context_, g, &length);
    return length;
}

MapPoint Geos::pointInside(const GEOSGeometry *g) const {
    const Handle point = own(GEOSPointOnSurface_r(context_, g));
    double x = 0, y = 0;
    if (point && GEOSGeomGetX_r(context_, point.get(), &x) == 1 &&
        GEOSGeomGetY_r(context_, point.get(), &y) == 1)
        return {x, y};
    return {};
}

void Geos::bounds(const GEOSGeometry *g, double *minX, double *minY, double *maxX,
                  double *maxY) const {
    GEOSGeom_getXMin_r(context_, g, minX);
    GEOSGeom_getYMin_r(context_, g, minY);
    GEOSGeom_getXMax_r(context_, g, maxX);
    GEOSGeom_getYMax_r(context_, g, maxY);
}

} // namespace digitrace::topology
