#include "export/gis_export.h"
#include "export/gis_fields.h"
#include "export/map_crs.h"
#include "model/trace_model.h"
#include "tests/export/sample_traces.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/files.h"
#include "tests/support/record_text.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>

namespace digitrace {
namespace {

const QString kShapefile = QStringLiteral("ESRI Shapefile");

struct Record {
    double x, y;
    int code;
};

// A point; a 100 x 100 square closed by code 3; a line of three vertices ended by a new start; a
// one-segment line ended by a point; a lone start (left out) followed by a point; and a line the
// table ends inside.
const std::vector<Record> kMixed = {
    {5, 5, 4},     {0, 0, 1},     {100, 0, 2},  {100, 100, 2}, {0, 100, 2}, {1, 1, 3},
    {200, 0, 1},   {300, 0, 2},   {300, 50, 2}, {400, 0, 1},   {450, 0, 2}, {460, 10, 4},
    {500, 500, 1}, {600, 600, 9}, {700, 0, 1},  {710, 0, 2},
};

std::unique_ptr<TraceModel> traceOf(const std::vector<Record> &records) {
    auto model = std::make_unique<TraceModel>(QLocale::c());
    model->setScaleDenom(1000);
    for (const Record &r : records)
        model->takeRecord(test::recordText(r.x, r.y, r.code));
    return model;
}

struct CloseDataset {
    void operator()(GDALDataset *d) const { GDALClose(d); }
};
using Dataset = std::unique_ptr<GDALDataset, CloseDataset>;

Dataset openVector(const QString &path) {
    return Dataset(GDALDataset::Open(path.toUtf8().constData(), GDAL_OF_VECTOR));
}

// Geometry type name -> count, over every layer of the files.
std::map<std::string, int> geometryCounts(const QStringList &files) {
    std::map<std::string, int> counts;
    for (const QString &file : files) {
        if (!file.endsWith(u".shp") && !file.endsWith(u".gpkg") && !file.endsWith(u".geojson") &&
            !file.endsWith(u".csv") && !file.endsWith(u".dxf") && !file.endsWith(u".txt"))
            continue;
        Dataset ds = openVector(file.endsWith(u".txt") ? QStringLiteral("CSV:") + file : file);
        if (!ds) {
            ++counts["unopenable"];
            continue;
        }
        for (OGRLayer *layer : ds->GetLayers())
            for (const auto &f : *layer)
                ++counts[f->GetGeometryRef() ? OGRGeometryTypeToName(wkbFlatten(
                                                   f->GetGeometryRef()->getGeometryType()))
                                             : "none"];
    }
    return counts;
}

TEST(GisExport, EveryFormatOpensWithTheWindowsCounts) {
    const auto model = traceOf(kMixed);
    const TraceStore &s = model->store();
    ASSERT_EQ(s.PointCount, 3);
    ASSERT_EQ(s.LineCount, 3);
    ASSERT_EQ(s.PolyCount, 1);
    const std::map<std::string, int> asCounted = {
        {"Point", s.PointCount}, {"Line String", s.LineCount}, {"Polygon", s.PolyCount}};
    const MapCrs crs = readMapCrs(QStringLiteral("EPSG:6677"));
    ASSERT_TRUE(crs.ok()) << crs.error.toStdString();
    const struct {
        const char *file;
        std::size_t files;
        bool carriesCrs;
        const char *format = nullptr; // by the extension unless given
    } rows[] = {
        {"t.gpkg", 1, true},       {"t.shp", 12, true}, // .shp .shx .dbf .prj for each geometry
        {"t.geojson", 1, true},    {"t.csv", 1, false}, {"t.dxf", 1, false},
        {"t.txt", 1, false, "CSV"}}; // the file named, not a folder of that name
    QTemporaryDir dir;
    for (const auto &row : rows) {
        const QString path = dir.filePath(QLatin1String(row.file));
        GisExportOptions options{row.format ? QString::fromLatin1(row.format)
                                            : gisFormatForPath(path),
                                 {std::nullopt, 1000},
                                 crs.wkt};
        const GisExportResult written = exportGis(s, options, path);
        ASSERT_TRUE(written.ok()) << written.result.error.toStdString();
        EXPECT_EQ(written.features.leftOut, 1) << row.file;
        EXPECT_EQ(std::size_t(written.files.size()), row.files) << row.file;
        EXPECT_TRUE(QFileInfo(written.files.value(0)).isFile()) << row.file;
        EXPECT_EQ(geometryCounts(written.files), asCounted) << row.file;
        if (row.carriesCrs) {
            Dataset ds = openVector(written.files.filter(QStringLiteral("polygons.shp"))
                                        .value(0, written.files.value(0)));
            ASSERT_TRUE(ds);
            const OGRSpatialReference *srs = ds->GetLayer(0)->GetSpatialRef();
            ASSERT_TRUE(srs) << row.file;
            EXPECT_STREQ(srs->GetAuthorityCode(nullptr), "6677") << row.file;
        }
    }
}

// A 100 x 100 square on the sheet registered onto a map 2.5 times larger, turned and moved far
// off: the area and perimeter follow analytically. Unregistered at 1:1000 it is 100 m a side.
TEST(GisExport, SquareAreaPerimeterAndAttributes) {
    const auto model = traceOf(kMixed);
    const double c = 2.5 * std::cos(0.7), s = 2.5 * std::sin(0.7);
    std::vector<ControlPoint> points;
    for (const auto &[x, y] : {std::pair{0.0, 0.0}, {800.0, 0.0}, {800.0, 600.0}, {0.0, 600.0}})
        points.push_back({"", x, y, c * x - s * y + 512000, s * x + c * y + 4100000, true});
    const Fit fit = fitTransform(points, TransformKind::Affine);
    ASSERT_TRUE(fit.ok());
    const struct {
        std::optional<Transform> transform;
        double area, perimeter;
    } rows[] = {{fit.transform, 62500, 1000}, {std::nullopt, 10000, 400}};
    QTemporaryDir dir;
    for (const auto &row : rows) {
        const QString path = dir.filePath(QStringLiteral("square.gpkg"));
        const GisExportResult written =
            exportGis(model->store(), {QStringLiteral("GPKG"), {row.transform, 1000}, {}}, path);
        ASSERT_TRUE(written.ok()) << written.result.error.toStdString();
        Dataset ds = openVector(path);
        ASSERT_TRUE(ds);
        OGRLayer *polygons = ds->GetLayerByName("square_polygons");
        ASSERT_TRUE(polygons);
        ASSERT_EQ(polygons->GetFeatureCount(), 1);
        std::unique_ptr<OGRFeature> f(polygons->GetNextFeature());
        EXPECT_STREQ(f->GetFieldAsString("kind"), "polygon");
        EXPECT_EQ(f->GetFieldAsInteger("code"), 3);
        EXPECT_EQ(f->GetFieldAsInteger("vertices"), 4);
        EXPECT_EQ(f->GetFieldAsInteger("first_slot"), 1);
        EXPECT_EQ(f->GetFieldAsInteger("last_slot"), 5);
        EXPECT_NEAR(f->GetFieldAsDouble("area"), row.area, 1e-6 * row.area);
        EXPECT_NEAR(f->GetFieldAsDouble("length"), row.perimeter, 1e-6 * row.perimeter);
        const auto *ring = f->GetGeometryRef()->toPolygon()->getExteriorRing();
        EXPECT_EQ(ring->getNumPoints(), 5); // four corners and the ring's closing repeat
        EXPECT_NEAR(f->GetGeometryRef()->toPolygon()->get_Area(), row.area, 1e-6 * row.area);

        // The line the table ends inside has no code that ended it.
        OGRLayer *lines = ds->GetLayerByName("square_lines");
        ASSERT_TRUE(lines);
        std::unique_ptr<OGRFeature> last(lines->GetFeature(lines->GetFeatureCount()));
        ASSERT_TRUE(last);
        EXPECT_TRUE(last->IsFieldNull(last->GetFieldIndex("code")));
        EXPECT_EQ(last->GetFieldAsInteger("first_slot"), 14);
    }
}

// The worked five records at 1:1000, unregistered: coordinates in metres.
TEST(GisExport, WorkedExampleGeoJsonIsExact) {
    const test::SampleTrace sample = test::workedExample();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("worked.geojson"));
    TraceStore store = sample.model.store();
    store.ScaleDenom = 1000;
    const GisExportResult written =
        exportGis(store, {QStringLiteral("GeoJSON"), {std::nullopt, 1000}, {}}, path);
    ASSERT_TRUE(written.ok()) << written.result.error.toStdString();
    EXPECT_EQ(test::readFile(path), test::readFile(QStringLiteral(
                                        DIGITRACE_SOURCE_DIR "/tests/export/data/worked.geojson")));
}

// Nothing is replaced unless the whole export succeeded.
TEST(GisExport, FailureLeavesExistingFilesAsTheyWere) {
    const auto model = traceOf(kMixed);
    QTemporaryDir dir;
    const QString existing = dir.filePath(QStringLiteral("old.gpkg"));
    test::writeFile(existing, "old content");
    const QString occupied = dir.filePath(QStringLiteral("busy.geojson"));
    ASSERT_TRUE(QDir().mkpath(occupied)); // a folder where the file should go
    const struct {
        QString format;
        QString path;
        const char *message;
    } rows[] = {
        {QStringLiteral("KML"), existing, "扱える形式ではありません"},
        {QStringLiteral("GPKG"), dir.filePath(QStringLiteral("no/such.gpkg")), "がありません"},
        {QStringLiteral("GeoJSON"), occupied, "を書けません"},
    };
    for (const auto &row : rows) {
        const GisExportResult written =
            exportGis(model->store(), {row.format, {std::nullopt, 1000}, {}}, row.path);
        EXPECT_FALSE(written.ok());
        EXPECT_TRUE(written.result.error.contains(QString::fromUtf8(row.message)))
            << written.result.error.toStdString();
    }
    EXPECT_EQ(test::readFile(existing), "old content");
    EXPECT_TRUE(QFileInfo(occupied).isDir());
    EXPECT_FALSE(readMapCrs(QStringLiteral("EPSG:999999")).ok());
    EXPECT_FALSE(readMapCrs(QStringLiteral("/etc/passwd")).ok());
    EXPECT_TRUE(readMapCrs(QStringLiteral("epsg:4326")).ok());
}

// A shapefile set exported again without a coordinate system loses the earlier .prj, which would
// place the new coordinates in the old system.
TEST(GisExport, ShapefileSetKeepsNoEarlierProjection) {
    const auto model = traceOf(kMixed);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.shp"));
    const MapCrs crs = readMapCrs(QStringLiteral("EPSG:6677"));
    for (const QString &wkt : {crs.wkt, QString()}) {
        const GisExportResult written =
            exportGis(model->store(), {kShapefile, {std::nullopt, 1000}, wkt}, path);
        ASSERT_TRUE(written.ok()) << written.result.error.toStdString();
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).filter(".prj"), QStringList());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 9);
}

