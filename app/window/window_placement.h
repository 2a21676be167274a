#pragma once

#include <QObject>
#include <QSize>

class QMainWindow;

namespace digitrace {

// The size the window first opens at: wide enough for every control of the toolbar, also one that
// runs `toolbarWidth` pixels (a translated strip), no wider than `availableWidth` pixels.
QSize initialInnerSize(qreal logicalDpi, int availableWidth, int toolbarWidth = 0);

// The window's place on the screen: whole on it, and taller for what is docked above or below the
// form rather than taking the drawing area's height.
class WindowPlacement : public QObject {
    Q_OBJECT
public:
    explicit WindowPlacement(QMainWindow &window);

    // The geometry the operator left, if there is one to restore.
    bool restoreLast();
    // The initial inner size on the window's screen, for a toolbar `toolbarWidth` pixels wide.
    QSize firstInnerSize(int toolbarWidth) const;
    // Moved, and if need be shrunk, so that the whole window is on its screen's free area.
    void keepOnScreen();
    // Taller by `pixels`, as far as the screen allows. How much it grew.
    int growBy(int pixels);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QMainWindow &window_;
};

} // namespace digitrace
