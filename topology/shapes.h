#pragma once

#include "registration/transform_fit.h"

#include <geos_c.h>
#include <ogr_geometry.h>

#include <memory>
#include <optional>
#include <vector>

namespace digitrace::topology {

using Shape = std::unique_ptr<OGRGeometry, OGRGeometryUniquePtrDeleter>;

Shape ringShape(const std::vector<MapPoint> &ring);

// Calls visit(const OGRPolygon &) for each polygon in a polygon, multipolygon or collection.
template <typename Visit> void forEachPolygon(const OGRGeometry *shape, Visit &&visit) {
    if (!shape)
        return;
    switch (wkbFlatten(shape->getGeometryType())) {
    case wkbPolygon:
        visit(*shape->toPolygon());
        break;
    case wkbMultiPolygon:
    case wkbGeometryCollection:
        for (const OGRGeometry *part : *shape->toGeometryCollection())
            forEachPolygon(part, visit);
        break;
    default:
        break;
    }
}

// GEOS as GDAL carries it, through the context OGR makes. The check works on GEOS's own
// geometries, made once from OGR's, rather than have OGR convert both sides of every operation;
// and GEOS offers what OGR does not: where a ring is invalid, buffers with mitred corners.
class Geos {
public:
    struct Deleter {
        GEOSContextHandle_t context;
        void operator()(GEOSGeometry *g) const { GEOSGeom_destroy_r(context, g); }
    };
    using Handle = std::unique_ptr<GEOSGeometry, Deleter>;

    Geos();
    ~Geos();
    Geos(const Geos &) = delete;
    Geos &operator=(const Geos &) = delete;

    Handle from(const OGRGeometry &shape) const;
    // None when the geometry is valid, else where it is not.
    std::optional<MapPoint> invalidAt(const GEOSGeometry *g) const;
    // Made valid by rebuilding its area from its rings, which keeps the parts a crossed ring
    // encloses and is quicker than keeping every piece of linework.
    Handle madeValid(const GEOSGeometry *g) const;
    bool intersects(const GEOSGeometry *a, const GEOSGeometry *b) const;
    Handle intersection(const GEOSGeometry *a, const GEOSGeometry *b) const;
    Handle difference(const GEOSGeometry *a, const GEOSGeometry *b) const;
    Handle unionOf(const std::vector<const GEOSGeometry *> &parts) const;
    // Grown by `by` then shrunk by it again, with mitred corners so that corners come back as
    // they were: what it adds are the parts narrower than twice `by`.
    Handle closing(const GEOSGeometry *g, double by) const;
    double distance(const GEOSGeometry *a, const GEOSGeometry *b) const;
    double area(const GEOSGeometry *g) const;
    double perimeter(const GEOSGeometry *g) const;
    MapPoint pointInside(const GEOSGeometry *g) const;
    void bounds(const GEOSGeometry *g, double *minX, double *minY, double *maxX,
                double *maxY) const;

    // Calls visit(const GEOSGeometry *) for each polygon in `g`, however nested.
    template <typename Visit> void forEachPolygon(const GEOSGeometry *g, Visit &&visit) const {
        if (!g)
            return;
        const int type = GEOSGeomTypeId_r(context_, g);
        if (type == GEOS_POLYGON) {
            if (!GEOSisEmpty_r(context_, g))
                visit(g);
        } else if (type == GEOS_MULTIPOLYGON || type == GEOS_GEOMETRYCOLLECTION) {
            for (int i = 0, n = GEOSGetNumGeometries_r(context_, g); i < n; ++i)
                forEachPolygon(GEOSGetGeometryN_r(context_, g, i), visit);
        }
    }

private:
    Handle own(GEOSGeometry *g) const { return Handle(g, Deleter{context_}); }
    GEOSContextHandle_t context_;
};

} // namespace digitrace::topology
