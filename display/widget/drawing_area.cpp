#include "display/widget/drawing_area.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QWheelEvent>

#include <cmath>

namespace digitrace {
namespace {

// Half the cross-hair's width, in pixels.
constexpr qreal kCursorArm = 12;

} // namespace

DrawingArea::DrawingArea(QWidget *parent)
    : QWidget(parent), surface_(QSize(1, 1), devicePixelRatioF()) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    surface_.setRefreshHandler([this] { update(); });
}

void DrawingArea::paintEvent(QPaintEvent *event) {
    Q_UNUSED(event);
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), surface_.image());
    const std::optional<QPointF> at = tabletCursorAt();
    if (!at)
        return;
    // Black on a white halo: seen on any background and over any line.
    for (const QPen &pen : {QPen(Qt::white, 3), QPen(Qt::black, 1)}) {
        painter.setPen(pen);
        painter.drawLine(QPointF(at->x() - kCursorArm, at->y()),
                         QPointF(at->x() + kCursorArm, at->y()));
        painter.drawLine(QPointF(at->x(), at->y() - kCursorArm),
                         QPointF(at->x(), at->y() + kCursorArm));
    }
}

std::optional<QPointF> DrawingArea::tabletCursorAt() const {
    return tabletCursor_ && areaMapping_ ? areaMapping_(*tabletCursor_) : std::nullopt;
}

void DrawingArea::setTabletCursor(std::optional<QPointF> tablet) {
    if (tablet == tabletCursor_)
        return;
    // Only where the cross-hair was and goes: a tablet reports many times a second. A new view
    // repaints the whole area, and the cross-hair with it.
    const auto repaintAround = [this](std::optional<QPointF> p) {
        const qreal side = 2 * (kCursorArm + 2);
        if (p)
            update(QRectF(p->x() - side / 2, p->y() - side / 2, side, side).toAlignedRect());
    };
    repaintAround(tabletCursorAt());
    tabletCursor_ = tablet;
    repaintAround(tabletCursorAt());
}

void DrawingArea::resizeEvent(QResizeEvent *event) {
    surface_.resize(event->size());
    QWidget::resizeEvent(event);
}

namespace {

constexpr double kWheelNotch = 120;

} // namespace

void DrawingArea::wheelEvent(QWheelEvent *event) {
    const double notches = event->angleDelta().y() / kWheelNotch;
    if (notches != 0)
        emit zoomRequested(event->position(), std::pow(kZoomStep, notches));
    event->accept();
}

void DrawingArea::mousePressEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton)
        dragFrom_ = event->position();
    QWidget::mousePressEvent(event);
}

void DrawingArea::mouseMoveEvent(QMouseEvent *event) {
    if (dragFrom_ && (event->buttons() & Qt::LeftButton)) {
        const QPointF delta = event->position() - *dragFrom_;
        dragFrom_ = event->position();
        if (!delta.isNull())
            emit panRequested(delta);
    }
    QWidget::mouseMoveEvent(event);
}

void DrawingArea::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton)
        dragFrom_.reset();
    QWidget::mouseReleaseEvent(event);
}

void DrawingArea::keyPressEvent(QKeyEvent *event) {
    // About the cursor when it is over the area, otherwise about the centre.
    const QPointF cursor = mapFromGlobal(QCursor::pos());
    const QPointF at = rect().contains(cursor.toPoint()) ? cursor : QRectF(rect()).center();
    switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        emit zoomRequested(at, kZoomStep);
        break;
    case Qt::Key_Minus:
        emit zoomRequested(at, 1 / kZoomStep);
        break;
    case Qt::Key_Home:
        emit fitRequested();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

} // namespace digitrace
