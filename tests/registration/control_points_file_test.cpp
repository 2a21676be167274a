#include "registration/control_points_file.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

namespace digitrace {
namespace {

// The file keeps '.' decimals under a comma-decimal locale and survives a round trip exactly.
TEST(ControlPointsFile, RoundTripsUnderAnyLocale) {
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German));
    const std::vector<ControlPoint> points = {{"NW, corner", 12.5, 300.25, 512000.125, 41e5, true},
                                              {"SE \"mark\"", 0.1, -2, 3, 4, false}};
    const QByteArray text = formatControlPoints(points);
    EXPECT_EQ(text, "name,tablet_x,tablet_y,map_x,map_y,used\n"
                    "\"NW, corner\",12.5,300.25,512000.125,4100000,1\n"
                    "\"SE \"\"mark\"\"\",0.1,-2,3,4,0\n");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("points.csv"));
    ASSERT_EQ(saveControlPoints(points, path), QString());
    const ControlPointsRead read = loadControlPoints(path);
    QLocale::setDefault(before);
    ASSERT_TRUE(read.ok()) << read.error.toStdString();
    ASSERT_EQ(read.points.size(), 2u);
    EXPECT_EQ(read.points[0].name, points[0].name);
    EXPECT_EQ(read.points[1].name, points[1].name);
    EXPECT_EQ(read.points[1].tabletX, 0.1);
    EXPECT_EQ(read.points[0].mapY, 41e5);
    EXPECT_FALSE(read.points[1].used);
}

TEST(ControlPointsFile, RefusesWhatItCannotRead) {
    const struct {
        const char *text;
        const char *message;
    } rows[] = {
        {"", "1行目が見出し"},
        {"x,y\n", "1行目が見出し"},
        {"name,tablet_x,tablet_y,map_x,map_y,used\nA,1,2,3,4,1\nB,1,2,3,4\n", "3行目が読めません"},
        {"name,tablet_x,tablet_y,map_x,map_y,used\nA,1,2,3,4,yes\n", "2行目"},
        {"name,tablet_x,tablet_y,map_x,map_y,used\nA,1,2,3,4\xef\xbc\x8c"
         "5,1\n",
         "2行目"},
        {"name,tablet_x,tablet_y,map_x,map_y,used\nA,1,2,3,4,5,1\n", "2行目"},
        {"name,tablet_x,tablet_y,map_x,map_y,used\nA,1,inf,3,4,1\n", "2行目"},
    };
    for (const auto &row : rows) {
        const ControlPointsRead read = parseControlPoints(row.text, QStringLiteral("p.csv"));
        EXPECT_TRUE(read.points.empty());
        EXPECT_TRUE(read.error.contains(QString::fromUtf8(row.message)))
            << row.text << ": " << read.error.toStdString();
    }
    EXPECT_TRUE(loadControlPoints(QStringLiteral("/nonexistent/p.csv"))
                    .error.contains(QStringLiteral("開けません")));
    const QByteArray longLine = "name,tablet_x,tablet_y,map_x,map_y,used\nA,1,2,3,4,1" +
                                QByteArray(kLongestControlPointsLine, ' ') + '\n';
    EXPECT_TRUE(parseControlPoints(longLine, QStringLiteral("p.csv"))
                    .error.contains(QStringLiteral("2行目が長すぎます")));
    const ControlPoint longName{QString(kLongestControlPointsLine, u'"'), 0, 0, 0, 0, true};
    EXPECT_TRUE(saveControlPoints({longName}, QStringLiteral("/nonexistent/p.csv"))
                    .contains(QStringLiteral("文字を超えます")));
}

// Files that are no plain files, or too large for control points, are not read to their end.
TEST(ControlPointsFile, ReadsPlainFilesOfBoundedSize) {
    QTemporaryDir dir;
    const QString large = dir.filePath(QStringLiteral("large.csv"));
    QFile file(large);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(formatControlPoints({}));
    file.write(QByteArray(kLargestControlPointsFile, '\n'));
    file.close();
    const struct {
        QString path;
        const char *message;
    } rows[] = {{QStringLiteral("/dev/zero"), "通常のファイルではありません"},
                {dir.path(), "通常のファイルではありません"},
                {large, "大きすぎます"}};
    for (const auto &row : rows)
        EXPECT_TRUE(loadControlPoints(row.path).error.contains(QString::fromUtf8(row.message)))
            << row.path.toStdString();
}

// The header says which map column comes first; the points hold easting first.
TEST(ControlPointsFile, MapColumnsInTheHeadersOrder) {
    const struct {
        const char *header;
        MapColumns columns;
        double mapX;
    } rows[] = {
        {"name,tablet_x,tablet_y,map_x,map_y,used", MapColumns::XY, 3},
        {"\xef\xbb\xbfname,tablet_x,tablet_y,map_x,map_y,used\r", MapColumns::XY, 3},
        {"name,tablet_x,tablet_y,map_east,map_north,used", MapColumns::EastNorth, 3},
        {"name,tablet_x,tablet_y,map_north,map_east,used", MapColumns::NorthEast, 4},
    };
    for (const auto &row : rows) {
        const ControlPointsRead read =
            parseControlPoints(QByteArray(row.header) + "\nA,1,2,3,4,1\n", QString());
        ASSERT_TRUE(read.ok()) << row.header << read.error.toStdString();
        EXPECT_EQ(read.columns, row.columns) << row.header;
        EXPECT_EQ(read.points.at(0).mapX, row.mapX) << row.header;
        EXPECT_EQ(read.points.at(0).mapX + read.points.at(0).mapY, 7) << row.header;
        const ControlPointsRead again =
            parseControlPoints(formatControlPoints(read.points, read.columns), QString());
        EXPECT_EQ(again.points.at(0).mapX, row.mapX) << row.header;
    }
}

} // namespace
} // namespace digitrace
