#pragma once

#include <QRect>

#include <cmath>

namespace digitrace {

// The window's layout is given in twips (1/1440 inch); widgets are placed in device-independent
// pixels, which the screen's logical DPI relates to inches (96 dpi: 15 twips a pixel).
inline int twipsToPixels(int twips, qreal logicalDpi) {
    return static_cast<int>(std::lround(twips * logicalDpi / 1440.0));
}

inline int pixelsToTwips(int pixels, qreal logicalDpi) {
    return static_cast<int>(std::lround(pixels * 1440.0 / logicalDpi));
}

inline QRect twipsRect(int left, int top, int width, int height, qreal logicalDpi) {
    return {twipsToPixels(left, logicalDpi), twipsToPixels(top, logicalDpi),
            twipsToPixels(width, logicalDpi), twipsToPixels(height, logicalDpi)};
}

} // namespace digitrace
