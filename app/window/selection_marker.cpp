#include "app/window/selection_marker.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace digitrace {
namespace {

constexpr qreal kVertexHalf = 3;
// A press and release further apart than this drag the picture instead.
constexpr qreal kClickSlop = 3;
// Just outside the point marker's circle.
constexpr qreal kPointRing = 19;

} // namespace

SelectionMarker::SelectionMarker(QWidget &area, std::function<QPointF(QPointF)> toArea)
    : QWidget(&area), toArea_(std::move(toArea)) {
    setObjectName(QStringLiteral("selectionMarker"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(area.rect());
    area.installEventFilter(this);
    hide();
}

void SelectionMarker::mark(std::optional<FeatureOutline> outline) {
    outline_ = std::move(outline);
    setVisible(outline_ && !outline_->vertices.empty());
    update();
}

bool SelectionMarker::eventFilter(QObject *watched, QEvent *event) {
    switch (event->type()) {
    case QEvent::Resize:
        setGeometry(static_cast<QWidget *>(watched)->rect());
        break;
    case QEvent::MouseButtonPress:
        if (const auto *mouse = static_cast<QMouseEvent *>(event);
            mouse->button() == Qt::LeftButton)
            pressedAt_ = mouse->position();
        break;
    case QEvent::MouseButtonRelease: {
        // The area drags the picture with the same button.
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton && pressedAt_ &&
            (mouse->position() - *pressedAt_).manhattanLength() <= kClickSlop)
            emit areaClicked(mouse->position());
        pressedAt_.reset();
        break;
    }
    default:
        break;
    }
    return false;
}

void SelectionMarker::paintEvent(QPaintEvent *) {
    if (!outline_ || outline_->vertices.empty())
        return;
    QList<QPointF> points;
    for (const QPointF &tablet : outline_->vertices)
        points << toArea_(tablet);
    QPainterPath path;
    if (points.size() == 1) {
        // Around the point's own marker.
        path.addEllipse(points.front(), kPointRing, kPointRing);
    } else {
        path.addPolygon(QPolygonF(points));
        if (outline_->closed)
            path.closeSubpath();
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // A wide see-through band: the feature's own colour still shows along its middle.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(0, 200, 255, 90), 9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(path);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::white);
    for (const QPointF &p : points) {
        painter.drawRect(
            QRectF(p.x() - kVertexHalf, p.y() - kVertexHalf, 2 * kVertexHalf, 2 * kVertexHalf));
    }
}

} // namespace digitrace
