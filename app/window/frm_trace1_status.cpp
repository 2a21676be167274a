// The window's status line.

#include "app/window/drawing_area.h"
#include "app/window/frm_trace1.h"
#include "app/window/job_files.h"
#include "app/window/notice_bar.h"
#include "app/window/sheet_registration.h"
#include "app/window/status_line.h"

#include <QAction>
#include <QEvent>
#include <QLayout>
#include <QMouseEvent>
#include <QStatusBar>
#include <QToolBar>

#include <functional>
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

void frmTrace1::refreshConnectionState() {
    statusLine_->showConnection(Connected(), portSummary());
}

void frmTrace1::buildStatusLine() {
    statusLine_ = new StatusLine(statusBar());
    rateTimer_ = new QTimer(this);
    rateTimer_->setObjectName(QStringLiteral("rateTimer"));
    rateTimer_->setInterval(kRateRefreshMs);
    rateClock_.start();
    connect(rateTimer_, &QTimer::timeout, this,
            [this] { statusLine_->showRate(rate_.perSecond(rateClock_.elapsed())); });
    connect(&session_, &Session::recordArriving, this,
            [this] { rate_.note(rateClock_.elapsed()); });
    connect(&session_, &Session::connected, this, [this] {
        rate_.reset();
        rateTimer_->start();
        statusLine_->showRate(0.0);
        refreshConnectionState();
    });
    connect(&session_, &Session::connectionEnded, this, [this] {
        rateTimer_->stop();
        statusLine_->showRate(std::nullopt);
        refreshConnectionState();
    });
    connect(this, &frmTrace1::portChoiceChanged, this, &frmTrace1::refreshConnectionState);
    refreshConnectionState();
    new CursorWatch(ui_.picDigit, [this](std::optional<QPointF> at) { showCursorAt(at); });
}

void frmTrace1::buildNoticeBar() {
    // A top toolbar sits between the menu bar and the form: the form moves down by the bar's
    // height and keeps its layout.
    auto *host = new QToolBar(this);
    host->setObjectName(QStringLiteral("noticeBarHost"));
    host->setMovable(false);
    host->setFloatable(false);
    host->toggleViewAction()->setVisible(false);
    host->setContextMenuPolicy(Qt::PreventContextMenu);
    host->layout()->setContentsMargins(0, 0, 0, 0);
    noticeBar_ = new NoticeBar;
    host->addWidget(noticeBar_);
    addToolBar(Qt::TopToolBarArea, host);
    host->hide();
    connect(noticeBar_, &NoticeBar::presenceChanged, this, [this, host](bool any) {
        const int formHeight = ui_.form->height();
        // Grown first, so that the drawing area never shrinks on the way and crops its picture.
        if (any)
            noticeGrowth_ = growBy(host->sizeHint().height());
        host->setVisible(any);
        // The form moves at once, so that a picture taken now shows it in its place.
        layout()->activate();
        if (any && noticeGrowth_ > 0 && ui_.form->height() < formHeight) {
            noticeGrowth_ += growBy(formHeight - ui_.form->height());
            layout()->activate();
        }
        if (!any && noticeGrowth_ > 0) {
            resize(width(), height() - std::exchange(noticeGrowth_, 0));
            layout()->activate();
        }
    });
}

void frmTrace1::showNotice(const QString &text) {
    noticeBar_->add(text);
    statusLine_->showNotice(text);
    emit noticeShown(text);
}

void frmTrace1::showCursorAt(std::optional<QPointF> at) {
    const TraceStore &s = model_.store();
    const std::optional<QPointF> tablet =
        at ? cursorTabletPoint(renderer_->view(), *at, s.HalfW, s.HalfH) : std::nullopt;
    // Map coordinates once the job's sheet is registered.
    const std::optional<QPointF> map = tablet ? sheet_->mapPosition(*tablet) : std::nullopt;
    statusLine_->showCursor(tablet, map);
}

void frmTrace1::refreshSavedState() {
    if (statusLine_) {
        statusLine_->showSaved(job_.unsaved(), job_.clearedUnsaved());
        statusLine_->showJobFile(job_.jobFileName());
    }
    if (jobFiles_)
        jobFiles_->undoClearAction()->setEnabled(job_.canUndoClear());
}

} // namespace digitrace
