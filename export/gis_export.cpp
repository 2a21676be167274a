#include "export/gis_export.h"

#include "export/file_replacement.h"
#include "export/gis_fields.h"
#include "export/gis_layers.h"
#include "export/quiet_gdal.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <cpl_error.h>
#include <cpl_vsi.h>
#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>

#include <unistd.h>

namespace digitrace {

namespace {

const QString kShapefile = QStringLiteral("ESRI Shapefile");

void registerDrivers() {
    static std::once_flag once;
    std::call_once(once, [] { GDALAllRegister(); });
}

QString gdalReason() {
    const char *message = CPLGetLastErrorMsg();
    return message && *message ? QString::fromUtf8(message)
                               : QCoreApplication::translate("digitrace::GisExport",
                                                             "GDALが理由を返しませんでした");
}

struct CloseDataset {
    void operator()(GDALDataset *d) const { GDALClose(d); }
};
using Dataset = std::unique_ptr<GDALDataset, CloseDataset>;

// The formats with a layer a kind, and a file set a layer for shapefiles.
bool layerPerKind(const QString &format) {
    return format == u"GPKG" || format == kShapefile;
}

// Writes the planned layers as a new dataset at `path` (inside the temporary folder). "" or the
// reason; what did not go in whole is added to `notes`.
QString writeDataset(const GisLayerPlan &plan, const GisExportOptions &options, const QString &path,
                     QStringList &notes) {
    GDALDriver *driver =
        GetGDALDriverManager()->GetDriverByName(options.format.toUtf8().constData());
    if (!driver)
        return QCoreApplication::translate("digitrace::GisExport",
                                           "GDALに %1 形式のドライバーがありません")
            .arg(options.format);
    Dataset ds(driver->Create(path.toUtf8().constData(), 0, 0, 0, GDT_Unknown, nullptr));
    if (!ds)
        return gdalReason();
    OGRSpatialReference srs;
    const bool withCrs = !options.crsWkt.isEmpty();
    if (withCrs) {
        srs.importFromWkt(options.crsWkt.toUtf8().constData());
        srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    }
    const bool shapefile = options.format == kShapefile;
    // A DXF layer has a fixed set of fields of its own.
    const bool withFields = options.format != u"DXF";
    const bool transaction = ds->StartTransaction(FALSE) == OGRERR_NONE;
    QString reason;
    for (const GisLayer &planned : plan.layers) {
        char **layerOptions = nullptr;
        if (options.format == u"CSV") {
            layerOptions = CSLSetNameValue(layerOptions, "GEOMETRY", "AS_WKT");
            // The columns' types in a .csvt beside the file, as readers look for them.
            if (options.classes.inUse())
                layerOptions = CSLSetNameValue(layerOptions, "CREATE_CSVT", "YES");
        }
        // A class's names and values in any language, and the .cpg that says so.
        if (shapefile && planned.featureClass)
            layerOptions = CSLSetNameValue(layerOptions, "ENCODING", "UTF-8");
        OGRLayer *layer = ds->CreateLayer(planned.name.toUtf8().constData(),
                                          withCrs ? &srs : nullptr, planned.geometry, layerOptions);
        CSLDestroy(layerOptions);
        if (!layer || (withFields && (!createGisFields(*layer) ||
                                      !createClassColumns(*layer, planned, shapefile)))) {
            reason = gdalReason();
            break;
        }
        ClassValueTally tally;
        for (const GisLayerFeature &f : planned.features) {
            OGRFeature feature(layer->GetLayerDefn());
            if (withFields) {
                setGisFields(feature, *f.feature);
                setClassFields(feature, planned, f.classed, shapefile, tally);
            }
            feature.SetGeometryDirectly(geometryOf(*f.feature).release());
            if (layer->CreateFeature(&feature) != OGRERR_NONE) {
                reason = gdalReason();
                break;
            }
        }
        for (auto n = tally.unreadable.cbegin(); n != tally.unreadable.cend(); ++n)
            notes << QCoreApplication::translate(
                         "digitrace::GisExport",
                         "層 %1 の列 %2 で、型に合わない値 %3 個を空にしました")
                         .arg(planned.name, planned.columns[n.key()].name)
                         .arg(*n);
        for (auto n = tally.cut.cbegin(); n != tally.cut.cend(); ++n)
            notes << QCoreApplication::translate(
                         "digitrace::GisExport",
                         "層 %1 の列 %2 で、%3 バイトを超える値 %4 個を切り詰めました")
                         .arg(planned.name, planned.columns[n.key()].name)
                         .arg(kShapefileTextBytes)
                         .arg(*n);
        if (!reason.isEmpty())
            break;
    }
    if (reason.isEmpty() && transaction && ds->CommitTransaction() != OGRERR_NONE)
        reason = gdalReason();
    // Closing writes what is still buffered; a failure shows as an error raised meanwhile.
    CPLErrorReset();
    ds.reset();
    if (reason.isEmpty() && CPLGetLastErrorType() >= CE_Failure)
        reason = gdalReason();
    return reason;
}

// The extension each driver wants for a file of its own; the CSV driver makes a folder of any
// other name.
QString fileSuffix(const QString &format) {
    if (format == u"GPKG")
        return QStringLiteral("gpkg");
    if (format == u"GeoJSON")
        return QStringLiteral("geojson");
    return format.toLower();
}

// A folder in GDAL's memory file system, gone with the object. Everything is written there first,
// so that every byte reaches the disk through writes whose results are checked.
class MemoryFolder {
public:
    MemoryFolder() {
        static std::atomic<int> next{0};
        path_ = QStringLiteral("/vsimem/digitrace-gis-%1-%2").arg(::getpid()).arg(next++);
        VSIMkdir(path_.toUtf8().constData(), 0700);
    }
    ~MemoryFolder() { VSIRmdirRecursive(path_.toUtf8().constData()); }
    MemoryFolder(const MemoryFolder &) = delete;
    MemoryFolder &operator=(const MemoryFolder &) = delete;

