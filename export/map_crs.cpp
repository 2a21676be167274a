#include "export/map_crs.h"
#include "export/quiet_gdal.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <cpl_error.h>
#include <ogr_spatialref.h>

#include <algorithm>
#include <cmath>

namespace digitrace {

namespace {

// Longitudes up to 360 are met in data that runs 0..360 across the Pacific.
constexpr double kLargestLongitude = 360;
constexpr double kLargestLatitude = 90;
// A millimetre of a sheet spans far less than this many degrees on any map at a usable scale,
// and never less than this many metres (or feet) on the ground.
constexpr double kLargestDegreesPerMm = 0.1;
constexpr double kSmallestUnitsPerMm = 1e-3;

// The abbreviation WKT2 gives an axis, as in AXIS["northing (X)",north,...].
QString axisAbbreviation(const QString &wkt, const char *direction) {
    const QRegularExpression axis(
        QStringLiteral(R"re(AXIS\["[^"(]*\(([^)"]*)\)",\s*%1\b)re").arg(QLatin1String(direction)),
        QRegularExpression::CaseInsensitiveOption);
    return axis.match(wkt).captured(1);
}

std::array<QString, 2> titlesOf(const MapCrs &crs) {
    std::array<QString, 2> eastNorth;
    if (crs.geographic) {
        eastNorth = {QCoreApplication::translate("digitrace::MapCrs", "経度"),
                     QCoreApplication::translate("digitrace::MapCrs", "緯度")};
    } else {
        // Plane rectangular systems call northing X and easting Y; the letter tells the operator
        // which of the two he types first.
        const QString n = axisAbbreviation(crs.wkt, "north");
        const QString e = axisAbbreviation(crs.wkt, "east");
        eastNorth[0] = e == u"Y" ? QCoreApplication::translate("digitrace::MapCrs", "Y (東)")
                                 : QCoreApplication::translate("digitrace::MapCrs", "東距");
        eastNorth[1] = n == u"X" ? QCoreApplication::translate("digitrace::MapCrs", "X (北)")
                                 : QCoreApplication::translate("digitrace::MapCrs", "北距");
    }
    if (crs.order == AxisOrder::NorthEast)
        std::swap(eastNorth[0], eastNorth[1]);
    return eastNorth;
}

// Map units per millimetre of the sheet near the used points' centre.
double unitsPerSheetMm(const std::vector<ControlPoint> &points, const Fit &fit,
                       double tabletUnitMm) {
    if (!(tabletUnitMm > 0))
        return 0;
    return std::sqrt(std::abs(areaScaleAtCentre(fit.transform, points))) / tabletUnitMm;
}

} // namespace

MapCrs readMapCrs(const QString &text) {
    MapCrs crs;
    if (text.trimmed().isEmpty()) {
        crs.axisTitles = {QCoreApplication::translate("digitrace::MapCrs", "地図X"),
                          QCoreApplication::translate("digitrace::MapCrs", "地図Y")};
        return crs;
    }
    const QuietGdal quiet;
    OGRSpatialReference srs;
    static const QRegularExpression epsg(QStringLiteral("^\\s*EPSG:(\\d{1,9})\\s*$"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch code = epsg.match(text);
    const OGRErr read = code.hasMatch() ? srs.importFromEPSG(code.captured(1).toInt())
                                        : srs.importFromWkt(text.trimmed().toUtf8().constData());
    if (read != OGRERR_NONE || srs.Validate() != OGRERR_NONE) {
        crs.error = QCoreApplication::translate(
                        "digitrace::MapCrs",
                        "座標系 \"%1\" を解釈できません。EPSG:番号 か WKT で指定してください"
                        " (%2)")
                        .arg(text.left(80), QString::fromUtf8(CPLGetLastErrorMsg()));
        return crs;
    }
    crs.name = QString::fromUtf8(srs.GetName() ? srs.GetName() : "");
    OGRAxisOrientation first = OAO_Other, second = OAO_Other;
    srs.GetAxis(nullptr, 0, &first);
    srs.GetAxis(nullptr, 1, &second);
    const bool horizontal =
        (srs.IsProjected() || srs.IsGeographic()) && !srs.IsCompound() && srs.GetAxesCount() == 2 &&
        ((first == OAO_East && second == OAO_North) || (first == OAO_North && second == OAO_East));
    if (!horizontal) {
        crs.error =
            QCoreApplication::translate(
                "digitrace::MapCrs", "座標系 \"%1\" (%2) は地図の水平座標系ではありません。"
                                     "2次元の投影座標系か地理座標系（緯度経度）を指定してください")
                .arg(text.left(80), crs.name);
        return crs;
    }
    char *wkt = nullptr;
    const char *const wktOptions[] = {"FORMAT=WKT2_2019", nullptr};
    srs.exportToWkt(&wkt, wktOptions);
    crs.wkt = QString::fromUtf8(wkt);
    CPLFree(wkt);
    crs.geographic = srs.IsGeographic();
    crs.order = first == OAO_North ? AxisOrder::NorthEast : AxisOrder::EastNorth;
    crs.axisTitles = titlesOf(crs);
    return crs;
}

CrsFitCheck checkCrsAgainstPoints(const MapCrs &crs, const std::vector<ControlPoint> &points,
                                  const Fit &fit, double tabletUnitMm) {
    CrsFitCheck check;
    if (crs.wkt.isEmpty() || !crs.ok())
        return check;
    if (crs.geographic)
        for (const ControlPoint &p : points)
            if (p.used &&
                !(std::abs(p.mapX) <= kLargestLongitude && std::abs(p.mapY) <= kLargestLatitude)) {
                check.error = QCoreApplication::translate(
                                  "digitrace::MapCrs",
                                  "座標系 %1 は緯度経度（度）ですが、基準点 %2 の地図座標は度の"
                                  "範囲を超えています。メートルなどの座標なら投影座標系を"
                                  "指定してください")
                                  .arg(crs.name, p.name);
                return check;
            }
    if (!fit.ok())
        return check;
    const double perMm = unitsPerSheetMm(points, fit, tabletUnitMm);
    if (crs.geographic && perMm > kLargestDegreesPerMm)
        check.warning =
            QCoreApplication::translate("digitrace::MapCrs",
                                        "注意: 用紙の1 mmが %1 度に当たります。地図座標が度でなく"
                                        "メートルなどなら、投影座標系を指定してください")
                .arg(perMm, 0, 'g', 3);
    else if (!crs.geographic && perMm > 0 && perMm < kSmallestUnitsPerMm)
        check.warning = QCoreApplication::translate(
                            "digitrace::MapCrs",
                            "注意: 用紙の1 mmが地図上で %1 単位にしかなりません。地図座標が"
                            "度なら、地理座標系を指定してください")
                            .arg(perMm, 0, 'g', 3);
    return check;
}

} // namespace digitrace
