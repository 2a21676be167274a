#pragma once

#include <QFont>
#include <QSize>
#include <QStringList>

class QPushButton;

namespace digitrace {

struct TraceControls;

// The toolbar's text sizes: as large as reads comfortably wherever the designed widths allow.
inline constexpr qreal kReadablePoints = 9;
// Below this a value label is not made smaller: the designed widths all allow it.
inline constexpr qreal kSmallestPoints = 6;
// The smallest size a designed caption is shown at. A caption or button text that would need less
// (a translation longer than the designed text) keeps this size, and its control takes the room,
// moving the controls right of it along.
inline constexpr qreal kLegiblePoints = 7.5;
// The room the designed strip leaves right of its last control.
inline constexpr int kToolbarEndTwips = 60;

// What the style draws left and right of a button's text, together: its margin and frame.
int buttonTextPadding(const QPushButton *button);

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
// A button or caption text that would fall below kLegiblePoints widens the strip instead.
void fitToolbarFonts(const TraceControls &ui, qreal logicalDpi);

// The width that shows every control of the strip as laid out, with the designed room after the
// last one.
int toolbarWidth(const TraceControls &ui, qreal logicalDpi);

} // namespace digitrace
