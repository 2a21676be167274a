#include "export/gis_fields.h"

#include <ogrsf_frmts.h>

namespace digitrace {

std::span<const GisField> gisFields() {
    static constexpr GisField kFields[] = {{"kind", OFTString},       {"code", OFTInteger},
                                           {"vertices", OFTInteger},  {"first_slot", OFTInteger},
                                           {"last_slot", OFTInteger}, {"length", OFTReal},
                                           {"area", OFTReal}};
    return kFields;
}

std::unique_ptr<OGRGeometry> geometryOf(const Feature &f) {
    if (f.kind == FeatureKind::Point)
        return std::make_unique<OGRPoint>(f.vertices[0].x, f.vertices[0].y);
    auto addAll = [&](OGRSimpleCurve &curve) {
        curve.setNumPoints(int(f.vertices.size()), FALSE);
        for (std::size_t i = 0; i < f.vertices.size(); ++i)
            curve.setPoint(int(i), f.vertices[i].x, f.vertices[i].y);
    };
    if (f.kind == FeatureKind::Line) {
        auto line = std::make_unique<OGRLineString>();
        addAll(*line);
        return line;
    }
    auto ring = new OGRLinearRing;
    addAll(*ring);
    ring->closeRings();
    auto polygon = std::make_unique<OGRPolygon>();
    polygon->addRingDirectly(ring);
    return polygon;
}

bool createGisFields(OGRLayer &layer) {
    for (const GisField &wanted : gisFields()) {
        OGRFieldDefn field(wanted.name, wanted.type);
        if (wanted.type == OFTString)
            field.SetWidth(8);
        if (layer.CreateField(&field) != OGRERR_NONE)
            return false;
    }
    return true;
}

void setGisFields(OGRFeature &feature, const Feature &f) {
    feature.SetField("kind", namesOf(f.kind).name);
    if (f.code)
        feature.SetField("code", int(*f.code));
    feature.SetField("vertices", int(f.vertices.size()));
    feature.SetField("first_slot", int(f.firstSlot));
    feature.SetField("last_slot", int(f.lastSlot));
    if (f.kind != FeatureKind::Point)
        feature.SetField("length", f.length);
    if (f.kind == FeatureKind::Polygon)
        feature.SetField("area", f.area);
}

} // namespace digitrace
