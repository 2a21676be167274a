#include "acquisition/formats/format_detector.h"
#include "acquisition/formats/tablet_encoder.h"

#include <gtest/gtest.h>

#include <random>

namespace digitrace {
namespace {

// A sheet's worth of clicks as the tablet sends them: cursor reports where the format has them,
// a few bytes of a report already gone when listening starts.
QByteArray sheet(FormatKind kind, int clicks) {
    TabletFormat format;
    format.kind = kind;
    QByteArray bytes;
    for (int i = 0; i < clicks; ++i) {
        const qint64 x = 1000 + 137 * i % 8000, y = 1200 + 71 * i % 7000;
        const int code = i % 5 == 0 ? 1 : 2;
        if (reportsPositions(kind))
            bytes += encodeReport(format, x - 3, y, 0).bytes;
        bytes += encodeReport(format, x, y, code).bytes;
        if (reportsPositions(kind))
            bytes += encodeReport(format, x, y, 0).bytes;
    }
    return bytes.sliced(3);
}

TEST(FormatDetection, NamesEachFormatWithinTwentyRecords) {
    for (const QString &name : builtInFormatNames()) {
        const FormatKind kind = *formatKindFromName(name);
        const QByteArray bytes = sheet(kind, 20);
        FormatDetector detector;
        for (const char byte : bytes) {
            detector.feed(QByteArrayView(&byte, 1));
            if (detector.decided())
                break;
        }
        EXPECT_EQ(detector.decided(), kind) << name.toStdString();
        EXPECT_EQ(detector.ranking().front().kind, kind) << name.toStdString();
    }
}

TEST(FormatDetection, NoiseFitsNothing) {
    std::mt19937 random(7);
    QByteArray noise;
    for (int i = 0; i < 2000; ++i)
        noise += char(random());
    FormatDetector detector;
    detector.feed(noise);
    EXPECT_EQ(detector.decided(), std::nullopt);
    EXPECT_TRUE(detector.nothingFits());
}

} // namespace
} // namespace digitrace
