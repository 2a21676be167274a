#pragma once

#include "display/drawing_surface.h"
#include "display/view_state.h"
#include "model/record_walk.h"
#include "model/rgb.h"
#include "model/trace_store.h"

#include <cstdint>
#include <functional>
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

    // The colour of the feature begun at a first slot; nothing for the designed colours. Asked
    // once a feature, at its first record, so that a record costs nothing more. An empty lookup
    // draws every feature in the designed colours. The next Redraw repaints in full.
    using FeatureColours = std::function<std::optional<Rgb>(int firstSlot)>;
    void setFeatureColours(FeatureColours colours);

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
        Rgb featureColour; // of the feature being drawn
    };

    // What the picture on the surface was drawn from.
    struct PictureKey {
        std::uint32_t epoch;
        Rgb background;
        float viewCx, viewCy, viewZoom, halfW, halfH;
        int count;
        std::uint32_t generation;
        std::uint32_t colours; // bumped with each new colour lookup
        friend bool operator==(const PictureKey &, const PictureKey &) = default;
    };

    PictureKey currentKey(Rgb background, int count) const;
    void step(int slot);
    void project(int slot);
    void dot(Rgb colour);
    void segmentTo(int slot);
    void closeLine();
    void marker();
    Rgb featureColour(int firstSlot, Rgb designed) const;

    const TraceStore &store_;
    DrawingSurface &surface_;
    LoopState state_;
    std::optional<PictureKey> drawn_;
    ViewState view_;
    FeatureColours colours_;
    std::uint32_t coloursGeneration_ = 0;
};

} // namespace digitrace
