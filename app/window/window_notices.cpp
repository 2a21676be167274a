#include "app/window/window_notices.h"

#include "app/window/notice_bar.h"
#include "app/window/status_line.h"
#include "app/window/window_placement.h"

#include <QAction>
#include <QCoreApplication>
#include <QLayout>
#include <QMainWindow>
#include <QToolBar>

#include <utility>

namespace digitrace {

WindowNotices::WindowNotices(QMainWindow &window, QWidget &form, WindowPlacement &placement,
                             StatusLine &line)
    : QObject(&window), window_(window), form_(form), placement_(placement), line_(line) {
    // A top toolbar sits between the menu bar and the form: the form moves down by the bar's
    // height and keeps its layout.
    auto *host = new QToolBar(&window);
    host->setObjectName(QStringLiteral("noticeBarHost"));
    host->setMovable(false);
    host->setFloatable(false);
    host->toggleViewAction()->setVisible(false);
    host->setContextMenuPolicy(Qt::PreventContextMenu);
    host->layout()->setContentsMargins(0, 0, 0, 0);
    bar_ = new NoticeBar;
    host->addWidget(bar_);
    window.addToolBar(Qt::TopToolBarArea, host);
    host->hide();
    host_ = host;
    connect(bar_, &NoticeBar::presenceChanged, this, &WindowNotices::showBar);
}

void WindowNotices::showBar(bool any) {
    const int formHeight = form_.height();
    // Grown first, so that the drawing area never shrinks on the way and crops its picture.
    if (any)
        growth_ = placement_.growBy(host_->sizeHint().height());
    host_->setVisible(any);
    // The form moves at once, so that a picture taken now shows it in its place.
    window_.layout()->activate();
    if (any && growth_ > 0 && form_.height() < formHeight) {
        growth_ += placement_.growBy(formHeight - form_.height());
        window_.layout()->activate();
    }
    if (!any && growth_ > 0) {
        window_.resize(window_.width(), window_.height() - std::exchange(growth_, 0));
        window_.layout()->activate();
    }
}

void WindowNotices::show(const QString &text) {
    bar_->add(text);
    line_.showNotice(text);
    emit shown(text);
}

void WindowNotices::recordRefused(RecordOutcome outcome) {
    // Once per job: reception goes on, and a box per record would bury the window.
    bool &told = outcome == RecordOutcome::RefusedFull ? toldTableFull_ : toldOutOfRange_;
    if (told)
        return;
    told = true;
    show(outcome == RecordOutcome::RefusedFull
             ? QCoreApplication::translate(
                   "digitrace::frmTrace1",
                   "記録表がいっぱいです（%1 件）。これ以上の記録は受け付けません。")
                   .arg(kSlotCount)
             : QCoreApplication::translate("digitrace::frmTrace1",
                                           "座標が大きすぎる記録を受け付けませんでした。"));
}

} // namespace digitrace
