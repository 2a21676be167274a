#pragma once

#include "registration/transform_fit.h"

#include <QString>

#include <optional>
#include <vector>

namespace digitrace {

// How a fit's misfit on the sheet is judged: up to 0.10 mm is accurate digitizing, above 0.25 mm
// it wants looking at, and above 1 mm a calibration is usually rejected.
enum class FitVerdict { Good, Acceptable, Doubtful, Rejectable };
FitVerdict verdictForSheetMm(double mm);
// The verdict in words for the operator ("良好", ...).
QString verdictText(FitVerdict verdict);

// A fit in the sheet's own terms. Misfits are measured back on the sheet (through the inverse
// transform and the tablet unit), so they mean the same whatever the map's unit, scale or CRS.
struct FitQuality {
    double rmsSheetMm = 0;
    FitVerdict verdict = FitVerdict::Good;
    std::vector<double> sheetMm; // per point, used or not
    // Per point, its distance in map units from the fit of the other used points: a mistyped
    // point stands out here, where the ordinary residuals spread its error over all points.
    // None where the others cannot be fitted alone.
    std::vector<std::optional<double>> leaveOneOut;
    // The fit turns the sheet over (its determinant is negative): with the tablet's y up and the
    // map's easting first that is almost always a north and an east column swapped.
    bool mirrored = false;
    // One tablet unit's length on the map, near the used points.
    double mapUnitsPerTabletUnit = 0;
};

// For a fit that succeeded; tabletUnitMm is the sheet length of one tablet unit.
FitQuality assessFit(const std::vector<ControlPoint> &points, TransformKind kind, const Fit &fit,
                     double tabletUnitMm);

} // namespace digitrace