    QString filePath(const QString &name) const { return path_ + u'/' + name; }

private:
    QString path_;
};

// The files GDAL left at path (a file, or a folder of them), each named by its own file name.
std::optional<QList<NewFile>> filesAt(const QString &path) {
    VSIStatBufL stat{};
    const QByteArray where = path.toUtf8();
    if (VSIStatL(where.constData(), &stat) != 0)
        return std::nullopt;
    QStringList names;
    QString folder = path;
    if (VSI_ISDIR(stat.st_mode)) {
        char **list = VSIReadDir(where.constData());
        for (char **name = list; name && *name; ++name)
            if (std::strcmp(*name, ".") != 0 && std::strcmp(*name, "..") != 0)
                names << QString::fromUtf8(*name);
        CSLDestroy(list);
        names.sort();
    } else {
        folder = QFileInfo(path).path();
        names << QFileInfo(path).fileName();
    }
    QList<NewFile> files;
    for (const QString &name : names) {
        vsi_l_offset length = 0;
        const GByte *bytes =
            VSIGetMemFileBuffer((folder + u'/' + name).toUtf8().constData(), &length, FALSE);
        if (!bytes)
            return std::nullopt;
        files.append({name, QByteArray(reinterpret_cast<const char *>(bytes), qsizetype(length))});
    }
    return files;
}

} // namespace

const QStringList &gisFormats() {
    static const QStringList formats = {QStringLiteral("GPKG"), kShapefile,
                                        QStringLiteral("GeoJSON"), QStringLiteral("CSV"),
                                        QStringLiteral("DXF")};
    return formats;
}

QString gisFormatForPath(const QString &path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"gpkg")
        return QStringLiteral("GPKG");
    if (suffix == u"shp")
        return kShapefile;
    if (suffix == u"geojson" || suffix == u"json")
        return QStringLiteral("GeoJSON");
    if (suffix == u"csv")
        return QStringLiteral("CSV");
    if (suffix == u"dxf")
        return QStringLiteral("DXF");
    return {};
}

