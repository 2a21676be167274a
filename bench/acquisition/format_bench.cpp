// Tablet formats at the line: decoding a minute of 19,200 baud of each binary family, against the
// minute it takes the line to carry it; and how many records of the sample sheet detection needs
// to name each format, and how long it takes.

#include "acquisition/formats/format_detector.h"
#include "acquisition/formats/record_decoder.h"
#include "acquisition/formats/tablet_encoder.h"
#include "acquisition/simulated_port.h"
#include "bench/support/run_benchmarks.h"
#include "model/numeric_value.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <cmath>
#include <cstdio>
#include <map>

namespace digitrace {
namespace {

// 8 data bits, a start and a stop bit.
constexpr double kLineBytesPerSecond = 19200 / 10.0;
constexpr double kLineSeconds = 60;

struct Click {
    qint64 x;
    qint64 y;
    int code;
};

// The sample sheet in whole counts; the end code 0 is sent as button 6.
std::vector<Click> sheetClicks() {
    std::vector<Click> clicks;
    for (const QByteArray &record : SimulatedPort::bundledSample().split('\r')) {
        const QString text = QString::fromLatin1(record);
        if (text.size() == 19)
            clicks.push_back({qint64(std::nearbyint(numericValue(text.first(9)))),
                              qint64(std::nearbyint(numericValue(text.sliced(9, 9)))),
                              text.back().digitValue()});
    }
    return clicks;
}

// Hover, press, held, release for each click of the sheet, round and round.
QByteArray lineMinute(const TabletFormat &format) {
    const std::vector<Click> clicks = sheetClicks();
    QByteArray bytes;
    for (std::size_t i = 0; bytes.size() < kLineBytesPerSecond * kLineSeconds; ++i) {
        const Click &c = clicks[i % clicks.size()];
        const int button = c.code == 0 ? 6 : c.code;
        for (const int b : {0, button, button, 0})
            bytes += encodeReport(format, c.x, c.y, b).bytes;
    }
    return bytes;
}

void decodeMinute(benchmark::State &state, FormatKind kind) {
    TabletFormat format = *TabletFormat::named(formatName(kind));
    const QByteArray bytes = lineMinute(format);
    qint64 records = 0;
    for (auto _ : state) {
        RecordDecoder decoder(format);
        // Reads as a serial port hands them over: a few dozen bytes at a time.
        for (qsizetype at = 0; at < bytes.size(); at += 32)
            records += decoder
                           .feed(QByteArrayView(bytes).sliced(
                               at, std::min<qsizetype>(32, bytes.size() - at)))
                           .records.size();
    }
    benchmark::DoNotOptimize(records);
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

// Records of the sheet each format needed to be named.
std::map<std::string, int> detections;

void detectSheet(benchmark::State &state, FormatKind kind) {
    TabletFormat format = *TabletFormat::named(formatName(kind));
    format.buttons.set(6, 0);
    std::vector<QByteArray> perRecord;
    for (const Click &c : sheetClicks()) {
        QByteArray bytes;
        const int button = kind == FormatKind::Fixed19 ? c.code : *format.buttons.buttonFor(c.code);
        if (reportsPositions(kind))
            bytes += encodeReport(format, c.x, c.y, 0).bytes;
        bytes += encodeReport(format, c.x, c.y, button).bytes;
        if (reportsPositions(kind))
            bytes += encodeReport(format, c.x, c.y, 0).bytes;
        perRecord.push_back(bytes);
    }
    int needed = -1;
    for (auto _ : state) {
        FormatDetector detector;
        needed = -1;
        for (std::size_t i = 0; i < perRecord.size() && needed < 0; ++i) {
            detector.feed(perRecord[i]);
            if (detector.decided() == kind)
                needed = int(i) + 1;
        }
    }
    detections[formatName(kind).toStdString()] = needed;
}

} // namespace
} // namespace digitrace

int main(int argc, char **argv) {
    using namespace digitrace;
    QCoreApplication app(argc, argv);
    for (const FormatKind kind :
         {FormatKind::SummaMm, FormatKind::WacomIv, FormatKind::CalcompBinary})
        benchmark::RegisterBenchmark(("DecodeLineMinute/" + formatName(kind).toStdString()).c_str(),
                                     decodeMinute, kind)
            ->Unit(benchmark::kMillisecond);
    for (const QString &name : builtInFormatNames())
        benchmark::RegisterBenchmark(("DetectSheet/" + name.toStdString()).c_str(), detectSheet,
                                     *formatKindFromName(name))
            ->Unit(benchmark::kMicrosecond);

    // Means per benchmark, for the figures below.
    class Keeper : public benchmark::ConsoleReporter {
    public:
        void ReportRuns(const std::vector<Run> &runs) override {
            for (const Run &run : runs)
                if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                    seconds[run.benchmark_name()] =
                        run.GetAdjustedRealTime() /
                        (run.time_unit == benchmark::kMillisecond ? 1e3 : 1e6);
            ConsoleReporter::ReportRuns(runs);
        }
        std::map<std::string, double> seconds;
    } reporter;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("\n");
    for (const auto &[name, seconds] : reporter.seconds) {
        if (name.rfind("DecodeLineMinute/", 0) == 0) {
            const double ratio = kLineSeconds / seconds;
            std::printf("%-40s line time / decoding time %10.0f  (target >= 1000: %s)\n",
                        name.c_str(), ratio, ratio >= 1000 ? "met" : "MISSED");
        } else if (name.rfind("DetectSheet/", 0) == 0) {
            const int needed = detections[name.substr(12)];
            std::printf("%-40s decided after %d record(s) in %.0f us  (target <= 20: %s)\n",
                        name.c_str(), needed, seconds * 1e6,
                        needed > 0 && needed <= 20 ? "met" : "MISSED");
        }
    }
    return 0;
}
