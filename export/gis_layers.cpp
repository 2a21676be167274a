#include "export/gis_layers.h"

#include "export/gis_fields.h"

#include <QCoreApplication>

#include <algorithm>

namespace digitrace {
namespace {

// Enough for a class's part of a file name, far below the 255 bytes of a file name.
constexpr qsizetype kLayerNameBytes = 100;
// A file name's 255 bytes, less what the file written beside it first adds (".", ".new-" and up
// to 13 characters).
constexpr qsizetype kFileNameBytes = 235;

// Columns that drivers keep for themselves or that readers take for something else.
const QStringList &reservedColumns() {
    static const QStringList names = [] {
        QStringList all = {QStringLiteral("class"),  QStringLiteral("fid"),
                           QStringLiteral("geom"),   QStringLiteral("geometry"),
                           QStringLiteral("wkt"),    QStringLiteral("id"),
                           QStringLiteral("ogc_fid")};
        for (const GisField &field : gisFields())
            all << QString::fromLatin1(field.name);
        return all;
    }();
    return names;
}

// Layer and file names never hold what a file system refuses, nor more than `maxBytes`.
QString safeLayerName(const QString &name, qsizetype maxBytes) {
    QString safe = name.trimmed();
    for (QChar &c : safe)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || QStringLiteral("/\\:*?\"<>|").contains(c))
            c = u'_';
    safe = utf8Prefix(safe, maxBytes).trimmed();
    return safe.isEmpty() ? QStringLiteral("_") : safe;
}

// `wanted` cut to `maxBytes`, or with _2, _3, ... until `taken` has none of that name in any case.
template <typename Taken>
QString uniqueName(const QString &wanted, qsizetype maxBytes, Taken taken) {
    QString name = maxBytes > 0 ? utf8Prefix(wanted, maxBytes) : wanted;
    for (int n = 2; taken(name); ++n) {
        const QString suffix = u'_' + QString::number(n);
        name = (maxBytes > 0 ? utf8Prefix(wanted, maxBytes - suffix.size()) : wanted) + suffix;
    }
    return name;
}

bool containsName(const QStringList &names, const QString &name) {
    return names.contains(name, Qt::CaseInsensitive);
}

// Adds `featureClass`'s fields to `layer`: a field of another class with the same name and type
// shares its column.
void addColumns(GisLayer &layer, const FeatureClass &featureClass, bool shapefile,
                QStringList &notes) {
    QHash<QString, qsizetype> &columns = layer.columnOf[featureClass.name];
    for (const ClassField &field : featureClass.fields) {
        const OGRFieldType type = gisColumnType(field.type);
        qsizetype shared = -1;
        for (auto other = layer.columnOf.cbegin(); shared < 0 && other != layer.columnOf.cend();
             ++other) {
            const qsizetype column = other->value(field.name, -1);
            if (other.key() != featureClass.name && column >= 0 &&
                layer.columns[column].type == type)
                shared = column;
        }
        if (shared >= 0) {
            columns.insert(field.name, shared);
            continue;
        }
        QStringList taken = reservedColumns();
        for (const GisClassColumn &c : std::as_const(layer.columns))
            taken << c.name;
        const QString name = uniqueName(field.name, shapefile ? kShapefileNameBytes : 0,
                                        [&](const QString &n) { return containsName(taken, n); });
        if (name != field.name)
            notes << QCoreApplication::translate(
                         "digitrace::GisExport",
                         "層 %1 で、クラス %2 の欄 %3 は列 %4 として出力しました")
                         .arg(layer.name, featureClass.name, field.name, name);
        columns.insert(field.name, layer.columns.size());
        layer.columns.append({name, type});
    }
}

FeatureKind featureKind(ClassKind kind) {
    switch (kind) {
    case ClassKind::Line:
        return FeatureKind::Line;
    case ClassKind::Polygon:
        return FeatureKind::Polygon;
    case ClassKind::Point:
        break;
    }
    return FeatureKind::Point;
}

} // namespace

OGRFieldType gisColumnType(ClassField::Type type) {
    switch (type) {
    case ClassField::Type::Integer:
        return OFTInteger64;
    case ClassField::Type::Real:
        return OFTReal;
    case ClassField::Type::Date:
        return OFTDate;
    case ClassField::Type::Text:
    case ClassField::Type::Choice:
        break;
    }
    return OFTString;
}

