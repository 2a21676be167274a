#include "display/image_surface.h"
#include "display/renderer.h"
#include "recording_surface.h"
#include "test_trace.h"

#include <gtest/gtest.h>

#include <QImage>

#include <functional>
#include <memory>
#include <optional>
#include <random>

namespace digitrace {
namespace {

// A random job as the window sees it: records arrive one at a time with a Redraw after each, and
// now and then the view moves, the operator presses Back, or the background changes.
class RandomJob {
public:
    explicit RandomJob(unsigned seed) : random_(seed) {}

    // Advances the job by one event and returns the background for the Redraw that follows it.
    Rgb next(TraceStore &store) {
        if (chance(0.003))
            background_ = background_ == kConnectedBackground ? kDisconnectedBackground
                                                              : kConnectedBackground;
        else if (chance(0.003))
            store.ViewZoom *= float(uniform(0.8, 1.25));
        else if (chance(0.01) && store.PtCount > 0) {
            --store.PtCount;
            ++store.epoch;
        } else
            appendRecord(store, nextRecord());
        return background_;
    }

private:
    bool chance(double p) { return uniform(0, 1) < p; }
    double uniform(double low, double high) {
        return std::uniform_real_distribution<double>(low, high)(random_);
    }

    // Mostly short steps, sometimes a jump; codes weighted so that lines of every length,
    // polygons, repeated starts and stray vertices all occur.
    TestRecord nextRecord() {
        const double u = uniform(0, 1);
        const float code = u < 0.15 ? 1.0f : u < 0.75 ? 2.0f : float(int(uniform(3, 10)) % 10);
        if (chance(0.1)) {
            x_ = uniform(-50, 1050);
            y_ = uniform(-50, 1050);
        } else {
            x_ += uniform(-40, 40);
            y_ += uniform(-40, 40);
        }
        return {code, float(x_), float(y_)};
    }

    std::mt19937 random_;
    Rgb background_ = kConnectedBackground;
    double x_ = 500, y_ = 500;
};

// Renders a long random job record by record (mostly along the incremental path), then the final
// table in one full pass on a fresh surface; the two pictures must match pixel for pixel.
// With an operator's view the automatic fit's changes must not move the picture.
void expectIncrementalMatchesFull(unsigned seed, qreal devicePixelRatio,
                                  std::optional<View> operatorView = {}) {
    constexpr int kEvents = 4000;
    const QSize size(300, 200);
    auto store = std::make_unique<TraceStore>();
    setView(*store, {500, 500, 0.19f, 150, 100});

    ImageSurface incremental(size, devicePixelRatio);
    RecordingSurface recorder(&incremental);
    Renderer renderer(*store, recorder);
    if (operatorView)
        renderer.viewState().setOperatorView(*operatorView);
    RandomJob job(seed);
    Rgb background{};
    for (int i = 0; i < kEvents; ++i) {
        background = job.next(*store);
        renderer.Redraw(background);
    }
    const qsizetype fullRepaints = recorder.calls.filter(QStringLiteral("back ")).size();
    EXPECT_LT(fullRepaints, kEvents / 10) << "the incremental path was hardly taken";

    ImageSurface full(size, devicePixelRatio);
    Renderer fullRenderer(*store, full);
    if (operatorView)
        fullRenderer.viewState().setOperatorView(*operatorView);
    fullRenderer.Redraw(background);

    if (incremental.image() != full.image()) {
        const QString stem = QStringLiteral(DIGITRACE_TEST_OUTPUT "/identity_%1_").arg(seed);
        incremental.image().save(stem + QStringLiteral("incremental.png"));
        full.image().save(stem + QStringLiteral("full.png"));
        ADD_FAILURE() << "pictures differ; see " << stem.toStdString() << "*.png";
    }
}

TEST(IncrementalRedraw, GivesTheSamePixelsAsAFullRepaint) {
    for (unsigned seed : {1u, 2u, 3u})
        expectIncrementalMatchesFull(seed, 1.0);
}

TEST(IncrementalRedraw, GivesTheSamePixelsOnAHighDensitySurface) {
    expectIncrementalMatchesFull(4, 2.0);
}

TEST(IncrementalRedraw, GivesTheSamePixelsInTheOperatorsView) {
    expectIncrementalMatchesFull(5, 1.0, View{400, 600, 0.6f});
}

// Whatever happens to the surface between two Redraws, the picture must end up as a full repaint
// draws it, also when the surface is back at its size and background as before.
TEST(IncrementalRedraw, ASurfaceCroppedOrErasedIsRepaintedInFull) {
    const QSize size(200, 120);
    const auto shrinkAndRestore = [&](ImageSurface &surface) {
        surface.resize(QSize(50, 30));
        surface.resize(size);
    };
    const auto eraseInTheSameColour = [](ImageSurface &surface) {
        surface.setBackColor(kConnectedBackground);
    };
    const struct {
        const char *name;
        std::function<void(ImageSurface &)> between;
        bool appendOne;
    } rows[] = {
        {"nothing, one record appended", [](ImageSurface &) {}, true},
        {"shrunk and restored", shrinkAndRestore, false},
        {"shrunk and restored, one record appended", shrinkAndRestore, true},
        {"erased in the same colour", eraseInTheSameColour, false},
        {"erased in the same colour, one record appended", eraseInTheSameColour, true},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        auto store = std::make_unique<TraceStore>();
        // Screen point = (100 + X, 60 - Y).
        loadTrace(*store, {{1, -80, 40}, {2, 80, 40}, {2, 80, -40}, {4, 0, 0}, {1, -40, 0}},
                  {0, 0, 1, 100, 60});
        ImageSurface surface(size);
        Renderer renderer(*store, surface);
        renderer.Redraw(kConnectedBackground);
        row.between(surface);
        if (row.appendOne)
            appendRecord(*store, {2, 60, 10});
        renderer.Redraw(kConnectedBackground);

        ImageSurface full(size);
        Renderer(*store, full).Redraw(kConnectedBackground);
        EXPECT_TRUE(surface.image() == full.image());
    }
}

} // namespace
} // namespace digitrace
