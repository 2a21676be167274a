#include "export/dxf_export.h"
#include "export/dxf_writer.h"
#include "model/trace_model.h"
#include "tests/export/sample_traces.h"
#include "tests/support/record_text.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QLocale>

#include <cfloat>
#include <clocale>
#include <vector>

namespace digitrace {
namespace {

using test::fromLines;
using test::kTrailer;

QByteArray writeToBytes(const TraceStore &store, QByteArrayView head) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(WriteDxf(store, head, buffer));
    return bytes;
}

TEST(DxfWriter, WorkedExampleByteForByte) {
    const TemplateText head = loadDxfTemplate(QStringLiteral("/nonexistent"));
    ASSERT_TRUE(head.error.isEmpty()) << head.error.toStdString();
    const TraceModel model = test::workedExample().model;
    ASSERT_EQ(model.store().MinX, 100.0f);
    ASSERT_EQ(model.store().MinY, 80.0f);

    const QByteArray expected = head.bytes + fromLines(R"(  0
POINT
  8
_0-1_POINT
 62
    7
 10
70.5000
 20
30.0000
  0
LINE
  8
_0-2_LINE
  6
CONTINUOUS
 62
    7
 10
50.0000
 20
50.0000
 11
150.0000
 21
50.0000
  0
LINE
  8
_0-2_LINE
  6
CONTINUOUS
 62
    7
 10
150.0000
 20
50.0000
 11
100.0000
 21
130.0000
  0
LINE
  8
_0-2_LINE
  6
CONTINUOUS
 62
    7
 10
100.0000
 20
130.0000
 11
50.0000
 21
50.0000
  0
ENDSEC
  0
EOF
)");
    EXPECT_EQ(writeToBytes(model.store(), head.bytes), expected);
}

// Entities as the rule should produce them: 'P' and a slot, or 'L' and two slots.
struct Entity {
    char type;
    std::int16_t first, second;
};
constexpr int kOther = -1; // stands for every code but 1 and 2

struct RuleCase {
    const char *name;
    std::vector<int> codes;
    std::vector<Entity> entities;
};

void PrintTo(const RuleCase &c, std::ostream *os) {
    *os << c.name;
}

class EntityRuleTest : public testing::TestWithParam<RuleCase> {};

TEST_P(EntityRuleTest, WritesTheExpectedEntitiesForEveryOtherCode) {
    const RuleCase &c = GetParam();
    for (const int other : {0, 3, 4, 9}) {
        TraceStore store;
        store.MinX = 90;
        store.MinY = 190;
        for (std::size_t i = 0; i < c.codes.size(); ++i) {
            store.Pt.Code[i] = float(c.codes[i] == kOther ? other : c.codes[i]);
            // Every slot at its own place, so that a wrong slot shows.
            store.Pt.X[i] = 100.0f + 10.0f * float(i);
            store.Pt.Y[i] = 200.0f + 7.5f * float(i);
        }
        store.PtCount = std::int16_t(c.codes.size());
        QByteArray expected;
        for (const Entity &e : c.entities) {
            if (e.type == 'P')
                WriteDxfPoint(expected, store, store.Pt.X[std::size_t(e.first)],
                              store.Pt.Y[std::size_t(e.first)]);
            else
                WriteDxfLine(expected, store, e.first, e.second);
        }
        EXPECT_EQ(writeToBytes(store, {}), expected + kTrailer) << "other code " << other;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EntityRuleTest,
    testing::Values(
        RuleCase{"SlotZeroIsNoStart", {kOther}, {{'P', 0, 0}}},
        RuleCase{"StartThenOther", {1, kOther}, {{'P', 1, 0}}},
        RuleCase{"StartVertexOther", {1, 2, kOther}, {{'L', 0, 1}, {'P', 2, 0}}},
        RuleCase{"TriangleClosesToItsStart",
                 {kOther, 1, 2, 2, kOther},
                 {{'P', 0, 0}, {'L', 1, 2}, {'L', 2, 3}, {'L', 3, 1}}},
        RuleCase{"PentagonHasFiveLines",
                 {1, 2, 2, 2, 2, kOther},
                 {{'L', 0, 1}, {'L', 1, 2}, {'L', 2, 3}, {'L', 3, 4}, {'L', 4, 0}}},
        RuleCase{"NewStartClosesNothing", {1, 2, 2, 1, 2}, {{'L', 0, 1}, {'L', 1, 2}, {'L', 3, 4}}},
        RuleCase{
            "TableEndsInsideSequence", {kOther, 1, 2, 2}, {{'P', 0, 0}, {'L', 1, 2}, {'L', 2, 3}}},
        RuleCase{"TwoStartsInARow", {1, 1, 2, kOther}, {{'L', 1, 2}, {'P', 3, 0}}},
        RuleCase{"VerticesWithoutStart", {kOther, 2, 2, kOther}, {{'P', 0, 0}}},
        RuleCase{"EmptyTable", {}, {}}),
    [](const testing::TestParamInfo<RuleCase> &info) { return std::string(info.param.name); });

struct TemplateCase {
    const char *name;
    QByteArray head;
    QByteArray copied;
};

void PrintTo(const TemplateCase &c, std::ostream *os) {
    *os << c.name;
}

class TemplateLinesTest : public testing::TestWithParam<TemplateCase> {};

TEST_P(TemplateLinesTest, EveryLineEndsInCrLf) {
    const TraceStore store;
    EXPECT_EQ(writeToBytes(store, GetParam().head), GetParam().copied + kTrailer);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TemplateLinesTest,
    testing::Values(TemplateCase{"CrLf", "A\r\nB\r\n", "A\r\nB\r\n"},
                    TemplateCase{"LoneCr", "A\rB\r", "A\r\nB\r\n"},
                    TemplateCase{"LoneLfIsText", "A\nB\r\nC", "A\nB\r\nC\r\n"},
                    TemplateCase{"LfOnlyEndsLines", "A\nB\n\nC", "A\r\nB\r\n\r\nC\r\n"},
                    TemplateCase{"NoFinalLineEnd", "A\r\nB", "A\r\nB\r\n"},
                    TemplateCase{"EmptyLinesKept", "A\r\r\n\r\nB\r\n", "A\r\n\r\n\r\nB\r\n"},
                    TemplateCase{"Empty", "", ""}),
    [](const testing::TestParamInfo<TemplateCase> &info) { return std::string(info.param.name); });

struct NumberCase {
    float value;
    const char *text;
};

void PrintTo(const NumberCase &c, std::ostream *os) {
    *os << c.text;
}

class DxfNumberTest : public testing::TestWithParam<NumberCase> {};

TEST_P(DxfNumberTest, SevenDigitsThenFourDecimals) {
    EXPECT_EQ(dxfNumber(GetParam().value).toStdString(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DxfNumberTest,
    testing::Values(NumberCase{1184.39990234375f, "1184.4000"},
                    NumberCase{123456.796875f, "123456.8000"}, NumberCase{70.5f, "70.5000"},
                    NumberCase{0.0f, "0.0000"}, NumberCase{-12.5f, "-12.5000"},
                    NumberCase{0.12345f, "0.1235"}, NumberCase{-0.12345f, "-0.1235"},
                    // Seven digits first: 0.0000499999987 is 0.00005000000, then rounds up.
                    NumberCase{0.00005f, "0.0001"}, NumberCase{0.99999994f, "1.0000"},
                    // Negative values rounding to zero keep the sign; -0 is not negative.
                    NumberCase{-1e-7f, "-0.0000"}, NumberCase{-0.00004f, "-0.0000"},
                    NumberCase{-0.00005f, "-0.0001"}, NumberCase{-0.0f, "0.0000"},
                    NumberCase{1234568.5f, "1234569.0000"},
                    NumberCase{123456789.0f, "123456800.0000"},
                    NumberCase{1234567890123.0f, "1234568000000.0000"},
                    NumberCase{FLT_MAX, "340282300000000000000000000000000000000.0000"}));

// Numbers in the file never follow the locale.
TEST(DxfWriter, CommaDecimalLocaleChangesNothing) {
    const TraceModel model = test::workedExample().model;
    const QByteArray usual = writeToBytes(model.store(), {});

    const QLocale previous;
    const std::string previousC = std::setlocale(LC_ALL, nullptr);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    std::setlocale(LC_ALL, "de_DE.UTF-8"); // where the machine has it
    const QByteArray german = writeToBytes(model.store(), {});
    const QString big = dxfNumber(1234567.0f);
    std::setlocale(LC_ALL, previousC.c_str());
    QLocale::setDefault(previous);

    EXPECT_EQ(german, usual);
    EXPECT_EQ(big, QStringLiteral("1234567.0000"));
}

// A shifted coordinate beyond float would read "inf" in the file: nothing is written instead, and
// the export says why.
TEST(DxfWriter, CoordinatesBeyondFloatWriteNothing) {
    TraceStore s;
    s.PtCount = 2;
    s.Pt.Code[0] = s.Pt.Code[1] = 3;
    s.Pt.X[0] = 3e38f;
    s.Pt.X[1] = s.MinX = -3e38f;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_FALSE(WriteDxf(s, "head\r\n", buffer));
    EXPECT_TRUE(bytes.isEmpty());
    EXPECT_FALSE(dxfCoordinatesFit(s));
    const IoResult result =
        exportDxf(s, QStringLiteral("/nonexistent"), QStringLiteral("/tmp/never.dxf"));
    EXPECT_TRUE(result.error.contains(QStringLiteral("座標が大きすぎる")))
        << result.error.toStdString();
}

// Two exports of one sheet line up as they always have: the shift keeps the box's reset values.
TEST(DxfWriter, ShiftKeepsTheBoxResetValues) {
    struct Row {
        float x, y;
        const char *written;
    } rows[] = {
        {12500, 30000, " 10\r\n10550.0000\r\n 20\r\n28030.0000\r\n"},
        {-5000, -2500, " 10\r\n50.0000\r\n 20\r\n30.0000\r\n"},
        {-3000, 2500, " 10\r\n50.0000\r\n 20\r\n530.0000\r\n"},
    };
    for (const Row &r : rows) {
        TraceModel model(QLocale::c());
        model.ResetTrace();
        model.takeRecord(test::recordText(r.x, r.y, 3));
        EXPECT_TRUE(writeToBytes(model.store(), "").contains(r.written)) << r.x << ", " << r.y;
    }
}

// Only what an entity writes must fit: a polygon's closing record is written nowhere.
TEST(DxfWriter, UnwrittenClosingRecordBeyondFloatIsNoObstacle) {
    TraceStore s;
    s.PtCount = 4;
    const float codes[] = {1, 2, 2, 3};
    const float xs[] = {-1e38f, 0, 0, 3e38f};
    for (std::size_t i = 0; i < 4; ++i) {
        s.Pt.Code[i] = codes[i];
        s.Pt.X[i] = xs[i];
    }
    s.MinX = -1e38f;
    s.MinY = 0;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(dxfCoordinatesFit(s));
    EXPECT_TRUE(WriteDxf(s, "head\r\n", buffer));
    EXPECT_EQ(bytes.count("\r\nLINE\r\n"), 3);
}

} // namespace
} // namespace digitrace
