#pragma once

#include "model/trace_display.h"

class QLabel;
class QLineEdit;
class QMenuBar;
class QPushButton;
class QWidget;

namespace digitrace {

class DrawingArea;

// The controls of the main window, under their own names.
struct TraceControls {
    // The form the designed controls sit on, below the menu bar.
    QWidget *form = nullptr;
    QMenuBar *menuBar = nullptr;
    QWidget *picBar = nullptr;
    DrawingArea *picDigit = nullptr;
    QPushButton *Command1 = nullptr, *Command2 = nullptr, *cmdFile = nullptr;
    QPushButton *cmdClear = nullptr, *cmdBack = nullptr;
    QLineEdit *txtScale = nullptr;
    QLabel *lblPoints = nullptr, *lblLines = nullptr, *lblPoly = nullptr;
    QLabel *lblLength = nullptr, *lblLenAll = nullptr, *lblArea = nullptr;
    QLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr, *Label4 = nullptr;
    QLabel *Label6 = nullptr, *Label8 = nullptr;

    // The label that shows `field`; the caption has none.
    QLabel *valueLabel(DisplayField field) const {
        QLabel *const labels[] = {nullptr,   lblPoints, lblLines, lblPoly,
                                  lblLength, lblLenAll, lblArea};
        return labels[int(field)];
    }
};

} // namespace digitrace
