#pragma once

#include "display/image_surface.h"

#include <QPointF>
#include <QWidget>

#include <functional>
#include <optional>

namespace digitrace {

// The drawing area: shows the picture the renderer paints, so it survives being covered.
class DrawingArea : public QWidget {
    Q_OBJECT
public:
    explicit DrawingArea(QWidget *parent = nullptr);

    ImageSurface &surface() { return surface_; }

    // Where a tablet point shows in the area with the picture's current view; nothing while the
    // view shows nothing.
    using AreaMapping = std::function<std::optional<QPointF>(QPointF tablet)>;
    void setAreaMapping(AreaMapping mapping) { areaMapping_ = std::move(mapping); }
    // A cross-hair at the tablet's cursor (in tablet counts), drawn over the picture and never
    // into it, following the view as it changes; nothing hides it.
    void setTabletCursor(std::optional<QPointF> tablet);
    // Where the cross-hair shows; nothing while it is hidden.
    std::optional<QPointF> tabletCursorAt() const;

    // One notch of a wheel, or one press of + or -.
    static constexpr double kZoomStep = 1.25;

signals:
    // The operator looks closer or further (wheel, + and -) about a point of the area.
    void zoomRequested(QPointF at, double factor);
    // The operator drags the picture by delta.
    void panRequested(QPointF delta);
    // The operator asks for the whole trace again (Home).
    void fitRequested();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    ImageSurface surface_;
    std::optional<QPointF> dragFrom_;
    AreaMapping areaMapping_;
    std::optional<QPointF> tabletCursor_;
};

} // namespace digitrace
