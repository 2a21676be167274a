// The window's place on the screen: whole on it, and taller for what is docked above or below the
// form rather than taking the drawing area's height.

#include "app/window/frm_trace1.h"

#include <QScreen>
#include <QShowEvent>

#include <algorithm>
#include <climits>

namespace digitrace {

void frmTrace1::keepOnScreen() {
    const QScreen *on = screen();
    if (!on)
        return;
    const QRect room = on->availableGeometry();
    const QSize frame = frameGeometry().size() - size();
    const QSize fits = size().boundedTo(room.size() - frame);
    if (fits != size())
        resize(fits);
    // A window that cannot shrink enough keeps its top left corner, and so its title bar, on.
    const QRect outer = frameGeometry();
    const QPoint at(std::max(room.left(), std::min(outer.x(), room.right() + 1 - outer.width())),
                    std::max(room.top(), std::min(outer.y(), room.bottom() + 1 - outer.height())));
    if (at != outer.topLeft())
        move(at);
}

void frmTrace1::showEvent(QShowEvent *event) {
    QMainWindow::showEvent(event);
    // The geometry kept may be from a larger screen, or from a window that was moved partly
    // off this one.
    if (!event->spontaneous())
        keepOnScreen();
}

int frmTrace1::growBy(int pixels) {
    if (isMaximized() || isFullScreen())
        return 0;
    const QScreen *on = screen();
    const int frame = frameGeometry().height() - height();
    const int room = on ? on->availableGeometry().height() - frame : INT_MAX;
    const int before = height();
    resize(width(), std::max(before, std::min(before + pixels, room)));
    keepOnScreen();
    return height() - before;
}

} // namespace digitrace