GisExportResult exportGis(const TraceStore &store, const GisExportOptions &options,
                          const QString &path) {
    registerDrivers();
    GisExportResult out;
    out.features = collectFeatures(store, options.placement);
    const QStringList repaired = options.repair ? options.repair(out.features) : QStringList();
    const QString shown = QDir::toNativeSeparators(path);
    auto fail = [&](const QString &reason) {
        out.result.error =
            QCoreApplication::translate("digitrace::GisExport", "GIS出力 %1 を書けません: %2")
                .arg(shown, reason);
        return out;
    };
    if (!gisFormats().contains(options.format))
        return fail(QCoreApplication::translate("digitrace::GisExport",
                                                "%1 は扱える形式ではありません (%2)")
                        .arg(options.format, gisFormats().join(QStringLiteral(", "))));
    const QFileInfo target(path);
    if (!target.absoluteDir().exists())
        return fail(QCoreApplication::translate("digitrace::GisExport", "フォルダ %1 がありません")
                        .arg(QDir::toNativeSeparators(target.absolutePath())));
    const bool shapefile = options.format == kShapefile;
    const QString layerName = target.completeBaseName();
    // GDAL's DXF writer has fields of its own, and reads names outside ASCII back in another code
    // page than it writes them in: the classes stay out of it, and the operator is told.
    const bool dxf = options.format == u"DXF";
    const GisLayerPlan plan = planGisLayers(out.features, dxf ? TraceClasses() : options.classes,
                                            layerName, layerPerKind(options.format), shapefile);
    out.notes = plan.notes + repaired;
    if (dxf && options.classes.inUse())
        out.notes << QCoreApplication::translate(
            "digitrace::GisExport",
            "GIS出力のDXFにはクラスを書きません。クラスごとの層はDXF出力で書けます");
    const MemoryFolder memory;
    const QString written = memory.filePath(
        shapefile ? QStringLiteral("layers") : layerName + u'.' + fileSuffix(options.format));
    const QString csvTypes = memory.filePath(layerName + QStringLiteral(".csvt"));
    std::optional<QList<NewFile>> files;
    std::optional<QList<NewFile>> types;
    {
        const QuietGdal quiet;
        const QString reason = writeDataset(plan, options, written, out.notes);
        if (!reason.isEmpty())
            return fail(reason);
        files = filesAt(written);
        if (options.format == u"CSV" && options.classes.inUse())
            types = filesAt(csvTypes);
    }
    if (!files || files->isEmpty() ||
        (options.classes.inUse() && options.format == u"CSV" && (!types || types->isEmpty())))
        return fail(QCoreApplication::translate("digitrace::GisExport",
                                                "GDALが出力ファイルを作りませんでした"));
    // A shapefile is a set of files named after its layers, beside the one named; any other
    // format is the one file named, whatever its extension.
    for (NewFile &file : *files)
        file.path =
            shapefile ? target.absoluteDir().filePath(file.path) : target.absoluteFilePath();
    auto replaceOrRemove = [&](const QString &path, const QByteArray *content) {
        if (content)
            files->append({path, *content, false});
        else if (std::none_of(files->begin(), files->end(),
                              [&](const NewFile &f) { return f.path == path; }))
            files->append({path, {}, true});
    };
    // Where readers look for a CSV's column types; one from an earlier export would mistype the
    // columns.
    if (options.format == u"CSV")
        replaceOrRemove(target.absoluteDir().filePath(layerName + QStringLiteral(".csvt")),
                        types ? &types->constFirst().content : nullptr);
    if (shapefile)
        for (const GisLayer &layer : plan.layers)
            for (const char *suffix : {".prj", ".cpg"})
                // An earlier export's projection or code page would misdescribe the new layer.
                replaceOrRemove(target.absoluteDir().filePath(layer.name + QLatin1String(suffix)),
                                nullptr);

    const Replacement replaced = replaceFileSet(*files);
    if (!replaced.ok()) {
        out.result.error = replaced.message(
            QCoreApplication::translate("digitrace::GisExport", "GIS出力 %1 を書けません")
                .arg(shown));
        return out;
    }
    for (const NewFile &file : *files)
        if (!file.remove)
            out.files << file.path;
    return out;
}

} // namespace digitrace
