#include "export/gis_fields.h"

#include <ogrsf_frmts.h>

#include <QDate>

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

namespace {

// Where the class columns start: after the designed fields and the class column.
int firstClassColumn(const GisLayer &planned) {
    return int(gisFields().size()) + (planned.classColumn ? 1 : 0);
}

enum class ValueSet { Whole, Cut, Unreadable };

ValueSet setValue(OGRFeature &feature, int index, OGRFieldType type, const QVariant &value,
                  bool shapefile) {
    bool ok = false;
    switch (type) {
    case OFTInteger64: {
        const qlonglong number = value.toLongLong(&ok);
        if (ok)
            feature.SetField(index, GIntBig(number));
        break;
    }
    case OFTReal: {
        const double number = value.toDouble(&ok);
        if (ok)
            feature.SetField(index, number);
        break;
    }
    case OFTDate: {
        const QDate date = value.typeId() == QMetaType::QDate
                               ? value.toDate()
                               : QDate::fromString(value.toString(), Qt::ISODate);
        ok = date.isValid();
        if (ok)
            feature.SetField(index, date.year(), date.month(), date.day());
        break;
    }
    default: {
        const QString text = value.toString();
        const QString kept = shapefile ? utf8Prefix(text, kShapefileTextBytes) : text;
        feature.SetField(index, kept.toUtf8().constData());
        return kept.size() == text.size() ? ValueSet::Whole : ValueSet::Cut;
    }
    }
    return ok ? ValueSet::Whole : ValueSet::Unreadable;
}

} // namespace

bool createClassColumns(OGRLayer &layer, const GisLayer &planned, bool shapefile) {
    if (planned.classColumn) {
        OGRFieldDefn field("class", OFTString);
        if (layer.CreateField(&field) != OGRERR_NONE)
            return false;
    }
    for (const GisClassColumn &column : planned.columns) {
        OGRFieldDefn field(column.name.toUtf8().constData(), column.type);
        if (shapefile && column.type == OFTString)
            field.SetWidth(int(kShapefileTextBytes));
        if (layer.CreateField(&field) != OGRERR_NONE)
            return false;
    }
    return true;
}

void setClassFields(OGRFeature &feature, const GisLayer &planned, const ClassedFeature *classed,
                    bool shapefile, ClassValueTally &tally) {
    const int first = firstClassColumn(planned);
    if (planned.classColumn) {
        if (classed)
            feature.SetField(first - 1, classed->className.toUtf8().constData());
        else
            feature.SetFieldNull(first - 1);
    }
    for (qsizetype i = 0; i < planned.columns.size(); ++i)
        feature.SetFieldNull(first + int(i));
    if (!classed)
        return;
    const QHash<QString, qsizetype> columns = planned.columnOf.value(classed->className);
    for (auto value = classed->values.cbegin(); value != classed->values.cend(); ++value) {
        const qsizetype column = columns.value(value.key(), -1);
        if (column < 0 || value->isNull())
            continue;
        const ValueSet set =
            setValue(feature, first + int(column), planned.columns[column].type, *value, shapefile);
        if (set == ValueSet::Cut)
            ++tally.cut[column];
        else if (set == ValueSet::Unreadable)
            ++tally.unreadable[column];
    }
}

} // namespace digitrace
