#include "display/widget/drawing_area.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QWheelEvent>

#include <cmath>

namespace digitrace {

DrawingArea::DrawingArea(QWidget *parent)
    : QWidget(parent), surface_(QSize(1, 1), devicePixelRatioF()) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    surface_.setRefreshHandler([this] { update(); });
}

void DrawingArea::paintEvent(QPaintEvent *event) {
    Q_UNUSED(event);
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), surface_.image());
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
