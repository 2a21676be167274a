// Repaint cost at a full table (10,001 records) in a 600 x 350 drawing area: the full repaint, the
// per-record path (in the designed colours and in class colours), and the same primitives painted
// with batched QPainter calls as a baseline. Prints per-record / full, classed / designed and
// full / baseline from the same run.

#include "bench/support/ratio_reporter.h"
#include "display/image_surface.h"
#include "display/renderer.h"
#include "model/record_walk.h"
#include "model/trace_model.h"

#include <benchmark/benchmark.h>

#include <QHash>
#include <QImage>
#include <QLineF>
#include <QMap>
#include <QPainter>
#include <QPointF>
#include <QString>

#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace digitrace {
namespace {

const QSize kAreaSize(600, 350);
constexpr int kPerRecordWindow = 1000; // the per-record case appends records 9,001 to 10,001

enum class TraceKind { Typical, LongSegments };

const char *kindName(TraceKind kind) {
    return kind == TraceKind::Typical ? "typical" : "long_segments";
}

QString recordText(double x, double y, int code) {
    return QStringLiteral("%1%2%3").arg(x, 9, 'f', 1).arg(y, 9, 'f', 1).arg(code);
}

// A full table fed through the model, so codes, classification and view are the real ones.
// Typical: lines of 5 to 60 short steps, half of them closed into polygons, and one standalone
// point in ten records. Long segments: the same mix, but every vertex anywhere on the sheet.
std::unique_ptr<TraceModel> makeTrace(TraceKind kind) {
    auto model = std::make_unique<TraceModel>();
    const TraceStore &store = model->store();
    model->ResetTrace();
    model->setHalfSize(kAreaSize.width() / 2.0f, kAreaSize.height() / 2.0f);
    std::mt19937 random(7);
    auto uniform = [&](double low, double high) {
        return std::uniform_real_distribution<double>(low, high)(random);
    };
    auto add = [&](double x, double y, int code) {
        if (store.PtCount >= kSlotCount)
            return;
        model->takeRecord(recordText(x, y, code));
    };
    const double width = 30000;
    const double height = 20000;
    while (store.PtCount < kSlotCount) {
        double x = uniform(0, width);
        double y = uniform(0, height);
        if (uniform(0, 1) < 0.1) {
            add(x, y, 3);
            continue;
        }
        add(x, y, 1);
        const int vertices = int(uniform(5, 60));
        for (int v = 0; v < vertices; ++v) {
            if (kind == TraceKind::Typical) {
                x = std::clamp(x + uniform(-200, 200), 0.0, width);
                y = std::clamp(y + uniform(-200, 200), 0.0, height);
            } else {
                x = uniform(0, width);
                y = uniform(0, height);
            }
            add(x, y, 2);
        }
        add(x, y, uniform(0, 1) < 0.5 ? 4 : 1);
    }
    return model;
}

void fullRepaint(benchmark::State &state, TraceKind kind) {
    const auto model = makeTrace(kind);
    ImageSurface surface(kAreaSize);
    Renderer renderer(model->store(), surface);
    for (auto _ : state) {
        ++model->unguardedStore().epoch; // rules out the per-record path
        renderer.Redraw(kConnectedBackground);
        benchmark::DoNotOptimize(surface.image().constBits());
    }
}

// Every feature of the trace in one of 20 classes, looked up as the window does: the class by the
// feature's first slot, the colour by the class.
struct ClassColours {
    explicit ClassColours(const TraceStore &store) {
        for (int c = 0; c < 20; ++c)
            colours.insert(QStringLiteral("class %1").arg(c),
                           {std::uint8_t(40 + 10 * c), 128, std::uint8_t(250 - 10 * c)});
        walkRecords(store.Pt, store.PtCount, [&](const WalkStep &step) {
            if (step.event == WalkEvent::Start || step.event == WalkEvent::Point)
                classOf.insert(step.to, QStringLiteral("class %1").arg(classOf.size() % 20));
        });
    }
    std::optional<Rgb> operator()(int firstSlot) const {
        const auto feature = classOf.constFind(firstSlot);
        if (feature == classOf.cend())
            return std::nullopt;
        const auto colour = colours.constFind(*feature);
        return colour == colours.cend() ? std::nullopt : std::optional<Rgb>(*colour);
    }
    QMap<int, QString> classOf;
    QHash<QString, Rgb> colours;
};

void perRecord(benchmark::State &state, TraceKind kind, bool classed) {
    const auto model = makeTrace(kind);
    TraceStore &store = model->unguardedStore();
    ImageSurface surface(kAreaSize);
    Renderer renderer(store, surface);
    if (classed)
        renderer.setFeatureColours(ClassColours(store));
    store.PtCount = kSlotCount;
    for (auto _ : state) {
        if (store.PtCount == kSlotCount) {
            state.PauseTiming();
            store.PtCount = kSlotCount - kPerRecordWindow;
            renderer.Redraw(kConnectedBackground);
            state.ResumeTiming();
        }
        ++store.PtCount;
        renderer.Redraw(kConnectedBackground);
        benchmark::DoNotOptimize(surface.image().constBits());
    }
}

// Collects what the renderer draws, grouped by colour, for the batched baseline.
class PrimitiveCollector : public DrawingSurface {
public:
    struct Batch {
        std::vector<QPointF> points;
        std::vector<QLineF> lines;
        std::vector<QPointF> circleCentres;
        float radius = 0;
    };
    std::map<std::uint32_t, Batch> batches;

