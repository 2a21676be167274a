#pragma once

#include "acquisition/record_rate.h"
#include "app/window/status_line.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointF>

#include <functional>
#include <optional>

class QMainWindow;
class QTimer;

namespace digitrace {

class DrawingArea;
class TracingSession;
class StatusLine;
class ViewState;

// The status line: the connection and its port, the records per second while connected, whether
// the job is saved and to which file, and where the mouse or the tablet's cursor is over the
// drawing area.
class StatusFeature : public QObject {
    Q_OBJECT
public:
    // `portSummary` names the port and line in use; `mapPosition` gives map coordinates of a
    // tablet position once the sheet is registered.
    StatusFeature(QMainWindow &window, TracingSession &session, DrawingArea &area,
                  const ViewState &view, std::function<QString()> portSummary,
                  std::function<std::optional<MapReading>(QPointF)> mapPosition);

    StatusLine &line() { return *line_; }
    // The records arriving, timed by clock(): the record monitor reads them too.
    const RecordRate &rate() const { return rate_; }
    const QElapsedTimer &clock() const { return clock_; }
    // Shows the connection and the port again, after the port settings changed.
    void refreshConnection();
    // Shows the job's saved state and file again, after the job changed.
    void refreshSaved();
    // Shows where a cursor is, in tablet counts; nothing once it has gone.
    void showTabletCursor(std::optional<QPointF> tablet, CursorSource source = CursorSource::Mouse);

private:
    void showCursorAt(std::optional<QPointF> at);

    TracingSession &session_;
    const ViewState &view_;
    std::function<QString()> portSummary_;
    std::function<std::optional<MapReading>(QPointF)> mapPosition_;
    StatusLine *line_;
    RecordRate rate_;
    QElapsedTimer clock_;
    QTimer *rateTimer_;
};

} // namespace digitrace
