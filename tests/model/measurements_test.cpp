#include "model/measurements.h"

#include <gtest/gtest.h>

#include <limits>
#include <utility>

namespace digitrace {
namespace {

const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);
const QLocale kGerman(QLocale::German, QLocale::Germany);

struct UnitCase {
    float scale;
    float factor;
    const char16_t *length;
    const char16_t *area;
};

class UnitChoiceTest : public testing::TestWithParam<UnitCase> {};

TEST_P(UnitChoiceTest, RowBySinglePrecisionBounds) {
    const UnitCase c = GetParam();
    const UnitChoice u = chooseUnit(c.scale);
    EXPECT_EQ(u.factor, c.factor);
    EXPECT_EQ(u.lengthSuffix, QString::fromUtf16(c.length));
    EXPECT_EQ(u.areaSuffix, QString::fromUtf16(c.area));
}

INSTANTIATE_TEST_SUITE_P(
    Edges, UnitChoiceTest,
    testing::Values(UnitCase{1.0f, 1.0f, u" mm", u" mm2"}, UnitCase{9.9f, 9.9f, u" mm", u" mm2"},
                    UnitCase{9.95f, float(9.95f / 1e6), u" km", u" km2"},
                    UnitCase{10.0f, 1.0f, u" cm", u" cm2"},
                    UnitCase{99.9f, float(99.9f / 10.0), u" cm", u" cm2"},
                    UnitCase{99.95f, float(99.95f / 1e6), u" km", u" km2"},
                    UnitCase{100.0f, 0.1f, u" \uFF4D", u" \uFF4D2"},
                    UnitCase{9999.9f, float(9999.9f / 1000.0), u" \uFF4D", u" \uFF4D2"},
                    UnitCase{10000.0f, 0.01f, u" km", u" km2"}));

TEST(UnitChoice, MetreLetterIsFullwidth) {
    EXPECT_NE(chooseUnit(1000).lengthSuffix, QStringLiteral(" m"));
    EXPECT_EQ(chooseUnit(1000).lengthSuffix.at(1).unicode(), 0xFF4D);
}

// Always grouped in threes with ASCII digits: only the locale's two symbols are taken, even where
// its own rules group otherwise or write other digits.
TEST(formatFixed, GroupsAndDecimalsPerLocale) {
    struct Row {
        double value;
        int decimals;
        const char16_t *english, *german, *c, *spanish, *hindi, *arabic;
    };
    const Row rows[] = {
        {0, 2, u"0.00", u"0,00", u"0.00", u"0,00", u"0.00", u"0\u066B00"},
        {1234.5, 2, u"1,234.50", u"1.234,50", u"1,234.50", u"1.234,50", u"1,234.50",
         u"1\u066C234\u066B50"},
        {1234567.891, 2, u"1,234,567.89", u"1.234.567,89", u"1,234,567.89", u"1.234.567,89",
         u"1,234,567.89", u"1\u066C234\u066C567\u066B89"},
        {10000, 4, u"10,000.0000", u"10.000,0000", u"10,000.0000", u"10.000,0000", u"10,000.0000",
         u"10\u066C000\u066B0000"},
        {0.375, 4, u"0.3750", u"0,3750", u"0.3750", u"0,3750", u"0.3750", u"0\u066B3750"},
        {999.999, 2, u"1,000.00", u"1.000,00", u"1,000.00", u"1.000,00", u"1,000.00",
         u"1\u066C000\u066B00"},
        {152399025, 4, u"152,399,025.0000", u"152.399.025,0000", u"152,399,025.0000",
         u"152.399.025,0000", u"152,399,025.0000", u"152\u066C399\u066C025\u066B0000"},
    };
    const std::pair<QLocale, const char16_t * Row::*> columns[] = {
        {kEnglish, &Row::english},
        {kGerman, &Row::german},
        {QLocale::c(), &Row::c},
        {QLocale(QLocale::Spanish, QLocale::Spain), &Row::spanish},
        {QLocale(QLocale::Hindi, QLocale::India), &Row::hindi},
        {QLocale(QLocale::Arabic, QLocale::SaudiArabia), &Row::arabic},
    };
    for (const Row &r : rows)
        for (const auto &[locale, text] : columns)
            EXPECT_EQ(formatFixed(r.value, r.decimals, locale).toStdString(),
                      QString::fromUtf16(r.*text).toStdString())
                << locale.name().toStdString();
}

TEST(formatFixed, NeverShowsInfinityOrNan) {
    for (double v : {std::numeric_limits<double>::infinity(), std::nan("")}) {
        const QString text = formatFixed(v, 2, kEnglish).toLower();
        EXPECT_FALSE(text.contains(QLatin1String("inf")) || text.contains(QLatin1String("nan")));
    }
}

// The triangle (10,10), (40,10), (10,50) closed by a record in slot 3.
TraceStore triangle(float scale) {
    TraceStore s;
    const float xs[] = {10, 40, 10, 999}, ys[] = {10, 10, 50, -999};
    for (int i = 0; i < 4; ++i) {
        s.Pt.X[i] = xs[i];
        s.Pt.Y[i] = ys[i];
    }
    s.PtCount = 3;
    s.SeqStart = 0;
    s.ScaleDenom = scale;
    return s;
}

TEST(Measurements, TriangleGoldenTexts) {
    struct Row {
        float scale;
        const char16_t *closing, *perimeter, *area;
    };
    const Row rows[] = {
        {5, u"200.00 mm", u"600.00 mm", u"15,000.0000 mm2"},
        {50, u"200.00 cm", u"600.00 cm", u"15,000.0000 cm2"},
        {99.9f, u"399.60 cm", u"1,198.80 cm", u"59,880.0527 cm2"},
        {1000, u"40.00 \uFF4D", u"120.00 \uFF4D", u"600.0000 \uFF4D2"},
        {25000, u"1.00 km", u"3.00 km", u"0.3750 km2"},
        {9.95f, u"0.00 km", u"0.00 km", u"0.0000 km2"},
    };
    for (const Row &r : rows) {
        const TraceStore s = triangle(r.scale);
        EXPECT_EQ(LengthText(s, 3, kEnglish), QString::fromUtf16(r.closing)) << r.scale;
        EXPECT_EQ(LengthText(s, 4, kEnglish), QString::fromUtf16(r.perimeter)) << r.scale;
        EXPECT_EQ(AreaText(s, kEnglish), QString::fromUtf16(r.area)) << r.scale;
    }
}

// A tablet counting in tenths of a mm measures as a scale ten times smaller would.
TEST(Measurements, TabletUnitScalesAsTheDenominatorWould) {
    const struct {
        float scale;
        double unitMm;
        float sameAsScale;
    } rows[] = {{1000, 0.1, 100}, {2500, 0.01, 25}, {50, 25.4, 1270}, {1000, 1, 1000}};
    for (const auto &r : rows) {
        TraceStore withUnit = triangle(r.scale);
        withUnit.tabletUnitMm = r.unitMm;
        const TraceStore plain = triangle(r.sameAsScale);
        for (std::int16_t mode : {ClosingSegment, Perimeter})
            EXPECT_EQ(LengthText(withUnit, mode, kEnglish), LengthText(plain, mode, kEnglish))
                << r.scale << " " << r.unitMm;
        EXPECT_EQ(AreaText(withUnit, kEnglish), AreaText(plain, kEnglish))
            << r.scale << " " << r.unitMm;
    }
}

TEST(Measurements, ModesOutsideOneToThreeMeasureThePerimeter) {
    const TraceStore s = triangle(1000);
    for (std::int16_t mode : {0, -1, 4, 7, 32767})
        EXPECT_EQ(LengthText(s, mode, kEnglish), QString::fromUtf16(u"120.00 \uFF4D")) << mode;
}

TEST(Measurements, AreaIgnoresDirectionAndTheClosingRecord) {
    TraceStore forward = triangle(1000);
    TraceStore backward = forward;
    std::swap(backward.Pt.X[1], backward.Pt.X[2]);
    std::swap(backward.Pt.Y[1], backward.Pt.Y[2]);
    backward.Pt.X[3] = -12345;
    EXPECT_EQ(AreaText(forward, kEnglish), AreaText(backward, kEnglish));
    EXPECT_EQ(LengthText(forward, 4, kEnglish), LengthText(backward, 4, kEnglish));
}

TEST(Measurements, EmptySegmentListsGiveZero) {
    TraceStore s = triangle(1000);
    s.SeqStart = 3; // P == SeqStart
    EXPECT_EQ(LengthText(s, 1, kEnglish), QString::fromUtf16(u"0.00 \uFF4D"));
    EXPECT_EQ(LengthText(s, 2, kEnglish), QString::fromUtf16(u"0.00 \uFF4D"));
    s.SeqStart = 2; // P == SeqStart + 1: the open line is the newest segment
    EXPECT_EQ(LengthText(s, 2, kEnglish), LengthText(s, 1, kEnglish));
}

TEST(Measurements, StatesOutsideTheTableReadNothing) {
    TraceStore s = triangle(1000);
    s.PtCount = 0;
    EXPECT_EQ(AreaText(s, kEnglish), QString::fromUtf16(u"0.0000 \uFF4D2"));
    EXPECT_EQ(LengthText(s, 4, kEnglish), QString::fromUtf16(u"0.00 \uFF4D"));
    s.PtCount = kSlotCount;
    EXPECT_EQ(LengthText(s, 1, kEnglish), QString::fromUtf16(u"0.00 \uFF4D"));
}

TEST(Measurements, OverflowShowsNoInfinity) {
    TraceStore s = triangle(1e30f);
    s.Pt.X[1] = 3e38f;
    s.Pt.X[0] = -3e38f;
    for (const QString &t : {LengthText(s, 4, kEnglish), AreaText(s, kEnglish)})
        EXPECT_FALSE(t.contains(QLatin1String("inf")) || t.contains(QLatin1String("nan")))
            << t.toStdString();
}

} // namespace
} // namespace digitrace
