#include "app/window/notice_bar.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QToolButton>

#include <algorithm>

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
    // However long the notice, the bar takes the window's width and no more: a longer one takes
    // more lines.
    text_->setWordWrap(true);
    text_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
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

bool NoticeBar::replace(const QString &old, const QString &text) {
    const qsizetype at = notices_.indexOf(old);
    if (at < 0)
        return false;
    notices_[at] = text;
    // Never twice in the list, as add() keeps it.
    notices_.removeDuplicates();
    showNewest();
    return true;
}

void NoticeBar::remove(const QString &text) {
    if (notices_.removeAll(text) == 0)
        return;
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

int NoticeBar::textWidth() const {
    if (text_->isVisible())
        return std::max(text_->width(), 1);
    // Not laid out yet: the width the bar will get across its window, so that the height it
    // asks for when it appears is already the one it keeps.
    const QMargins margins = layout()->contentsMargins();
    return std::max(window()->width() - margins.left() - margins.right() -
                        std::max(layout()->spacing(), 0) - close_->sizeHint().width(),
                    1);
}

void NoticeBar::showNewest() {
    const QString whole = line();
    const QFontMetrics metrics = text_->fontMetrics();
    const int width = textWidth();
    const int height =
        metrics.boundingRect(QRect(0, 0, width, QWIDGETSIZE_MAX), Qt::TextWordWrap, whole).height();
    // Past a few lines the notice would push the form too far: the end is cut, and the whole
    // stays in the tooltip.
    const int most = kMostLines * metrics.lineSpacing();
    text_->setText(height <= most ? whole
                                  : metrics.elidedText(whole, Qt::ElideRight, width * kMostLines));
    text_->setFixedHeight(std::clamp(height, metrics.lineSpacing(), most));
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
