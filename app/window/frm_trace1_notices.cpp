// The window's notices: in the bar above the form and in the status line.

#include "app/window/frm_trace1.h"
#include "app/window/job_files.h"
#include "app/window/notice_bar.h"
#include "app/window/status_feature.h"
#include "app/window/status_line.h"

#include <QAction>
#include <QLayout>
#include <QToolBar>

#include <utility>

namespace digitrace {

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
    status_->line().showNotice(text);
    emit noticeShown(text);
}

void frmTrace1::refreshSavedState() {
    if (status_)
        status_->refreshSaved();
    if (jobFiles_)
        jobFiles_->undoClearAction()->setEnabled(job_.canUndoClear());
}

} // namespace digitrace
