#include "display/window/status_line.h"

#include <QLabel>
#include <QLocale>
#include <QStatusBar>

namespace digitrace {
namespace {

QLabel *part(QStatusBar *bar, bool permanent) {
    auto *label = new QLabel(bar);
    label->setTextFormat(Qt::PlainText);
    if (permanent)
        bar->addPermanentWidget(label);
    else
        bar->addWidget(label);
    return label;
}

QString coordinates(QPointF p, int decimals) {
    const QLocale locale;
    return QStringLiteral("X %1  Y %2")
        .arg(locale.toString(p.x(), 'f', decimals), locale.toString(p.y(), 'f', decimals));
}

} // namespace

StatusLine::StatusLine(QStatusBar *bar)
    : QObject(bar), connection_(part(bar, false)), rate_(part(bar, false)),
      saved_(part(bar, false)), cursor_(part(bar, true)) {
    bar->setSizeGripEnabled(true);
    // Wide enough for any figure, so that the parts after it do not move as it changes.
    rate_->setMinimumWidth(rate_->fontMetrics().horizontalAdvance(
        tr("%1 件/秒").arg(QLocale().toString(9999.9, 'f', 1))));
    rate_->hide();
    showConnection(false, {});
    showSaved(false);
    showCursor(std::nullopt);
}

void StatusLine::showConnection(bool connected, const QString &portSummary) {
    const QString state = connected ? tr("接続中") : tr("未接続");
    connection_->setText(portSummary.isEmpty() ? state
                                               : state + QStringLiteral("  ") + portSummary);
}

void StatusLine::showRate(std::optional<double> perSecond) {
    rate_->setVisible(perSecond.has_value());
    if (perSecond)
        rate_->setText(tr("%1 件/秒").arg(QLocale().toString(*perSecond, 'f', 1)));
}

void StatusLine::showSaved(bool unsaved) {
    saved_->setText(unsaved ? tr("未保存の記録あり") : tr("保存済み"));
}

void StatusLine::showCursor(std::optional<QPointF> tablet, std::optional<QPointF> map) {
    if (!tablet) {
        cursor_->clear();
        return;
    }
    QString text = tr("タブレット %1").arg(coordinates(*tablet, 1));
    if (map)
        text += QStringLiteral("   ") + tr("地図 %1").arg(coordinates(*map, 2));
    cursor_->setText(text);
}

QString StatusLine::text() const {
    QStringList parts;
    for (const QLabel *label : {connection_, rate_, saved_, cursor_})
        if (!label->isHidden() && !label->text().isEmpty())
            parts << label->text();
    return parts.join(QStringLiteral(" | "));
}

} // namespace digitrace
