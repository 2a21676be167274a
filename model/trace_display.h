#pragma once

#include <QString>

namespace digitrace {

// The texts of the main window that the trace model writes.
enum class DisplayField { Caption, Points, Lines, Poly, Length, LenAll, Area };
inline constexpr int kDisplayFieldCount = 7;

// Where the model's texts go, in the order it writes them. The window implements this; tests
// record it.
class TraceDisplay {
public:
    virtual ~TraceDisplay() = default;
    virtual void showText(DisplayField field, const QString &text) = 0;
    // The drawing area takes the toolbar's colour and loses all drawing.
    virtual void clearDrawingArea() = 0;
};

} // namespace digitrace
