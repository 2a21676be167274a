#include "registration/fit_quality.h"

#include <QCoreApplication>

#include <cmath>

namespace digitrace {

namespace {

constexpr double kGoodMm = 0.10;
constexpr double kAcceptableMm = 0.25;
constexpr double kRejectableMm = 1.0;

} // namespace

FitVerdict verdictForSheetMm(double mm) {
    if (mm <= kGoodMm)
        return FitVerdict::Good;
    if (mm <= kAcceptableMm)
        return FitVerdict::Acceptable;
    if (mm <= kRejectableMm)
        return FitVerdict::Doubtful;
    return FitVerdict::Rejectable;
}

QString verdictText(FitVerdict verdict) {
    switch (verdict) {
    case FitVerdict::Good:
        return QCoreApplication::translate("digitrace::FitQuality", "良好");
    case FitVerdict::Acceptable:
        return QCoreApplication::translate("digitrace::FitQuality", "可");
    case FitVerdict::Doubtful:
        return QCoreApplication::translate("digitrace::FitQuality", "注意: 0.25 mmを超えています");
    case FitVerdict::Rejectable:
        break;
    }
    return QCoreApplication::translate("digitrace::FitQuality",
                                       "不良: 1 mmを超えています。基準点を見直してください");
}

FitQuality assessFit(const std::vector<ControlPoint> &points, TransformKind kind, const Fit &fit,
                     double tabletUnitMm) {
    FitQuality q;
    q.rmsSheetMm = fit.rmsTablet * tabletUnitMm;
    q.verdict = verdictForSheetMm(q.rmsSheetMm);
    const double areaScale = areaScaleAtCentre(fit.transform, points);
    q.mirrored = areaScale < 0;
    q.mapUnitsPerTabletUnit = std::sqrt(std::abs(areaScale));
    bool invertible = false;
    const Transform back = fit.transform.inverted(&invertible);
    std::vector<ControlPoint> others = points;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const ControlPoint &p = points[i];
        const MapPoint t = back.map(p.mapX, p.mapY);
        q.sheetMm.push_back(invertible ? std::hypot(t.x - p.tabletX, t.y - p.tabletY) * tabletUnitMm
                                       : NAN);
        if (!p.used) {
            // The fit already left it out.
            q.leaveOneOut.push_back(fit.residuals[i]);
            continue;
        }
        others[i].used = false;
        const Fit without = fitTransform(others, kind);
        others[i].used = true;
        q.leaveOneOut.push_back(without.ok() ? std::optional<double>(without.residuals[i])
                                             : std::nullopt);
    }
    return q;
}

} // namespace digitrace
