#include "app/window/topology_markers.h"

#include <QEvent>
#include <QPainter>

namespace digitrace {
namespace {

constexpr qreal kRing = 9;
constexpr qreal kCurrentRing = 15;

} // namespace

QColor findingColour(FindingKind kind) {
    switch (kind) {
    case FindingKind::Invalid:
        return {255, 60, 60};
    case FindingKind::Dangle:
        return {255, 160, 0};
    case FindingKind::Duplicate:
        return {200, 90, 255};
    case FindingKind::Overlap:
        return {0, 210, 255};
    case FindingKind::Gap:
        return {120, 255, 120};
    }
    return Qt::white;
}

TopologyMarkers::TopologyMarkers(QWidget &area, std::function<QPointF(QPointF)> toArea)
    : QWidget(&area), toArea_(std::move(toArea)) {
    setObjectName(QStringLiteral("topologyMarkers"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(area.rect());
    area.installEventFilter(this);
    hide();
}

void TopologyMarkers::showFindings(std::vector<TopologyFinding> findings) {
    findings_ = std::move(findings);
    if (current_ && *current_ >= findings_.size())
        current_.reset();
    setVisible(!findings_.empty());
    update();
}

void TopologyMarkers::setCurrent(std::optional<std::size_t> index) {
    current_ = index && *index < findings_.size() ? index : std::nullopt;
    update();
}

bool TopologyMarkers::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::Resize) {
        setGeometry(static_cast<QWidget *>(watched)->rect());
        emit areaResized();
    }
    return false;
}

void TopologyMarkers::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    for (std::size_t i = 0; i < findings_.size(); ++i) {
        const TopologyFinding &finding = findings_[i];
        const QPointF at = toArea_(finding.at);
        const QColor colour = findingColour(finding.kind);
        // A dark rim under the colour, so that the ring shows on every background.
        const qreal ring = current_ == i ? kCurrentRing : kRing;
        painter.setPen(QPen(QColor(0, 0, 0, 160), 4));
        painter.drawEllipse(at, ring, ring);
        painter.setPen(QPen(colour, 2));
        painter.drawEllipse(at, ring, ring);
        painter.drawLine(at - QPointF(ring / 2, 0), at + QPointF(ring / 2, 0));
        painter.drawLine(at - QPointF(0, ring / 2), at + QPointF(0, ring / 2));
    }
}

} // namespace digitrace
