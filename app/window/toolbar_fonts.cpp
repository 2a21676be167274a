#include "app/window/toolbar_fonts.h"

#include "app/window/frm_trace1.h"
#include "app/window/twips.h"
#include "model/trace_store.h"

#include <QFontMetricsF>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QStyle>

#include <algorithm>
#include <cmath>

namespace digitrace {
namespace {

// Room a push button's frame and a value label's border leave around the text.
constexpr int kButtonMargin = 3;
constexpr int kValueMargin = 2;
constexpr qreal kStep = 0.5;

void setPoints(QWidget *w, qreal points) {
    QFont f = w->font();
    f.setPointSizeF(points);
    w->setFont(f);
}

// Moves every control of the strip that lies right of `w` by `extra` pixels, when positive.
void makeRoom(QWidget *w, int extra) {
    if (extra <= 0)
        return;
    for (QWidget *other : w->parentWidget()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        if (other->x() > w->x())
            other->move(other->x() + extra, other->y());
}

} // namespace

int buttonTextPadding(const QPushButton *b) {
    const QStyle *style = b->style();
    return std::max(2 * kButtonMargin,
                    style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, b) +
                        2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, b));
}

bool textFits(const QFont &font, const QString &text, QSize box, int margin) {
    const QFontMetricsF metrics(font);
    const QRectF ink = metrics.tightBoundingRect(text);
    // Across, the text keeps clear of the frame by `margin`; up and down its ink stays inside the
    // one-pixel frame: the designed heights leave no more.
    return metrics.horizontalAdvance(text) <= box.width() - 2 * margin &&
           ink.height() <= box.height() - 2;
}

qreal fittingPointSize(QFont font, const QStringList &texts, QSize box, int margin) {
    for (qreal points = kReadablePoints; points > kSmallestPoints; points -= kStep) {
        font.setPointSizeF(points);
        if (std::all_of(texts.begin(), texts.end(),
                        [&](const QString &t) { return textFits(font, t, box, margin); }))
            return points;
    }
    return kSmallestPoints;
}

QStringList widestCounts() {
    // Counts are shown without grouping.
    return {QString::number(kSlotCount)};
}

QStringList widestLengths() {
    const QString n = QLocale().toString(99999999.99, 'f', 2);
    return {n + QStringLiteral(" \uFF4D"), n + QStringLiteral(" km"), n + QStringLiteral(" mm")};
}

QStringList widestAreas() {
    const QString n = QLocale().toString(99999999.9999, 'f', 4);
    return {n + QStringLiteral(" \uFF4D2"), n + QStringLiteral(" km2"), n + QStringLiteral(" mm2")};
}

void fitToolbarFonts(const TraceControls &ui, qreal dpi) {
    for (QPushButton *b : {ui.Command1, ui.Command2, ui.cmdFile, ui.cmdClear, ui.cmdBack}) {
        const qreal points = fittingPointSize(b->font(), {b->text()}, b->size(), kButtonMargin);
        setPoints(b, std::max(points, kLegiblePoints));
        const int needed = int(std::ceil(QFontMetricsF(b->font()).horizontalAdvance(b->text()))) +
                           buttonTextPadding(b);
        if (needed > b->width()) {
            // The designed strip lets 接続 and 切断 overlap a little; a widened button is not
            // covered by the next one.
            int covered = 0;
            for (const QWidget *other :
                 b->parentWidget()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
                if (other->x() > b->x())
                    covered = std::max(covered, b->geometry().right() + 1 - other->x());
            makeRoom(b, needed - b->width() + covered);
            b->resize(needed, b->height());
        }
    }
    // A longer scale than 1:100000 scrolls in its box.
    setPoints(ui.txtScale, fittingPointSize(ui.txtScale->font(), {QStringLiteral("100000")},
                                            ui.txtScale->size(), kButtonMargin));

    // A caption may take the width it was designed with, up to the control that follows it
    // (Label1's designed width reaches 15 twips into lblLines).
    const struct {
        QLabel *label;
        int leftTwips, endTwips;
    } captions[] = {{ui.Label3, 2400, 3000}, {ui.Label2, 3810, 4320}, {ui.Label1, 4860, 5280},
                    {ui.Label4, 5880, 6600}, {ui.Label6, 7200, 7545}, {ui.Label8, 10290, 10680}};
    for (const auto &c : captions) {
        const int room = twipsToPixels(c.endTwips, dpi) - twipsToPixels(c.leftTwips, dpi);
        qreal points = kReadablePoints;
        setPoints(c.label, points);
        while (c.label->sizeHint().width() > room && points > kLegiblePoints)
            setPoints(c.label, points -= kStep);
        c.label->adjustSize();
        makeRoom(c.label, c.label->width() - room);
    }

    const struct {
        QLabel *label;
        QStringList widest;
    } values[] = {{ui.lblPoints, widestCounts()},  {ui.lblLines, widestCounts()},
                  {ui.lblPoly, widestCounts()},    {ui.lblLength, widestLengths()},
                  {ui.lblLenAll, widestLengths()}, {ui.lblArea, widestAreas()}};
    for (const auto &v : values)
        setPoints(v.label, fittingPointSize(v.label->font(), v.widest,
                                            v.label->contentsRect().size(), kValueMargin));
}

int toolbarWidth(const TraceControls &ui, qreal dpi) {
    int right = 0;
    for (const QWidget *w : ui.picBar->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        right = std::max(right, w->geometry().right() + 1);
    return right + twipsToPixels(kToolbarEndTwips, dpi);
}

} // namespace digitrace