// A disk that fills up part way: the export says why, and the files that were there keep every
// byte, with nothing left beside them.
TEST(GisExport, FullDiskLeavesTheFilesThatWereThere) {
    const auto model = traceOf(kMixed);
    for (const QString &format : gisFormats()) {
        QTemporaryDir dir;
        const QString path =
            dir.filePath(QStringLiteral("t.") + (format == u"ESRI Shapefile" ? QStringLiteral("shp")
                                                 : format == u"GeoJSON" ? QStringLiteral("geojson")
                                                                        : format.toLower()));
        const GisExportOptions options{format, {std::nullopt, 1000}, {}};
        const GisExportResult earlier = exportGis(model->store(), options, path);
        ASSERT_TRUE(earlier.ok()) << earlier.result.error.toStdString();
        for (const QString &file : earlier.files)
            test::writeFile(file, "earlier " + file.toUtf8());

        GisExportResult written;
        {
            const test::FileSizeLimit limit(64);
            ASSERT_TRUE(limit.applied());
            written = exportGis(model->store(), options, path);
        }
        EXPECT_FALSE(written.ok()) << format.toStdString();
        EXPECT_TRUE(written.result.error.contains(QString::fromLocal8Bit(std::strerror(EFBIG))))
            << written.result.error.toStdString();
        EXPECT_TRUE(written.result.error.contains(QStringLiteral("変更されていません")))
            << written.result.error.toStdString();
        for (const QString &file : earlier.files)
            EXPECT_EQ(test::readFile(file), "earlier " + file.toUtf8()) << file.toStdString();
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(),
                  earlier.files.size())
            << format.toStdString();
    }
}

} // namespace
} // namespace digitrace
