// Arbitrary bytes as a control-point file: what is read must be finite points that the writer
// gives back exactly, and every fit of them either succeeds with finite figures or says why not.

#include "fuzz/invariant.h"
#include "registration/control_points_file.h"
#include "registration/fit_quality.h"

#include <QStringList>

#include <cmath>
#include <cstdint>

namespace digitrace::fuzz {
namespace {

// Each leave-one-out residual is a fit of its own: enough points for every case, few enough to
// keep the work per input small.
constexpr std::size_t kMostPointsFitted = 24;

bool samePoints(const std::vector<ControlPoint> &a, const std::vector<ControlPoint> &b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const ControlPoint &p = a[i], &q = b[i];
        // By value: -0 may come back as 0, which places a point the same.
        if (p.name != q.name || p.used != q.used || p.tabletX != q.tabletX ||
            p.tabletY != q.tabletY || p.mapX != q.mapX || p.mapY != q.mapY)
            return false;
    }
    return true;
}

bool linesFit(const QByteArray &text) {
    for (const QString &line : QString::fromUtf8(text).split(u'\n'))
        if (line.size() > kLongestControlPointsLine)
            return false;
    return true;
}

void checkFits(const std::vector<ControlPoint> &points) {
    for (const TransformKind kind :
         {TransformKind::Similarity, TransformKind::Affine, TransformKind::Projective}) {
        const Fit fit = fitTransform(points, kind);
        if (!fit.ok())
            continue;
        for (const double v : fit.transform.m)
            require(std::isfinite(v), "a fitted transform is finite");
        require(std::isfinite(fit.rmsMap) && std::isfinite(fit.rmsTablet), "a fit's RMS is finite");
        require(fit.residuals.size() == points.size(), "every point has a residual");
        const FitQuality q = assessFit(points, kind, fit, 1.0);
        require(q.sheetMm.size() == points.size() && q.leaveOneOut.size() == points.size(),
                "every point is judged");
    }
}

} // namespace
} // namespace digitrace::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    using namespace digitrace;
    using namespace digitrace::fuzz;
    const QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));
    const ControlPointsRead read = parseControlPoints(text, QStringLiteral("fuzz.csv"));
    if (!read.ok()) {
        require(read.points.empty(), "a refused file gives no points");
        return 0;
    }
    for (const ControlPoint &p : read.points)
        require(std::isfinite(p.tabletX) && std::isfinite(p.tabletY) && std::isfinite(p.mapX) &&
                    std::isfinite(p.mapY),
                "points read are finite");
    const QByteArray written = formatControlPoints(read.points, read.columns);
    if (linesFit(written)) {
        const ControlPointsRead again = parseControlPoints(written, QStringLiteral("fuzz.csv"));
        if (!again.ok())
            fail("what was read is written so that it reads back", again.error);
        require(again.columns == read.columns, "the map columns' order reads back");
        require(samePoints(again.points, read.points), "the points read back exactly");
    }
    if (read.points.size() <= kMostPointsFitted)
        checkFits(read.points);
    return 0;
}
