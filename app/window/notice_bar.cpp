#include "app/window/notice_bar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QToolButton>

namespace digitrace {

NoticeBar::NoticeBar(QWidget *parent)
    : QWidget(parent), text_(new QLabel(this)), close_(new QToolButton(this)) {
    setObjectName(QStringLiteral("noticeBar"));
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, palette().color(QPalette::ToolTipBase));
    colours.setColor(QPalette::WindowText, palette().color(QPalette::ToolTipText));
    setPalette(colours);
    text_->setTextFormat(Qt::PlainText);
    // However long the notice, the bar takes the window's width and no more.
    text_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    close_->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    close_->setAutoRaise(true);
    close_->setToolTip(tr("この通知を閉じる"));
    close_->setAccessibleName(tr("この通知を閉じる"));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(6, 1, 2, 1);
    row->addWidget(text_, 1);
    row->addWidget(close_);
    connect(close_, &QToolButton::clicked, this, &NoticeBar::closeNewest);
}

void NoticeBar::add(const QString &text) {
    const bool wasEmpty = notices_.isEmpty();
    notices_.removeAll(text);
    notices_.prepend(text);
    showNewest();
    if (wasEmpty)
        emit presenceChanged(true);
}

void NoticeBar::closeNewest() {
    if (notices_.isEmpty())
        return;
    notices_.removeFirst();
    showNewest();
    if (notices_.isEmpty())
        emit presenceChanged(false);
}

QString NoticeBar::line() const {
    if (notices_.isEmpty())
        return {};
    QString line = notices_.constFirst().simplified();
    if (notices_.size() > 1)
        line += QStringLiteral("  ") + tr("（ほかに %1 件）").arg(notices_.size() - 1);
    return line;
}

void NoticeBar::showNewest() {
    const QString whole = line();
    text_->setText(
        text_->fontMetrics().elidedText(whole, Qt::ElideRight, std::max(text_->width(), 1)));
    // The whole notice, lines and all, for the cursor and for screen readers.
    const QString full = notices_.value(0);
    text_->setToolTip(full);
    text_->setAccessibleName(full);
}

void NoticeBar::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    showNewest();
}

} // namespace digitrace
