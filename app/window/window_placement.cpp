#include "app/window/window_placement.h"

#include "app/window/operator_settings.h"
#include "app/window/twips.h"

#include <QEvent>
#include <QMainWindow>
#include <QScreen>

#include <algorithm>
#include <climits>

namespace digitrace {
namespace {

constexpr int kInnerHeightTwips = 5670;
// The last control of the toolbar, 戻る, ends at 13815.
constexpr int kFirstInnerWidthTwips = 13875;

} // namespace

QSize initialInnerSize(qreal logicalDpi, int availableWidth, int toolbarWidth) {
    const int wanted = std::max(twipsToPixels(kFirstInnerWidthTwips, logicalDpi), toolbarWidth);
    return {std::min(wanted, availableWidth), twipsToPixels(kInnerHeightTwips, logicalDpi)};
}

WindowPlacement::WindowPlacement(QMainWindow &window) : QObject(&window), window_(window) {
    window_.installEventFilter(this);
}

bool WindowPlacement::restoreLast() {
    return window_.restoreGeometry(OperatorSettings().windowGeometry());
}

QSize WindowPlacement::firstInnerSize(int toolbarWidth) const {
    const QScreen *on = window_.screen();
    return initialInnerSize(window_.logicalDpiY(), on ? on->availableGeometry().width() : INT_MAX,
                            toolbarWidth);
}

void WindowPlacement::keepOnScreen() {
    const QScreen *on = window_.screen();
    if (!on)
        return;
    const QRect room = on->availableGeometry();
    const QSize frame = window_.frameGeometry().size() - window_.size();
    const QSize fits = window_.size().boundedTo(room.size() - frame);
    if (fits != window_.size())
        window_.resize(fits);
    // A window that cannot shrink enough keeps its top left corner, and so its title bar, on.
    const QRect outer = window_.frameGeometry();
    const QPoint at(std::max(room.left(), std::min(outer.x(), room.right() + 1 - outer.width())),
                    std::max(room.top(), std::min(outer.y(), room.bottom() + 1 - outer.height())));
    if (at != outer.topLeft())
        window_.move(at);
}

int WindowPlacement::growBy(int pixels) {
    if (window_.isMaximized() || window_.isFullScreen())
        return 0;
    const QScreen *on = window_.screen();
    const int frame = window_.frameGeometry().height() - window_.height();
    const int room = on ? on->availableGeometry().height() - frame : INT_MAX;
    const int before = window_.height();
    window_.resize(window_.width(), std::max(before, std::min(before + pixels, room)));
    keepOnScreen();
    return window_.height() - before;
}

bool WindowPlacement::eventFilter(QObject *watched, QEvent *event) {
    // The geometry kept may be from a larger screen, or from a window that was moved partly
    // off this one.
    if (watched == &window_ && event->type() == QEvent::Show && !event->spontaneous())
        keepOnScreen();
    return QObject::eventFilter(watched, event);
}

} // namespace digitrace
