#pragma once

#include "display/image_surface.h"

#include <QWidget>

namespace digitrace {

// The drawing area: shows the picture the renderer paints, so it survives being covered.
class DrawingArea : public QWidget {
    Q_OBJECT
public:
    explicit DrawingArea(QWidget *parent = nullptr);

    ImageSurface &surface() { return surface_; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    ImageSurface surface_;
};

} // namespace digitrace
