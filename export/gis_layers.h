#pragma once

#include "classes/class_catalogue.h"
#include "classes/classed_feature.h"
#include "export/gis_features.h"

#include <ogr_core.h>

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

namespace digitrace {

// A column a layer holds for the classes' fields, after the designed ones.
struct GisClassColumn {
    QString name; // unique in its layer and short enough for the format
    OGRFieldType type;
};

// A feature with its class and values; classed null for one traced without a class.
struct GisLayerFeature {
    const Feature *feature;
    const ClassedFeature *classed;
};

// One layer of a GIS output, its columns and the features it takes, in slot order.
struct GisLayer {
    QString name;
    OGRwkbGeometryType geometry = wkbUnknown;
    const FeatureClass *featureClass = nullptr; // the class it holds; null for the designed layers
    bool classColumn = false;                   // a "class" column names each feature's class
    QList<GisClassColumn> columns;
    QHash<QString, QHash<QString, qsizetype>> columnOf; // class -> field -> index in columns
    std::vector<GisLayerFeature> features;
};

struct GisLayerPlan {
    std::vector<GisLayer> layers;
    QStringList notes; // names changed and features left to the designed layers, for the operator
};

// A field's type as a column's.
OGRFieldType gisColumnType(ClassField::Type type);

// The longest start of `text` that takes at most `maxBytes` in UTF-8.
QString utf8Prefix(const QString &text, qsizetype maxBytes);

// The most bytes a shapefile's field name and text value take.
inline constexpr qsizetype kShapefileNameBytes = 10;
inline constexpr qsizetype kShapefileTextBytes = 254;

// The layers `set` goes into. A format with a layer per kind (`perKind`) gets <base>_points,
// <base>_lines and <base>_polygons for the features of no class and, with `classes` in use,
// <base>_<class>_<kind> for the kind each class declares and each kind its features have, with
// the class's fields as typed columns. Any other format gets one layer <base> holding all, with a
// "class" column and the fields of every class (one column for fields of one name and type).
// Names are made unique, and short enough for a shapefile where `shapefile`.
GisLayerPlan planGisLayers(const FeatureSet &set, const TraceClasses &classes,
                           const QString &baseName, bool perKind, bool shapefile);

} // namespace digitrace
