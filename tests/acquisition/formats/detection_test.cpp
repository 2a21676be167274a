#include "acquisition/formats/format_detector.h"
#include "acquisition/formats/tablet_encoder.h"

#include <gtest/gtest.h>

#include <array>
#include <random>

namespace digitrace {
namespace {

// A sheet's worth of clicks as the tablet sends them: cursor reports where the format has them,
// a few bytes of a report already gone when listening starts.
// CalComp 2000 coordinates of five digits: four-digit lines with button 0 read as Bit Pad key-0
// records too, a row of their own below.
QByteArray sheet(FormatKind kind, int clicks) {
    TabletFormat format;
    format.kind = kind;
    const qint64 wide = kind == FormatKind::Calcomp2000 ? 10000 : 0;
    QByteArray bytes;
    for (int i = 0; i < clicks; ++i) {
        const qint64 x = wide + 1000 + 137 * i % 8000, y = 1200 + 71 * i % 7000;
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
        const QByteArray bytes = sheet(kind, 21); // the first cut by the start of listening
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

QByteArray reports(const char *name, const QList<std::array<int, 3>> &xyButton,
                   const QByteArray &after = {}) {
    const TabletFormat format = *TabletFormat::named(QString::fromLatin1(name));
    QByteArray bytes;
    for (const auto &[x, y, button] : xyButton)
        bytes += encodeReport(format, x, y, button).bytes + after;
    return bytes;
}

// A traced polygon's worth of presses: hovering, then each vertex pressed and released.
QList<std::array<int, 3>> presses(int count, int left = 1000) {
    QList<std::array<int, 3>> list;
    for (int i = 0; i < count; ++i)
        list << std::array{left + 40 * i, 2000 + 30 * i, 0}
             << std::array{left + 40 * i, 2000 + 30 * i, 1};
    return list;
}

struct ReadingCase {
    const char *name;
    QByteArray bytes;
    QStringList named; // the formats named, the best first; none when nothing may be named
};

TEST(FormatDetection, NamesEveryReadingThatCouldBeMeant) {
    const ReadingCase rows[] = {
        // xf86-input-wacom (src/wcmSerial.c) and KuuubeTD's protocol IVe parser
        // (parsers/wacom_ive_1_4.py): with tilt on, two bytes of tilt, 0x40 level, follow each
        // 7-byte report.
        {"wacom_iv_nine_byte_tilt_packets",
         reports("wacom-iv", presses(10), QByteArray("\x4A\x38", 2)),
         {"wacom-iv"}},
        // A BitPad II cursor may number its keys 0123 (KuuubeTD docs/wacom_ive_1_4.md, "BitPad
        // II cursor data"): key 0 presses are records, which CalComp 2000 reads as hovering.
        {"bitpad_key_0_presses_also_calcomp_hover",
         QByteArray("1000,2000,0\r\n1040,2030,1\r\n1080,2060,0\r\n1120,2090,0\r\n"
                    "1160,2120,2\r\n1200,2150,0\r\n"),
         {"bitpad-ascii", "calcomp2000"}},
        // gpm's SummaSketch writer (src/drivers/summa/r.c) sends 0x98 plus the buttons; a tablet
        // set to end each report with CR LF makes it 7 bytes, the length of a protocol IV
        // report, which reads it without a single record.
        {"summa_mm_with_cr_lf_also_wacom_iv",
         [] {
             QByteArray bytes;
             for (int i = 0; i < 10; ++i)
                 for (const char flags : {'\x98', '\x99'})
                     bytes += QByteArray(1, flags) + char(i) + char(2) + char(3) + char(4) + "\r\n";
             return bytes;
         }(),
         {"wacom-iv", "summa-mm"}},
        // Three reports a noise burst happened to frame decide nothing.
        {"three_reports_of_noise",
         reports("summa-mm", presses(1)) + reports("summa-mm", {{5, 5, 1}}),
         {}},
        {"calcomp_2000_five_digits", reports("calcomp2000", presses(6, 10000)), {"calcomp2000"}},
    };
    for (const ReadingCase &r : rows) {
        FormatDetector detector;
        detector.feed(r.bytes);
        QStringList named;
        for (const FormatCandidate &c : detector.readings())
            named << formatName(c.kind);
        EXPECT_EQ(named, r.named) << r.name;
        if (r.named.size() != 1) {
            EXPECT_EQ(detector.decided(), std::nullopt) << r.name;
        }
    }
}

// At 7 data bits bit 7 never arrives: a binary format is never named for such a line.
TEST(FormatDetection, SevenDataBitsNameNoBinaryFormat) {
    FormatDetector detector(7);
    detector.feed(sheet(FormatKind::SummaMm, 20));
    for (const FormatCandidate &c : detector.ranking())
        EXPECT_FALSE(isBinaryFormat(c.kind)) << formatName(c.kind).toStdString();
}

} // namespace
} // namespace digitrace
