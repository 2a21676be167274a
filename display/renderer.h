#pragma once

#include "display/drawing_surface.h"
#include "display/view_state.h"
#include "model/record_walk.h"
#include "model/rgb.h"
#include "model/trace_store.h"

#include <cstdint>
#include <optional>

namespace digitrace {

// Draws the record table onto a surface: start points, line segments, the closing segments of
// polygons and point markers, in slot order.
//
// The picture on the surface is known by what it was drawn from: epoch, background, view, half
// sizes, record count and the surface's generation. When nothing of it has changed, Redraw only
// refreshes. When the only change is one appended record, only that record's part is drawn, on top
// of the picture already there: the loop simply carries on where the previous pass stopped, so the
// pixels are those of a full repaint. Anything else repaints in full.
class Renderer {
public:
    Renderer(const TraceStore &store, DrawingSurface &surface);

    void Redraw(Rgb background);

    // The view the picture is drawn in, and the mappings between tablet and area.
    ViewState &viewState() { return view_; }
    const ViewState &viewState() const { return view_; }

private:
    struct LoopState {
        RecordWalk walk; // what each record is; kept so that the next Redraw can carry on
        float LineStartX = 0, LineStartY = 0;
        float ScreenX = 0, ScreenY = 0;
        // The surface's drawing position is (ScreenX, ScreenY); false after a skipped primitive.
        bool penAtScreen = false;
    };

    // What the picture on the surface was drawn from.
    struct PictureKey {
        std::uint32_t epoch;
        Rgb background;
        float viewCx, viewCy, viewZoom, halfW, halfH;
        int count;
        std::uint32_t generation;
        friend bool operator==(const PictureKey &, const PictureKey &) = default;
    };

    PictureKey currentKey(Rgb background, int count) const;
    void step(int slot);
    void project(int slot);
    void dot(Rgb colour);
    void segmentTo(int slot);
    void closeLine();
    void marker();

    const TraceStore &store_;
    DrawingSurface &surface_;
    LoopState state_;
    std::optional<PictureKey> drawn_;
    ViewState view_;
};

} // namespace digitrace
