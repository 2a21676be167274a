#include "app/window/frm_trace1.h"
#include "app/window/gis_export_feature.h"
#include "app/window/registration_dialog.h"
#include "app/window/sheet_registration.h"
#include "fakes.h"
#include "registration_steps.h"

#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <gtest/gtest.h>

#include <map>

namespace digitrace {
namespace {

using test::bytes;
using test::closeBy;
using test::registerCorners;
using Window = test::JournalledWindow;

struct CloseDataset {
    void operator()(GDALDataset *d) const { GDALClose(d); }
};
using Dataset = std::unique_ptr<GDALDataset, CloseDataset>;

Dataset openVector(const QString &path) {
    return Dataset(GDALDataset::Open(path.toUtf8().constData(), GDAL_OF_VECTOR));
}

// What the files hold: geometry type name -> count, the EPSG code of their CRS, a polygon's area.
struct ReadBack {
    std::map<std::string, int> counts;
    QString crsCode;
    double area = 0;
};
ReadBack readBack(const QDir &dir, const QString &files) {
    ReadBack back;
    for (const QString &file : files.split(u',')) {
        Dataset ds = openVector(dir.filePath(file));
        if (!ds) {
            ++back.counts["unopenable"];
            continue;
        }
        for (OGRLayer *layer : ds->GetLayers()) {
            const OGRSpatialReference *crs = layer->GetSpatialRef();
            const char *code = crs ? crs->GetAuthorityCode(nullptr) : nullptr;
            back.crsCode = QString::fromUtf8(code);
            for (const auto &f : *layer) {
                const OGRGeometry *g = f->GetGeometryRef();
                ++back.counts[OGRGeometryTypeToName(wkbFlatten(g->getGeometryType()))];
                if (wkbFlatten(g->getGeometryType()) == wkbPolygon)
                    back.area = g->toPolygon()->get_Area();
            }
        }
    }
    return back;
}

// A polygon, a point, a lone start (left out) and a line the table ends inside.
const QByteArray kTrace = bytes(0, 0, 1) + bytes(100, 0, 2) + bytes(100, 100, 2) +
                          bytes(0, 100, 2) + bytes(1, 1, 3) + bytes(40, 40, 5) + bytes(60, 60, 1) +
                          bytes(10, 0, 1) + bytes(20, 5, 2);

TEST(GisExportWindow, FromTheFileMenu) {
    QTemporaryDir dir;
    const struct {
        const char *name;
        const char *crs; // nullptr: not registered
        const char *written;
        const char *crsCode; // as read back; GeoJSON is always in longitude and latitude
    } rows[] = {
        {"sheet.gpkg", "EPSG:6677", "sheet.gpkg", "6677"},
        {"sheet.shp", "EPSG:6677", "sheet_points.shp,sheet_lines.shp,sheet_polygons.shp", "6677"},
        {"sheet.geojson", nullptr, "sheet.geojson", "4326"},
        {"plain", "", "plain.gpkg", ""},
    };
    for (const auto &row : rows) {
        Window w(dir.path());
        w.window.controls().txtScale->setText(QStringLiteral("500"));
        w.window.Command1_Click();
        if (row.crs) {
            registerCorners(w.window, w.port, QString::fromUtf8(row.crs));
            closeBy(w.window, &RegistrationDialog::registerSheet);
        }
        w.port.deliver(kTrace);
        w.window.features().sheet.nameSheet(QStringLiteral("09LD/123"));
        w.dialogs.saveName = dir.filePath(QString::fromUtf8(row.name));
        w.window.features().gisExport.exportGisFile();
        ASSERT_TRUE(w.dialogs.warnings.isEmpty()) << w.dialogs.warnings.join(u'\n').toStdString();
        EXPECT_EQ(w.dialogs.suggestedNames.value(0), QStringLiteral("09LD_123"));
        ASSERT_EQ(w.dialogs.notices.size(), 1) << row.name;
        EXPECT_TRUE(w.dialogs.notices[0].contains(QString::fromUtf8(row.written).section(u',', -1) +
                                                  QStringLiteral(" を書き出しました")))
            << w.dialogs.notices[0].toStdString();
        EXPECT_TRUE(w.dialogs.notices[0].contains(
            QStringLiteral("どの図形にも属さない記録 1 件は出力していません。")))
            << w.dialogs.notices[0].toStdString();
        const ReadBack back = readBack(QDir(dir.path()), QString::fromUtf8(row.written));
        EXPECT_EQ(back.counts,
                  (std::map<std::string, int>{{"Line String", 1}, {"Point", 1}, {"Polygon", 1}}))
            << row.name;
        EXPECT_EQ(back.crsCode, QString::fromUtf8(row.crsCode)) << row.name;
        // 100 x 100 tablet units, twice as large each way on the map (and 0.1 % more in y, from
        // the corner that is off), or 50 m each way at 1:500.
        EXPECT_NEAR(back.area, row.crs ? 200 * 200.2 : 50 * 50, 1e-6) << row.name;
        w.window.Command2_Click();
        w.window.features().job.finish();
    }
}

} // namespace
} // namespace digitrace