QString utf8Prefix(const QString &text, qsizetype maxBytes) {
    qsizetype bytes = 0, end = 0;
    for (const char32_t c : text.toUcs4()) {
        const qsizetype size = c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
        if (bytes + size > maxBytes)
            break;
        bytes += size;
        end += c > 0xffff ? 2 : 1;
    }
    return text.left(end);
}

GisLayerPlan planGisLayers(const FeatureSet &set, const TraceClasses &classes,
                           const QString &baseName, bool perKind, bool shapefile) {
    GisLayerPlan plan;
    const bool classed = classes.inUse();
    if (!perKind) {
        GisLayer all{baseName, wkbUnknown, nullptr, classed, {}, {}, {}};
        if (classed)
            for (const FeatureClass &c : classes.catalogue->classes())
                addColumns(all, c, shapefile, plan.notes);
        plan.layers.push_back(std::move(all));
    } else {
        for (const FeatureKindNames &names : kFeatureKinds)
            plan.layers.push_back({baseName + u'_' + QLatin1String(names.layerSuffix),
                                   names.geometry,
                                   {},
                                   {},
                                   {},
                                   {},
                                   {}});
    }

    // The layer each classed feature goes to, made as the first feature of its class and kind
    // needs it; those of each class's own kind come first, in the catalogue's order.
    QHash<QString, QHash<int, std::size_t>> classLayers; // class -> kind -> index in layers
    auto classLayer = [&](const FeatureClass &c, FeatureKind kind) {
        QHash<int, std::size_t> &byKind = classLayers[c.name];
        if (const auto found = byKind.constFind(int(kind)); found != byKind.cend())
            return *found;
        const FeatureKindNames &names = namesOf(kind);
        const QString suffix = u'_' + QLatin1String(names.layerSuffix);
        // A shapefile's name beside its base: room for "_<part>", a "_N" to keep it unique, the
        // kind and the extension.
        const qsizetype room = kFileNameBytes - baseName.toUtf8().size() - suffix.size() - 10;
        const QString safe = safeLayerName(c.name, std::clamp<qsizetype>(room, 1, kLayerNameBytes));
        QStringList taken;
        for (const GisLayer &layer : plan.layers)
            taken << layer.name;
        const QString part = uniqueName(safe, 0, [&](const QString &n) {
            return containsName(taken, baseName + u'_' + n + suffix);
        });
        const QString renamed = QCoreApplication::translate(
                                    "digitrace::GisExport",
                                    "クラス %1 の層は名前に %2 を使いました（使えない文字、長さ、"
                                    "重なりのため）")
                                    .arg(c.name, part);
        if (part != c.name && !plan.notes.contains(renamed))
            plan.notes << renamed;
        GisLayer layer{baseName + u'_' + part + suffix, names.geometry, &c, false, {}, {}, {}};
        addColumns(layer, c, shapefile, plan.notes);
        plan.layers.push_back(std::move(layer));
        byKind.insert(int(kind), plan.layers.size() - 1);
        return plan.layers.size() - 1;
    };
    if (perKind && classed)
        for (const FeatureClass &c : classes.catalogue->classes())
            classLayer(c, featureKind(c.kind));

    int unknown = 0;
    for (const Feature &f : set.features) {
        const ClassedFeature *classed = classes.featureAt(f.firstSlot);
        const FeatureClass *featureClass =
            classed ? classes.catalogue->find(classed->className) : nullptr;
        if (classed && !featureClass) {
            ++unknown;
            classed = nullptr;
        }
        const std::size_t layer = !perKind       ? 0
                                  : featureClass ? classLayer(*featureClass, f.kind)
                                                 : std::size_t(f.kind);
        plan.layers[layer].features.push_back({&f, classed});
    }
    if (unknown > 0)
        plan.notes
            << QCoreApplication::translate(
                   "digitrace::GisExport",
                   "クラス一覧にないクラスの図形 %1 個は、クラスのない図形として出力しました")
                   .arg(unknown);
    return plan;
}

} // namespace digitrace
