#include "display/renderer.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace digitrace {
namespace {

constexpr Rgb kStartColour{255, 0, 0};
constexpr Rgb kLineColour{255, 255, 0};
constexpr Rgb kMarkerCircleColour{0, 255, 0};
constexpr Rgb kMarkerDotColour{255, 0, 255};
constexpr float kMarkerRadius = 15;

// A screen coordinate that does not fit a float becomes NaN, and whatever would be drawn there
// is skipped.
float screenCoordinate(double value) {
    return std::fabs(value) <= std::numeric_limits<float>::max()
               ? static_cast<float>(value)
               : std::numeric_limits<float>::quiet_NaN();
}

bool isFinite(float x, float y) {
    return std::isfinite(x) && std::isfinite(y);
}

} // namespace

Renderer::Renderer(const TraceStore &store, DrawingSurface &surface)
    : store_(store), surface_(surface) {}

Renderer::PictureKey Renderer::currentKey(Rgb background, int count) const {
    return {store_.Epoch, background,   store_.ViewCx, store_.ViewCy,        store_.ViewZoom,
            store_.HalfW, store_.HalfH, count,         surface_.generation()};
}

void Renderer::Redraw(Rgb background) {
    const int count = std::clamp<int>(store_.PtCount, 0, kSlotCount);
    // A surface without a generation of its own still shows when it was erased to another colour.
    const bool drawnHolds = drawn_ && surface_.backColor() == background;
    surface_.Refresh();
    if (drawnHolds && currentKey(background, count) == *drawn_)
        return;
    const bool oneMore = drawnHolds && count == drawn_->count + 1 &&
                         currentKey(background, drawn_->count) == *drawn_;
    if (!oneMore) {
        surface_.setBackColor(background);
        state_ = LoopState();
    }
    for (int slot = oneMore ? count - 1 : 0; slot < count; ++slot)
        step(slot);
    // After the erase, which gives the surface a new generation.
    drawn_ = currentKey(background, count);
}

void Renderer::step(int slot) {
    const std::int16_t c = WholeCode(store_.Pt.Code[std::size_t(slot)]);
    const std::int16_t p = state_.PrevCode;
    if (c == kStartCode) {
        if (p == kStartCode) {
            // A start directly after another start supersedes it.
            project(slot - 1);
            dot(surface_.backColor());
        }
        project(slot);
        dot(kStartColour);
        state_.LineStartX = state_.ScreenX;
        state_.LineStartY = state_.ScreenY;
        state_.LineOpen = true;
        state_.LineVertices = 1;
    } else if (c == kVertexCode) {
        if (p == kStartCode || (p == kVertexCode && state_.LineOpen)) {
            segmentTo(slot);
            state_.LineVertices = p == kStartCode ? 2 : state_.LineVertices + 1;
        }
    } else {
        if (p == kVertexCode && state_.LineVertices >= 3) {
            closeLine();
        } else if (p != kVertexCode || state_.LineVertices == 2) {
            project(slot);
            marker();
        }
        state_.LineOpen = false;
        state_.LineVertices = 0;
    }
    state_.PrevCode = c;
}

void Renderer::project(int slot) {
    const auto i = std::size_t(slot);
    const double x = double(store_.Pt.X[i]);
    const double y = double(store_.Pt.Y[i]);
    state_.ScreenX = screenCoordinate(store_.HalfW - (double(store_.ViewCx) - x) * store_.ViewZoom);
    state_.ScreenY = screenCoordinate((double(store_.ViewCy) - y) * store_.ViewZoom + store_.HalfH);
}

void Renderer::dot(Rgb colour) {
    state_.PenAtScreen = isFinite(state_.ScreenX, state_.ScreenY);
    if (state_.PenAtScreen)
        surface_.pset(state_.ScreenX, state_.ScreenY, colour);
}

void Renderer::marker() {
    state_.PenAtScreen = isFinite(state_.ScreenX, state_.ScreenY);
    if (!state_.PenAtScreen)
        return;
    surface_.circle(state_.ScreenX, state_.ScreenY, kMarkerRadius, kMarkerCircleColour);
    surface_.pset(state_.ScreenX, state_.ScreenY, kMarkerDotColour);
}

void Renderer::segmentTo(int slot) {
    const float fromX = state_.ScreenX;
    const float fromY = state_.ScreenY;
    const bool penAtFrom = state_.PenAtScreen;
    project(slot);
    state_.PenAtScreen = false;
    if (!isFinite(state_.ScreenX, state_.ScreenY))
        return;
    if (penAtFrom) {
        surface_.lineTo(state_.ScreenX, state_.ScreenY, kLineColour);
        state_.PenAtScreen = true;
    } else if (isFinite(fromX, fromY)) {
        // The segment into the previous point was skipped, so the drawing position is not there.
        surface_.line(fromX, fromY, state_.ScreenX, state_.ScreenY, kLineColour);
    }
}

void Renderer::closeLine() {
    if (isFinite(state_.ScreenX, state_.ScreenY) && isFinite(state_.LineStartX, state_.LineStartY))
        surface_.line(state_.ScreenX, state_.ScreenY, state_.LineStartX, state_.LineStartY,
                      kLineColour);
}

} // namespace digitrace
