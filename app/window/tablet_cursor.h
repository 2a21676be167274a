#pragma once

#include <QObject>
#include <QPointF>

#include <optional>

namespace digitrace {

class DrawingArea;
class TracingSession;
class StatusFeature;
class ViewState;

// Where the tablet's cursor is while connected: a cross-hair over the drawing area, at the place
// the picture shows that tablet point, and its tablet and map coordinates in the status line.
// Out of proximity, or once disconnected, it goes.
class TabletCursor : public QObject {
    Q_OBJECT
public:
    TabletCursor(TracingSession &session, DrawingArea &area, const ViewState &view,
                 StatusFeature &status, QObject *parent = nullptr);

    // The last position reported in proximity, in tablet counts.
    std::optional<QPointF> position() const { return position_; }

private:
    void moveTo(qint64 x, qint64 y, bool inProximity);
    void hide();

    const TracingSession &session_;
    DrawingArea &area_;
    const ViewState &view_;
    StatusFeature &status_;
    std::optional<QPointF> position_;
};

} // namespace digitrace
