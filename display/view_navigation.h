#pragma once

#include <QPointF>

#include <optional>

namespace digitrace {

// What the drawing area shows: the tablet point at its centre and the drawing-area units per
// tablet unit, as the record intake's automatic fit or the operator's zoom and pan set it.
struct View {
    float cx = 0, cy = 0, zoom = 0;
    friend bool operator==(const View &, const View &) = default;
};

// The view zoomed by `factor` about the drawing-area point `at`: the tablet point under it stays
// there. halfW, halfH are half the drawing area's size. A zoom that would leave the range a
// float screen coordinate can take is held at its limit.
View zoomAbout(const View &view, QPointF at, float halfW, float halfH, double factor);

// The view moved so that the picture follows a drag by `delta` drawing-area units.
View panBy(const View &view, QPointF delta);

// The tablet point under the drawing-area point `at`.
QPointF tabletPoint(const View &view, QPointF at, float halfW, float halfH);

// The same for a cursor: nothing while the view shows nothing (no zoom yet).
std::optional<QPointF> cursorTabletPoint(const View &view, QPointF at, float halfW, float halfH);

// Where the tablet point `tablet` is drawn: the renderer's transform, in double.
inline QPointF areaPoint(const View &view, QPointF tablet, float halfW, float halfH) {
    return {double(halfW) - (double(view.cx) - tablet.x()) * view.zoom,
            (double(view.cy) - tablet.y()) * view.zoom + double(halfH)};
}

// The same for a cursor: nothing while the view shows nothing (no zoom yet).
std::optional<QPointF> cursorAreaPoint(const View &view, QPointF tablet, float halfW, float halfH);

} // namespace digitrace
