#include "model/numeric_value.h"

#include <QString>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace digitrace {
namespace {

struct ValueCase {
    const char16_t *text;
    double expected;
};

class NumericValueTest : public testing::TestWithParam<ValueCase> {};

TEST_P(NumericValueTest, ReadsLongestLeadingNumber) {
    const ValueCase c = GetParam();
    EXPECT_EQ(numericValue(QString::fromUtf16(c.text)), c.expected)
        << QString::fromUtf16(c.text).toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Rows, NumericValueTest,
    testing::Values(ValueCase{u"", 0}, ValueCase{u"   ", 0}, ValueCase{u"  1234.56", 1234.56},
                    ValueCase{u"12,5", 12}, ValueCase{u"1 2\t3\n4", 1234}, ValueCase{u"- 5", -5},
                    ValueCase{u"+7", 7}, ValueCase{u".5", 0.5}, ValueCase{u"5.", 5},
                    ValueCase{u".", 0}, ValueCase{u"-", 0}, ValueCase{u"+-1", 0},
                    ValueCase{u"1.2.3", 1.2}, ValueCase{u"1e3", 1000}, ValueCase{u"1E-2", 0.01},
                    ValueCase{u"2e", 2}, ValueCase{u"2e+", 2}, ValueCase{u"3e+2x", 300},
                    ValueCase{u"abc", 0}, ValueCase{u"12\r34", 12}, ValueCase{u"1e-400", 0},
                    ValueCase{u"\u00e912", 0}, ValueCase{u"0x10", 0},
                    ValueCase{u"00012.50", 12.5}));

TEST(numericValue, HugeNumbersReadAsInfinity) {
    EXPECT_EQ(numericValue(u"1e400"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(numericValue(u"-9e99999999999999999"), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(numericValue(u"0.000001e-400"), 0.0);
}

struct ScaleCase {
    const char16_t *text;
    float expected;
};

class ScaleDenomTest : public testing::TestWithParam<ScaleCase> {};

TEST_P(ScaleDenomTest, MagnitudeWithSmallValuesAsOne) {
    const ScaleCase c = GetParam();
    EXPECT_EQ(scaleDenomFromText(QString::fromUtf16(c.text)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, ScaleDenomTest,
                         testing::Values(ScaleCase{u"1000", 1000.0f}, ScaleCase{u"0", 1.0f},
                                         ScaleCase{u"", 1.0f}, ScaleCase{u"abc", 1.0f},
                                         ScaleCase{u"-500", 500.0f}, ScaleCase{u"0.1", 1.0f},
                                         ScaleCase{u"-0.1", 1.0f}, ScaleCase{u"0.11", 0.11f},
                                         ScaleCase{u"2500.5", 2500.5f}, ScaleCase{u"1e39", 1.0f}));

TEST(ToSingle, RefusesWhatFloatCannotHold) {
    EXPECT_EQ(toSingle(123456.78), 123456.78f);
    EXPECT_FALSE(toSingle(1e39));
    EXPECT_FALSE(toSingle(-1e39));
    EXPECT_FALSE(toSingle(std::nan("")));
    EXPECT_EQ(roundToSingle(-1e39), -std::numeric_limits<float>::infinity());
}

} // namespace
} // namespace digitrace
