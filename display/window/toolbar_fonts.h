#pragma once

#include <QFont>
#include <QSize>
#include <QStringList>

namespace digitrace {

struct TraceControls;

// The toolbar's text sizes: as large as reads comfortably wherever the designed widths allow.
inline constexpr qreal kReadablePoints = 9;
// Below this a caption is not made smaller: the designed widths all allow it.
inline constexpr qreal kSmallestPoints = 6;

// Whether `text` in `font` fits `box` with `margin` pixels to spare left and right, and its ink
// inside a one-pixel frame.
bool textFits(const QFont &font, const QString &text, QSize box, int margin);

// The largest size, from kReadablePoints down in half points, at which every one of `texts` fits
// `box`; kSmallestPoints when none does.
qreal fittingPointSize(QFont font, const QStringList &texts, QSize box, int margin);

// The widest texts each value label of the toolbar may have to show, in the current locale.
QStringList widestCounts();
QStringList widestLengths();
QStringList widestAreas();

// Gives each button, caption and value label of the toolbar the largest readable size that its
// designed width allows; a value label is sized for its widest value, so no value is ever cut.
void fitToolbarFonts(const TraceControls &ui, qreal logicalDpi);

} // namespace digitrace
