#include "display/batched_painter.h"

#include <algorithm>

namespace digitrace {

void BatchedPainter::ellipse(QPointF centre, qreal radius, Rgb colour) {
    paintQueued();
    painter(colour).drawEllipse(centre, radius, radius);
}

void BatchedPainter::finish() {
    paintQueued();
    painter_.reset();
}

void BatchedPainter::discard() {
    points_.clear();
    lines_.clear();
    kind_ = Kind::None;
    painter_.reset();
}

void BatchedPainter::paintQueued() {
    if (kind_ == Kind::Points)
        painter(colour_).drawPoints(points_.data(), int(points_.size()));
    else if (kind_ == Kind::Lines)
        painter(colour_).drawLines(lines_.data(), int(lines_.size()));
    points_.clear();
    lines_.clear();
    kind_ = Kind::None;
}

QPainter &BatchedPainter::painter(Rgb colour) {
    if (!painter_) {
        painter_.emplace(&image_);
        penColour_.reset();
    }
    if (penColour_ != colour) {
        painter_->setPen(pen(colour));
        penColour_ = colour;
    }
    return *painter_;
}

const QPen &BatchedPainter::pen(Rgb colour) {
    const auto known = std::find_if(pens_.begin(), pens_.end(),
                                    [colour](const auto &entry) { return entry.first == colour; });
    if (known != pens_.end())
        return known->second;
    QPen pen(QColor(colour.r, colour.g, colour.b), 1);
    pen.setCosmetic(true);
    return pens_.emplace_back(colour, pen).second;
}

} // namespace digitrace
