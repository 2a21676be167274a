// The cost of an export of a full table against the bare cost of putting the same bytes on disk.

#include "export/dxf_export.h"
#include "export/dxf_writer.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

namespace {

using digitrace::TraceStore;

// A full table mixing points, polygons, lines and a one-segment line followed by a point.
const TraceStore &fullTable() {
    static const TraceStore store = [] {
        constexpr std::array<float, 12> kCodes = {4, 1, 2, 2, 2, 3, 1, 2, 2, 1, 2, 0};
        TraceStore s;
        for (int i = 0; i < digitrace::kSlotCount; ++i) {
            const auto slot = std::size_t(i);
            s.Pt.Code[slot] = kCodes[slot % kCodes.size()];
            s.Pt.X[slot] = float(1000 + (i * 37) % 20000) + 0.1f * float(i % 10);
            s.Pt.Y[slot] = float(500 + (i * 53) % 15000) + 0.1f * float(i % 7);
        }
        s.PtCount = digitrace::kSlotCount;
        s.MinX = 1000;
        s.MinY = 500;
        return s;
    }();
    return store;
}

struct Scratch {
    QTemporaryDir dir; // also AppDir: it holds no DxfHead.txt, so the built-in one is used
    QString path = dir.filePath(QStringLiteral("trace.dxf"));
};

// The exported bytes, written once by the exporter itself.
const QByteArray &exportedBytes() {
    static const QByteArray bytes = [] {
        Scratch scratch;
        if (!digitrace::exportDxf(fullTable(), scratch.dir.path(), scratch.path).ok())
            std::abort();
        QFile file(scratch.path);
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }();
    return bytes;
}

void ExportFullTable(benchmark::State &state) {
    Scratch scratch;
    for (auto _ : state) {
        const digitrace::IoResult result =
            digitrace::exportDxf(fullTable(), scratch.dir.path(), scratch.path);
        if (!result.ok())
            state.SkipWithError(qPrintable(result.error));
    }
    state.SetBytesProcessed(state.iterations() * exportedBytes().size());
}

void SingleWriteSaveFile(benchmark::State &state) {
    Scratch scratch;
    for (auto _ : state) {
        QSaveFile file(scratch.path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) ||
            file.write(exportedBytes()) != exportedBytes().size() || !file.commit())
            state.SkipWithError("write failed");
    }
    state.SetBytesProcessed(state.iterations() * exportedBytes().size());
}

// The same pair without the save file's sync to disk: what the writer itself costs.
void WriteDxfToFile(benchmark::State &state) {
    Scratch scratch;
    const QByteArray head = digitrace::loadDxfTemplate(scratch.dir.path()).bytes;
    for (auto _ : state) {
        QFile file(scratch.path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered);
        if (!digitrace::WriteDxf(fullTable(), head, file))
            state.SkipWithError("write failed");
    }
}

void SingleWriteToFile(benchmark::State &state) {
    Scratch scratch;
    for (auto _ : state) {
        QFile file(scratch.path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered);
        if (file.write(exportedBytes()) != exportedBytes().size())
            state.SkipWithError("write failed");
    }
}

BENCHMARK(ExportFullTable)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(SingleWriteSaveFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(WriteDxfToFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(SingleWriteToFile)->Unit(benchmark::kMillisecond)->UseRealTime();

// Keeps each benchmark's real time per iteration, the median when it is repeated, for the ratios
// printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override {
        for (const Run &run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if ((median || run.run_type == Run::RT_Iteration) && !run.error_occurred)
                seconds_[run.run_name.function_name] = run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void printRatio(const char *what, const std::string &slow, const std::string &fast) const {
        if (seconds_.count(slow) && seconds_.count(fast))
            std::printf("%s: %.2f (target <= 2)\n", what, seconds_.at(slow) / seconds_.at(fast));
    }

private:
    std::map<std::string, double> seconds_;
};

} // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatio("export of a full table / one write of the same bytes", "ExportFullTable",
                        "SingleWriteSaveFile");
    reporter.printRatio("writer alone / one write, without the sync to disk", "WriteDxfToFile",
                        "SingleWriteToFile");
    benchmark::Shutdown();
    return 0;
}
