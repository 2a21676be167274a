#include "app/window/status_feature.h"

#include "app/window/port_feature.h"
#include "app/window/sheet_registration.h"
#include "app/window/status_line.h"
#include "display/view_state.h"
#include "display/widget/drawing_area.h"
#include "job/job_journal.h"
#include "tracing/tracing_session.h"

#include <QEvent>
#include <QMainWindow>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTimer>

#include <utility>

namespace digitrace {
namespace {

// The figure of records per second follows the line at this pace, not at each record.
constexpr int kRateRefreshMs = 1000;

// Tells where the mouse is over a widget, and when it leaves.
class CursorWatch : public QObject {
public:
    CursorWatch(QWidget *watched, std::function<void(std::optional<QPointF>)> moved)
        : QObject(watched), moved_(std::move(moved)) {
        watched->setMouseTracking(true);
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::MouseMove)
            moved_(static_cast<QMouseEvent *>(event)->position());
        else if (event->type() == QEvent::Leave)
            moved_(std::nullopt);
        return false;
    }

private:
    std::function<void(std::optional<QPointF>)> moved_;
};

} // namespace

StatusFeature::StatusFeature(QMainWindow &window, TracingSession &session, DrawingArea &area,
                             const ViewState &view, const SheetRegistration &sheet)
    : QObject(&window), session_(session), view_(view), sheet_(sheet),
      line_(new StatusLine(window.statusBar())), rateTimer_(new QTimer(this)) {
    rateTimer_->setObjectName(QStringLiteral("rateTimer"));
    rateTimer_->setInterval(kRateRefreshMs);
    clock_.start();
    connect(rateTimer_, &QTimer::timeout, this,
            [this] { line_->showRate(rate_.perSecond(clock_.elapsed())); });
    connect(&session_, &TracingSession::recordArriving, this,
            [this] { rate_.note(clock_.elapsed()); });
    connect(&session_, &TracingSession::connected, this, [this] {
        rate_.reset();
        rateTimer_->start();
        line_->showRate(0.0);
        refreshConnection();
    });
    connect(&session_, &TracingSession::connectionEnded, this, [this] {
        rateTimer_->stop();
        line_->showRate(std::nullopt);
        refreshConnection();
    });
    new CursorWatch(&area, [this](std::optional<QPointF> at) { showCursorAt(at); });
}

void StatusFeature::showPortOf(const PortFeature &port) {
    port_ = &port;
    refreshConnection();
}

void StatusFeature::refreshConnection() {
    line_->showConnection(session_.isConnected(), port_->portSummary());
}

void StatusFeature::refreshSaved() {
    line_->showSaved(session_.journal().unsaved(), session_.job().save.clearedUnsaved());
    line_->showJobFile(session_.job().jobFileName);
    line_->showSheet(session_.job().sheetName);
}

void StatusFeature::showCursorAt(std::optional<QPointF> at) {
    showTabletCursor(at ? view_.cursorTabletPoint(*at) : std::nullopt);
}

void StatusFeature::showTabletCursor(std::optional<QPointF> tablet, CursorSource source) {
    // Map coordinates once the job's sheet is registered.
    const std::optional<MapReading> map = tablet ? sheet_.mapReading(*tablet) : std::nullopt;
    line_->showCursor(tablet, map, source);
}

} // namespace digitrace
