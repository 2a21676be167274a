#pragma once

#include <QObject>
#include <QPointF>

#include <optional>

namespace digitrace {

class DrawingArea;
class SnapMarker;
class TracingSession;
class StatusFeature;
class ViewState;

// Where the tablet's cursor is while connected: a cross-hair over the drawing area, at the place
// the picture shows that tablet point, and its tablet and map coordinates in the status line.
// Where a press would snap to, when that is elsewhere, is marked beside it over the area, never
// in the picture. Out of proximity, or once disconnected, both go.
class TabletCursor : public QObject {
    Q_OBJECT
public:
    TabletCursor(TracingSession &session, DrawingArea &area, const ViewState &view,
                 StatusFeature &status, QObject *parent = nullptr);

    // The last position reported in proximity, in tablet counts.
    std::optional<QPointF> position() const { return position_; }
    // Where the marker shows a press would be taken, in tablet counts; none while it would be
    // taken where the cursor is.
    std::optional<QPointF> snapTarget() const { return snapTarget_; }

private:
    void moveTo(qint64 x, qint64 y, bool inProximity);
    void hide();

    const TracingSession &session_;
    DrawingArea &area_;
    const ViewState &view_;
    StatusFeature &status_;
    std::optional<QPointF> position_;
    std::optional<QPointF> snapTarget_;
    SnapMarker *marker_; // a child of the area
};

} // namespace digitrace
