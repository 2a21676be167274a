#include "display/image_surface.h"

#include <algorithm>
#include <cmath>

namespace digitrace {
namespace {

// The rasteriser works in fixed point and draws far-away lines in the wrong place, so longer lines
// are cut to this far beyond the image first.
constexpr double kSafeMargin = 65536;
// Larger circles would overflow the rasteriser the same way.
constexpr double kMaxRadius = kSafeMargin;

QColor toQColor(Rgb c) {
    return QColor(c.r, c.g, c.b);
}

QImage blankImage(QSize logicalSize, qreal devicePixelRatio, Rgb background) {
    QImage image(logicalSize * devicePixelRatio, QImage::Format_RGB32);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(toQColor(background));
    return image;
}

bool isFinite(QPointF p) {
    return std::isfinite(p.x()) && std::isfinite(p.y());
}

// QRectF::contains, but inline: this runs for every primitive.
bool within(QPointF p, const QRectF &rect) {
    return p.x() >= rect.left() && p.x() <= rect.right() && p.y() >= rect.top() &&
           p.y() <= rect.bottom();
}

// Whether the closed boxes [a, b] and `rect` share a point; unlike QRectF::intersects this also
// holds for a horizontal or vertical segment's flat box.
bool touches(QPointF a, QPointF b, const QRectF &rect) {
    return std::max(a.x(), b.x()) >= rect.left() && std::min(a.x(), b.x()) <= rect.right() &&
           std::max(a.y(), b.y()) >= rect.top() && std::min(a.y(), b.y()) <= rect.bottom();
}

// Liang-Barsky in double. An end cut at an edge lies exactly on it, and the other coordinate is
// computed from the original end nearer to it, so a segment with one end on screen keeps that end
// exactly and an axis-parallel one stays exact.
bool clipSegment(QPointF &a, QPointF &b, const QRectF &box) {
    const QPointF d = b - a;
    const double p[] = {-d.x(), d.x(), -d.y(), d.y()};
    const double q[] = {a.x() - box.left(), box.right() - a.x(), a.y() - box.top(),
                        box.bottom() - a.y()};
    const double edges[] = {box.left(), box.right(), box.top(), box.bottom()};
    double t0 = 0;
    double t1 = 1;
    int edge0 = -1;
    int edge1 = -1;
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0 && t > t0) {
            t0 = t;
            edge0 = i;
        } else if (p[i] > 0 && t < t1) {
            t1 = t;
            edge1 = i;
        }
    }
    if (t0 > t1)
        return false;
    const QPointF start = a;
    const QPointF end = b;
    auto at = [&](double t, int edge) {
        QPointF point = t < 0.5 ? start + t * d : end - (1 - t) * d;
        if (edge == 0 || edge == 1)
            point.setX(edges[edge]);
        else if (edge >= 2)
            point.setY(edges[edge]);
        return point;
    };
    a = at(t0, edge0);
    b = at(t1, edge1);
    return true;
}

} // namespace

ImageSurface::ImageSurface(QSize logicalSize, qreal devicePixelRatio, Rgb background)
    : logicalSize_(logicalSize), devicePixelRatio_(devicePixelRatio),
      image_(blankImage(logicalSize, devicePixelRatio, background)), back_(background) {
    updateBounds();
}

void ImageSurface::updateBounds() {
    bounds_ = image_.isNull() ? QRectF() : QRectF(QPointF(0, 0), logicalSize_);
    safeBounds_ = bounds_.adjusted(-kSafeMargin, -kSafeMargin, kSafeMargin, kSafeMargin);
}

const QImage &ImageSurface::image() const {
    painter_.finish();
    return image_;
}

void ImageSurface::resize(QSize logicalSize) {
    if (logicalSize == logicalSize_)
        return;
    painter_.finish();
    QImage next = blankImage(logicalSize, devicePixelRatio_, back_);
    QPainter(&next).drawImage(QPointF(0, 0), image_);
    image_ = std::move(next);
    logicalSize_ = logicalSize;
    updateBounds();
    // Cropped or grown: even back at the old size, what was cut off is gone.
    pictureReplaced();
}

void ImageSurface::refresh() {
    if (refreshHandler_)
        refreshHandler_();
}

void ImageSurface::setBackColor(Rgb colour) {
    painter_.discard();
    back_ = colour;
    image_.fill(toQColor(colour));
    pictureReplaced();
}

bool ImageSurface::reaches(QPointF a, QPointF b) const {
    return !bounds_.isEmpty() && touches(a, b, bounds_);
}

void ImageSurface::pset(float x, float y, Rgb colour) {
    position_ = QPointF(x, y);
    if (reaches(position_, position_))
        painter_.point(position_, colour);
}

void ImageSurface::lineTo(float x, float y, Rgb colour) {
    const QPointF from = position_;
    position_ = QPointF(x, y);
    drawSegment(QLineF(from, position_), colour);
}

void ImageSurface::line(float x1, float y1, float x2, float y2, Rgb colour) {
    drawSegment(QLineF(x1, y1, x2, y2), colour);
}

void ImageSurface::drawSegment(QLineF segment, Rgb colour) {
    // Nearly every segment of a fitted view lies inside the image.
    if (!bounds_.isEmpty() && within(segment.p1(), bounds_) && within(segment.p2(), bounds_)) {
        painter_.line(segment, colour);
        return;
    }
    QPointF from = segment.p1();
    QPointF to = segment.p2();
    if (!within(from, safeBounds_) || !within(to, safeBounds_)) {
        if (!isFinite(from) || !isFinite(to) || !clipSegment(from, to, safeBounds_))
            return;
    }
    if (reaches(from, to))
        painter_.line(QLineF(from, to), colour);
}

void ImageSurface::circle(float x, float y, float radius, Rgb colour) {
    const QPointF centre(x, y);
    const QPointF corner(radius, radius);
    if (!isFinite(centre) || !(radius >= 0 && radius <= kMaxRadius) ||
        !reaches(centre - corner, centre + corner))
        return;
    painter_.ellipse(centre, radius, colour);
}

} // namespace digitrace
