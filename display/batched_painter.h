#pragma once

#include "model/rgb.h"

#include <QImage>
#include <QLineF>
#include <QPainter>
#include <QPen>
#include <QPointF>

#include <optional>
#include <utility>
#include <vector>

namespace digitrace {

// Paints into an image with a one-pixel cosmetic pen, without antialiasing. Consecutive points or
// lines of one colour go to QPainter in one call, which costs far less than a call each; the order
// is kept, so the pixels are those of painting one primitive at a time.
class BatchedPainter {
public:
    explicit BatchedPainter(QImage &image) : image_(image) {}

    void point(QPointF p, Rgb colour) {
        queue(Kind::Points, colour);
        points_.push_back(p);
    }
    void line(const QLineF &l, Rgb colour) {
        queue(Kind::Lines, colour);
        lines_.push_back(l);
    }
    void ellipse(QPointF centre, qreal radius, Rgb colour);

    // Paints what is queued and closes the painter, so that the image can be read or replaced.
    void finish();
    // Forgets what is queued and closes the painter: the image is about to be erased.
    void discard();

private:
    enum class Kind { None, Points, Lines };

    void queue(Kind kind, Rgb colour) {
        if (kind != kind_ || colour != colour_) {
            paintQueued();
            kind_ = kind;
            colour_ = colour;
        }
    }
    void paintQueued();
    QPainter &painter(Rgb colour);
    const QPen &pen(Rgb colour);

    QImage &image_;
    // Kept open between calls: opening a painter costs more than drawing a short line.
    std::optional<QPainter> painter_;
    std::optional<Rgb> penColour_;
    Kind kind_ = Kind::None;
    Rgb colour_;
    std::vector<QPointF> points_;
    std::vector<QLineF> lines_;
    // A handful of colours recur; making a pen each time shows in the profile.
    std::vector<std::pair<Rgb, QPen>> pens_;
};

} // namespace digitrace
