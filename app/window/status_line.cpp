#include "app/window/status_line.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLayout>
#include <QLocale>
#include <QStatusBar>

namespace digitrace {
namespace {

// Long enough to be read after looking up from the tablet; the notice bar keeps it longer.
constexpr int kNoticeMs = 15'000;

QLabel *part(QStatusBar *bar, bool permanent) {
    auto *label = new QLabel(bar);
    label->setTextFormat(Qt::PlainText);
    if (permanent)
        bar->addPermanentWidget(label);
    else
        bar->addWidget(label);
    return label;
}

// Sets a part's text and makes room for it now, so that a picture taken before the next turn of
// the event loop shows it whole.
void setPartText(QLabel *label, const QString &text) {
    label->setText(text);
    if (label->isVisible() && label->sizeHint().width() > label->width())
        if (QLayout *layout = label->parentWidget()->layout())
            layout->activate();
}

QString coordinates(QPointF p, int decimals) {
    const QLocale locale;
    return QStringLiteral("X %1  Y %2")
        .arg(locale.toString(p.x(), 'f', decimals), locale.toString(p.y(), 'f', decimals));
}

} // namespace

StatusLine::StatusLine(QStatusBar *bar)
    : QObject(bar), notice_(part(bar, false)), connection_(part(bar, false)),
      rate_(part(bar, false)), jobFile_(part(bar, false)), sheet_(part(bar, false)),
      saved_(part(bar, false)), cursor_(part(bar, true)) {
    bar->setSizeGripEnabled(true);
    // Wide enough for any figure, so that the parts after it do not move as it changes.
    rate_->setMinimumWidth(rate_->fontMetrics().horizontalAdvance(
        tr("%1 件/秒").arg(QLocale().toString(9999.9, 'f', 1))));
    rate_->hide();
    notice_->hide();
    noticeTime_.setSingleShot(true);
    noticeTime_.setInterval(kNoticeMs);
    connect(&noticeTime_, &QTimer::timeout, notice_, &QLabel::hide);
    showConnection(false, {});
    showSaved(false);
    showJobFile({});
    showSheet({});
    showCursor(std::nullopt);
}

void StatusLine::showConnection(bool connected, const QString &portSummary) {
    const QString state = connected ? tr("接続中") : tr("未接続");
    setPartText(connection_,
                portSummary.isEmpty() ? state : state + QStringLiteral("  ") + portSummary);
}

void StatusLine::showRate(std::optional<double> perSecond) {
    if (rate_->isHidden() == perSecond.has_value()) {
        rate_->setVisible(perSecond.has_value());
        // The parts after it move at once.
        if (QLayout *layout = rate_->parentWidget()->layout())
            layout->activate();
    }
    if (perSecond)
        setPartText(rate_, tr("%1 件/秒").arg(QLocale().toString(*perSecond, 'f', 1)));
}

void StatusLine::showSaved(bool unsaved, bool clearedUnsaved) {
    setPartText(saved_, unsaved          ? tr("未保存の記録あり")
                        : clearedUnsaved ? tr("クリアした記録は未保存（取り消せます）")
                                         : tr("保存済み"));
}

void StatusLine::showJobFile(const QString &path) {
    jobFile_->setVisible(!path.isEmpty());
    jobFile_->setToolTip(QDir::toNativeSeparators(path));
    setPartText(jobFile_,
                path.isEmpty() ? QString() : tr("ジョブ %1").arg(QFileInfo(path).fileName()));
}

void StatusLine::showSheet(const QString &name) {
    sheet_->setVisible(!name.isEmpty());
    setPartText(sheet_, name.isEmpty() ? QString() : tr("シート %1").arg(name));
}

void StatusLine::showCursor(std::optional<QPointF> tablet, std::optional<MapReading> map,
                            CursorSource source) {
    if (!tablet) {
        cursor_->clear();
        return;
    }
    QString text = tr("タブレット %1").arg(coordinates(*tablet, 1));
    if (map)
        text +=
            QStringLiteral("   ") +
            tr("地図 %1").arg(QStringLiteral("%1 %2  %3 %4")
                                  .arg(map->titles[0], QLocale().toString(map->values[0], 'f', 2),
                                       map->titles[1], QLocale().toString(map->values[1], 'f', 2)));
    setPartText(cursor_, (source == CursorSource::Mouse ? tr("マウス") : tr("カーソル")) +
                             QStringLiteral(": ") + text);
}

void StatusLine::showNotice(const QString &text) {
    notice_->show();
    setPartText(notice_, text.section(u'\n', 0, 0));
    noticeTime_.start();
}

QString StatusLine::text() const {
    QStringList parts;
    for (const QLabel *label : {notice_, connection_, rate_, jobFile_, sheet_, saved_, cursor_})
        if (!label->isHidden() && !label->text().isEmpty())
            parts << label->text();
    return parts.join(QStringLiteral(" | "));
}

} // namespace digitrace
