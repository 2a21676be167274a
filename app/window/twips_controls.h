#pragma once

#include <QRect>
#include <QString>

class QLabel;
class QPushButton;
class QWidget;

namespace digitrace {

// The designed form: the width inside its frame, the toolbar strip's and the drawing area's
// heights.
inline constexpr int kInnerWidthTwips = 8985;
inline constexpr int kBarHeightTwips = 375;
inline constexpr int kDigitHeightTwips = 5205;
// Lower than this the drawing area keeps its size: a 930-twip outer height less a classic 435-twip
// frame.
inline constexpr int kMinInnerHeightTwips = 495;

// The designed form's kinds of control, placed in twips at the screen's logical DPI.
QPushButton *twipsButton(QWidget *bar, const QString &text, QRect twips, qreal dpi);
// A caption label: placed at its corner and sized to its text.
QLabel *twipsCaption(QWidget *bar, const QString &text, int left, int top, qreal dpi);
// A framed value label.
QLabel *twipsValue(QWidget *bar, const QString &text, QRect twips, Qt::Alignment align, qreal dpi);

} // namespace digitrace
