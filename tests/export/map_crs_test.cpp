#include "export/map_crs.h"

#include <gtest/gtest.h>

namespace digitrace {
namespace {

TEST(MapCrs, AxesFollowTheCrs) {
    const struct {
        const char *text;
        AxisOrder order;
        const char *first;
        const char *second;
    } rows[] = {
        {"EPSG:6677", AxisOrder::NorthEast, "X (北)", "Y (東)"},
        {"EPSG:32654", AxisOrder::EastNorth, "東距", "北距"},
        {"EPSG:4326", AxisOrder::NorthEast, "緯度", "経度"},
        {"", AxisOrder::EastNorth, "地図X", "地図Y"},
    };
    for (const auto &row : rows) {
        const MapCrs crs = readMapCrs(QString::fromUtf8(row.text));
        ASSERT_TRUE(crs.ok()) << row.text << crs.error.toStdString();
        EXPECT_EQ(crs.order, row.order) << row.text;
        EXPECT_EQ(crs.axisTitles[0], QString::fromUtf8(row.first)) << row.text;
        EXPECT_EQ(crs.axisTitles[1], QString::fromUtf8(row.second)) << row.text;
    }
}

TEST(MapCrs, RefusesWhatNoSheetLiesIn) {
    for (const char *text : {"EPSG:5714", "EPSG:4979", "EPSG:6697", "EPSG:4978",
                             "LOCAL_CS[\"a\",UNIT[\"m\",1]]", "EPSG:999999"})
        EXPECT_FALSE(readMapCrs(QString::fromUtf8(text)).ok()) << text;
}

// A 400 x 300 mm sheet (tablet in mm) whose corners are typed as given.
TEST(MapCrs, CoordinatesOfTheWrongKind) {
    const auto corners = [](double x0, double y0, double w, double h) {
        return std::vector<ControlPoint>{{"A", 0, 0, x0, y0, true},
                                         {"B", 400, 0, x0 + w, y0, true},
                                         {"C", 400, 300, x0 + w, y0 + h, true}};
    };
    const struct {
        const char *crs;
        std::vector<ControlPoint> points;
        const char *error;
        const char *warning;
    } rows[] = {
        {"EPSG:4326", corners(-12000, 35000, 200, 150), "基準点 A の地図座標は度の範囲", ""},
        {"EPSG:4326", corners(20, 30, 80, 60), "", "1 mmが 0.2 度"},
        {"EPSG:4326", corners(139.7, 35.6, 0.01, 0.0075), "", ""},
        {"EPSG:6677", corners(139.7, 35.6, 0.01, 0.0075), "", "1 mmが地図上で 2.5e-05 単位"},
        {"EPSG:6677", corners(-12000, 35000, 200, 150), "", ""},
    };
    for (const auto &row : rows) {
        const MapCrs crs = readMapCrs(QString::fromUtf8(row.crs));
        const Fit fit = fitTransform(row.points, TransformKind::Affine);
        const CrsFitCheck check = checkCrsAgainstPoints(crs, row.points, fit, 1.0);
        EXPECT_EQ(check.error.isEmpty(), !*row.error) << check.error.toStdString();
        EXPECT_TRUE(check.error.contains(QString::fromUtf8(row.error)));
        EXPECT_EQ(check.warning.isEmpty(), !*row.warning) << check.warning.toStdString();
        EXPECT_TRUE(check.warning.contains(QString::fromUtf8(row.warning)))
            << check.warning.toStdString();
    }
}

} // namespace
} // namespace digitrace
