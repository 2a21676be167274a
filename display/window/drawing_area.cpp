#include "display/window/drawing_area.h"

#include <QPainter>
#include <QResizeEvent>

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

} // namespace digitrace
