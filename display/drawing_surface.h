#pragma once

#include "model/rgb.h"

#include <cstdint>

namespace digitrace {

// A canvas in its own units: origin at the top-left of the inner area, x to the right, y downward.
// Every drawing call names its colour; there is no pen state beyond the current drawing position.
class DrawingSurface {
public:
    virtual ~DrawingSurface() = default;

    // Show the current content at once.
    virtual void refresh() = 0;

    virtual Rgb backColor() const = 0;
    // Makes `colour` the background and erases all drawing.
    virtual void setBackColor(Rgb colour) = 0;

    // Colours the single point (x, y); the current drawing position becomes (x, y).
    virtual void pset(float x, float y, Rgb colour) = 0;
    // A line from the current drawing position to (x, y), which becomes the current position.
    virtual void lineTo(float x, float y, Rgb colour) = 0;
    virtual void line(float x1, float y1, float x2, float y2, Rgb colour) = 0;
    // The outline of a whole, round circle.
    virtual void circle(float x, float y, float radius, Rgb colour) = 0;

    // Changes whenever the picture may have changed other than by the drawing calls: erased,
    // cropped or regrown. Drawing may carry on from an earlier picture only while it holds.
    virtual std::uint32_t generation() const { return generation_; }

protected:
    void pictureReplaced() { ++generation_; }

private:
    std::uint32_t generation_ = 0;
};

} // namespace digitrace