    void refresh() override {}
    Rgb backColor() const override { return back_; }
    void setBackColor(Rgb colour) override { back_ = colour; }
    void pset(float x, float y, Rgb colour) override {
        position_ = QPointF(x, y);
        batch(colour).points.push_back(position_);
    }
    void lineTo(float x, float y, Rgb colour) override {
        batch(colour).lines.emplace_back(position_, QPointF(x, y));
        position_ = QPointF(x, y);
    }
    void line(float x1, float y1, float x2, float y2, Rgb colour) override {
        batch(colour).lines.emplace_back(x1, y1, x2, y2);
    }
    void circle(float x, float y, float radius, Rgb colour) override {
        batch(colour).circleCentres.emplace_back(x, y);
        batch(colour).radius = radius;
    }

private:
    Batch &batch(Rgb c) { return batches[qRgb(c.r, c.g, c.b)]; }

    Rgb back_;
    QPointF position_;
};

void batchedBaseline(benchmark::State &state, TraceKind kind) {
    const auto model = makeTrace(kind);
    PrimitiveCollector collector;
    Renderer(model->store(), collector).Redraw(kConnectedBackground);
    QImage image(kAreaSize, QImage::Format_RGB32);
    const Rgb back = kConnectedBackground;
    for (auto _ : state) {
        image.fill(QColor(back.r, back.g, back.b));
        QPainter painter(&image);
        for (const auto &[colour, batch] : collector.batches) {
            QPen pen(QColor::fromRgb(colour), 1);
            pen.setCosmetic(true);
            painter.setPen(pen);
            painter.drawLines(batch.lines.data(), int(batch.lines.size()));
            painter.drawPoints(batch.points.data(), int(batch.points.size()));
            for (const QPointF &centre : batch.circleCentres)
                painter.drawEllipse(centre, batch.radius, batch.radius);
        }
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}

std::string caseName(const char *what, TraceKind kind) {
    return std::string(what) + "/" + kindName(kind);
}

} // namespace
} // namespace digitrace

int main(int argc, char **argv) {
    using namespace digitrace;
    for (TraceKind kind : {TraceKind::Typical, TraceKind::LongSegments}) {
        benchmark::RegisterBenchmark(caseName("FullRepaint", kind).c_str(), fullRepaint, kind)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(caseName("PerRecord", kind).c_str(), perRecord, kind, false)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(caseName("PerRecordClassed", kind).c_str(), perRecord, kind,
                                     true)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(caseName("BatchedBaseline", kind).c_str(), batchedBaseline,
                                     kind)
            ->Unit(benchmark::kMicrosecond);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    bench::RatioReporter reporter(bench::Clock::Cpu);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("\n");
    for (TraceKind kind : {TraceKind::Typical, TraceKind::LongSegments}) {
        const std::string k = kindName(kind);
        reporter.printRatio("per-record / full repaint, " + k, caseName("PerRecord", kind),
                            caseName("FullRepaint", kind), 0.05);
        reporter.printRatio("per-record in class colours / designed colours, " + k,
                            caseName("PerRecordClassed", kind), caseName("PerRecord", kind), 1.10);
        reporter.printRatio("full repaint / batched baseline, " + k, caseName("FullRepaint", kind),
                            caseName("BatchedBaseline", kind), 1.5);
    }
    return 0;
}
