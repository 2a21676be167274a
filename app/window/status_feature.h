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
class PortFeature;
class SheetRegistration;
class TracingSession;
class StatusLine;
class ViewState;

// The status line: the connection and its port, the records per second while connected, whether
// the job is saved and to which file, and where the mouse or the tablet's cursor is over the
// drawing area.
class StatusFeature : public QObject {
    Q_OBJECT
public:
    // `sheet` gives map coordinates of a tablet position once the sheet is registered.
    StatusFeature(QMainWindow &window, TracingSession &session, DrawingArea &area,
                  const ViewState &view, const SheetRegistration &sheet);
    // The port and line in use are named as `port` has them; the port's panel reads this
    // feature's record rate, so the two meet once both exist.
    void showPortOf(const PortFeature &port);

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
    const SheetRegistration &sheet_;
    const PortFeature *port_ = nullptr; // from showPortOf()
    StatusLine *line_;
    RecordRate rate_;
    QElapsedTimer clock_;
    QTimer *rateTimer_;
};

} // namespace digitrace
