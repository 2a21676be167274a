#pragma once

#include "display/view_navigation.h"

#include <QList>
#include <QObject>

class QAction;

namespace digitrace {

class DrawingArea;
class Renderer;
class TraceModel;

// Looking closer: the wheel and drags over the drawing area, and 表示's 全体表示, 拡大 and 縮小.
// Records that arrive meanwhile are drawn in the operator's view, which does not jump.
class TraceNavigation : public QObject {
    Q_OBJECT
public:
    TraceNavigation(DrawingArea &area, Renderer &renderer, TraceModel &model, QObject *parent);

    // 全体表示, 拡大, 縮小, for the window to place in its 表示 menu.
    const QList<QAction *> &actions() const { return actions_; }
    // The whole trace, in the automatic fit of the record intake (Home).
    void showWholeTrace();
    // The operator's view of the trace (zoom, pan); new records are drawn in it.
    void showView(const View &view);

private:
    // About the centre of the drawing area; the wheel zooms about the cursor.
    void zoomBy(double factor);

    DrawingArea &area_;
    Renderer &renderer_;
    TraceModel &model_;
    QList<QAction *> actions_;
};

} // namespace digitrace
