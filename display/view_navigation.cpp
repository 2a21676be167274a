#include "display/view_navigation.h"

#include <algorithm>
#include <cmath>

namespace digitrace {
namespace {

// From a whole sheet on a few pixels to a few pixels per hundredth of a unit.
constexpr double kMinZoom = 1e-6;
constexpr double kMaxZoom = 1e4;

// No zoom yet, or none that maps: the view shows nothing.
bool showsNothing(const View &view) {
    return !(view.zoom > 0) || !std::isfinite(view.zoom);
}

} // namespace

QPointF tabletPoint(const View &view, QPointF at, float halfW, float halfH) {
    // The inverse of areaPoint().
    return {double(view.cx) - (double(halfW) - at.x()) / view.zoom,
            double(view.cy) - (at.y() - double(halfH)) / view.zoom};
}

std::optional<QPointF> cursorTabletPoint(const View &view, QPointF at, float halfW, float halfH) {
    if (showsNothing(view))
        return std::nullopt;
    return tabletPoint(view, at, halfW, halfH);
}

std::optional<QPointF> cursorAreaPoint(const View &view, QPointF tablet, float halfW, float halfH) {
    if (showsNothing(view))
        return std::nullopt;
    return areaPoint(view, tablet, halfW, halfH);
}

View zoomAbout(const View &view, QPointF at, float halfW, float halfH, double factor) {
    if (!(view.zoom > 0) || !(factor > 0))
        return view;
    const QPointF fixed = tabletPoint(view, at, halfW, halfH);
    const double zoom = std::clamp(double(view.zoom) * factor, kMinZoom, kMaxZoom);
    return {float(fixed.x() + (double(halfW) - at.x()) / zoom),
            float(fixed.y() + (at.y() - double(halfH)) / zoom), float(zoom)};
}

View panBy(const View &view, QPointF delta) {
    if (!(view.zoom > 0))
        return view;
    return {float(double(view.cx) - delta.x() / view.zoom),
            float(double(view.cy) + delta.y() / view.zoom), view.zoom};
}

} // namespace digitrace
