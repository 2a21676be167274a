#include "tools/replay/gis_output.h"

#include "registration/control_points_file.h"
#include "registration/fit_quality.h"
#include "registration/registration.h"

namespace digitrace {

namespace {

// Enough digits to see a sub-millimetre misfit on a national grid.
QString number(double v) {
    return QString::number(v, 'g', 10);
}

} // namespace

QString checkRegistrationOptions(const QString &transform, const QString &crs,
                                 const QString &pointsPath) {
    if (!transformForKeyword(transform))
        return QStringLiteral("--transform は similarity, affine, projective のどれかです"
                              " (\"%1\" ではなく)")
            .arg(transform);
    if (!crs.isEmpty() && pointsPath.isEmpty())
        return QStringLiteral("--crs は基準点 (--points) で登録した地図座標にだけ付けられます");
    return {};
}

PreparedGis prepareGis(const GisRequest &request) {
    PreparedGis prepared;
    prepared.options.format =
        request.format.isEmpty() ? gisFormatForPath(request.path) : request.format;
    if (!gisFormats().contains(prepared.options.format)) {
        prepared.error =
            request.format.isEmpty()
                ? QStringLiteral("GIS出力の形式を %1 の拡張子から決められません。--format で %2 "
                                 "のどれかを指定してください")
                      .arg(request.path, gisFormats().join(QStringLiteral(", ")))
                : QStringLiteral("GIS出力の形式 %1 は扱えません (%2)")
                      .arg(request.format, gisFormats().join(QStringLiteral(", ")));
        return prepared;
    }
    prepared.error = checkRegistrationOptions(request.transform, request.crs, request.pointsPath);
    if (!prepared.error.isEmpty())
        return prepared;
    const std::optional<TransformKind> kind = transformForKeyword(request.transform);
    const MapCrs crs = readMapCrs(request.crs);
    if (!crs.ok()) {
        prepared.error = crs.error;
        return prepared;
    }
    prepared.options.crsWkt = crs.wkt;
    if (request.pointsPath.isEmpty())
        return prepared;
    const ControlPointsRead points = loadControlPoints(request.pointsPath);
    if (!points.ok()) {
        prepared.error = points.error;
        return prepared;
    }
    const Fit fit = fitTransform(points.points, *kind);
    if (!fit.ok()) {
        prepared.error = fit.error;
        return prepared;
    }
    const CrsFitCheck fits = checkCrsAgainstPoints(crs, points.points, fit, request.tabletUnitMm);
    if (!fits.error.isEmpty()) {
        prepared.error = fits.error;
        return prepared;
    }
    if (!fits.warning.isEmpty())
        prepared.warnings << fits.warning;
    // The window asks before registering such a fit; here nobody can be asked.
    const FitQuality quality = assessFit(points.points, *kind, fit, request.tabletUnitMm);
    if (quality.verdict == FitVerdict::Rejectable)
        prepared.warnings << QStringLiteral("基準点の誤差が用紙上で %1 mmあり、1 mmを超えています")
                                 .arg(quality.rmsSheetMm, 0, 'f', 2);
    if (points.columns == MapColumns::XY && crs.order == AxisOrder::NorthEast)
        prepared.warnings << QStringLiteral("%1 の map_x, map_y は東、北の順として読みました。%2 "
                                            "の軸は北、東の順です。北が先のファイルなら見出しを "
                                            "map_north,map_east にしてください")
                                 .arg(request.pointsPath, crs.name);
    prepared.points = points.points;
    prepared.fit = fit;
    prepared.options.placement.transform = fit.transform;
    return prepared;
}

QString fitReport(const PreparedGis &prepared, const QString &transform, double tabletUnitMm) {
    if (!prepared.fit)
        return {};
    const Fit &fit = *prepared.fit;
    const TransformKind kind = transformForKeyword(transform).value_or(TransformKind::Affine);
    const FitQuality quality = assessFit(prepared.points, kind, fit, tabletUnitMm);
    QString text =
        QStringLiteral("transform\t%1\nrms_map\t%2\nrms_tablet\t%3\nrms_sheet_mm\t%4\n")
            .arg(transform, number(fit.rmsMap), number(fit.rmsTablet), number(quality.rmsSheetMm));
    for (std::size_t i = 0; i < fit.residuals.size(); ++i) {
        const std::optional<double> &left = quality.leaveOneOut[i];
        text += QStringLiteral("residual\t%1\t%2\t%3\t%4%5\n")
                    .arg(prepared.points[i].name, number(fit.residuals[i]),
                         number(quality.sheetMm[i]), left ? number(*left) : QStringLiteral("-"),
                         prepared.points[i].used ? QString() : QStringLiteral("\toff"));
    }
    return text;
}

} // namespace digitrace
