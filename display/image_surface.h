#pragma once

#include "display/batched_painter.h"
#include "display/drawing_surface.h"

#include <QImage>
#include <QLineF>
#include <QPointF>
#include <QRectF>
#include <QSize>

#include <functional>

namespace digitrace {

// Paints into an image, so the picture survives the window being covered; a widget shows image()
// when it paints. One unit is a device-independent pixel; the image holds devicePixelRatio device
// pixels per unit so that it stays sharp on high-density screens. Lines and points are one device
// pixel wide and not antialiased. Painting may be held back until image() or the next change of
// colour or kind of primitive.
class ImageSurface : public DrawingSurface {
public:
    explicit ImageSurface(QSize logicalSize, qreal devicePixelRatio = 1.0, Rgb background = {});

    // Finishes any painting in progress first.
    const QImage &image() const;
    QSize size() const { return logicalSize_; }
    // Keeps the picture at the top-left; any new area takes the background colour.
    void resize(QSize logicalSize);
    // Called by refresh(). A widget should schedule its repaint here (update()) rather than paint
    // at once: the renderer refreshes before it draws.
    void setRefreshHandler(std::function<void()> handler) { refreshHandler_ = std::move(handler); }

    void refresh() override;
    Rgb backColor() const override { return back_; }
    void setBackColor(Rgb colour) override;
    void pset(float x, float y, Rgb colour) override;
    void lineTo(float x, float y, Rgb colour) override;
    void line(float x1, float y1, float x2, float y2, Rgb colour) override;
    void circle(float x, float y, float radius, Rgb colour) override;

private:
    void updateBounds();
    // Whether the box spanned by a and b meets the image.
    bool reaches(QPointF a, QPointF b) const;
    void drawSegment(QLineF segment, Rgb colour);

    QSize logicalSize_;
    qreal devicePixelRatio_; // kept apart: an empty image forgets its ratio
    QImage image_;
    QRectF bounds_;     // the image in units; empty when there is no image to paint
    QRectF safeBounds_; // what the rasteriser is handed, at most
    Rgb back_;
    QPointF position_;
    std::function<void()> refreshHandler_;
    mutable BatchedPainter painter_{image_};
};

} // namespace digitrace
