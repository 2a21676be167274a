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
    : store_(store), surface_(surface), view_(store) {}

Renderer::PictureKey Renderer::currentKey(Rgb background, int count) const {
    const View v = view_.view();
    return {store_.epoch,
            background,
            v.cx,
            v.cy,
            v.zoom,
            view_.halfW(),
            view_.halfH(),
            count,
            surface_.generation(),
            coloursGeneration_};
}

void Renderer::setFeatureColours(FeatureColours colours) {
    colours_ = std::move(colours);
    ++coloursGeneration_;
}

Rgb Renderer::featureColour(int firstSlot, Rgb designed) const {
    if (!colours_)
        return designed;
    return colours_(firstSlot).value_or(designed);
}

void Renderer::Redraw(Rgb background) {
    const int count = std::clamp<int>(store_.PtCount, 0, kSlotCount);
    // A surface without a generation of its own still shows when it was erased to another colour.
    const bool drawnHolds = drawn_ && surface_.backColor() == background;
    surface_.refresh();
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
    const WalkStep step = state_.walk.step(store_.Pt, static_cast<std::int16_t>(slot));
    switch (step.event) {
    case WalkEvent::Start:
        if (step.supersedes) {
            project(slot - 1);
            dot(surface_.backColor());
        }
        project(slot);
        dot(kStartColour);
        state_.featureColour = featureColour(slot, kLineColour);
        state_.LineStartX = state_.ScreenX;
        state_.LineStartY = state_.ScreenY;
        break;
    case WalkEvent::Segment:
        segmentTo(slot);
        break;
    case WalkEvent::Close:
        // The screen point is still the last vertex's; the closing record is not drawn.
        closeLine();
        break;
    case WalkEvent::Point:
        project(slot);
        state_.featureColour = featureColour(slot, kMarkerCircleColour);
        marker();
        break;
    case WalkEvent::None:
        break;
    }
}

void Renderer::project(int slot) {
    const auto i = std::size_t(slot);
    const QPointF at = view_.areaPoint({double(store_.Pt.X[i]), double(store_.Pt.Y[i])});
    state_.ScreenX = screenCoordinate(at.x());
    state_.ScreenY = screenCoordinate(at.y());
}

void Renderer::dot(Rgb colour) {
    state_.penAtScreen = isFinite(state_.ScreenX, state_.ScreenY);
    if (state_.penAtScreen)
        surface_.pset(state_.ScreenX, state_.ScreenY, colour);
}

void Renderer::marker() {
    state_.penAtScreen = isFinite(state_.ScreenX, state_.ScreenY);
    if (!state_.penAtScreen)
        return;
    surface_.circle(state_.ScreenX, state_.ScreenY, kMarkerRadius, state_.featureColour);
    surface_.pset(state_.ScreenX, state_.ScreenY, kMarkerDotColour);
}

void Renderer::segmentTo(int slot) {
    const float fromX = state_.ScreenX;
    const float fromY = state_.ScreenY;
    const bool penAtFrom = state_.penAtScreen;
    project(slot);
    state_.penAtScreen = false;
    if (!isFinite(state_.ScreenX, state_.ScreenY))
        return;
    if (penAtFrom) {
        surface_.lineTo(state_.ScreenX, state_.ScreenY, state_.featureColour);
        state_.penAtScreen = true;
    } else if (isFinite(fromX, fromY)) {
        // The segment into the previous point was skipped, so the drawing position is not there.
        surface_.line(fromX, fromY, state_.ScreenX, state_.ScreenY, state_.featureColour);
    }
}

void Renderer::closeLine() {
    if (isFinite(state_.ScreenX, state_.ScreenY) && isFinite(state_.LineStartX, state_.LineStartY))
        surface_.line(state_.ScreenX, state_.ScreenY, state_.LineStartX, state_.LineStartY,
                      state_.featureColour);
}

} // namespace digitrace
