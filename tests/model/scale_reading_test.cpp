#include "model/scale_reading.h"

#include <gtest/gtest.h>

#include <optional>

namespace digitrace {
namespace {

const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);
const QLocale kGerman(QLocale::German, QLocale::Germany);
const QLocale kJapanese(QLocale::Japanese, QLocale::Japan);

// The question before connecting: asked with the rule's denominator exactly when a person would
// read another one.
TEST(ScaleQuestion, Rows) {
    const struct {
        const char16_t *text;
        const QLocale &locale;
        std::optional<double> person;
        const char *asked; // the denominator in the question; null: no question
    } rows[] = {
        {u"1000", kEnglish, 1000, nullptr},
        {u"2500", kGerman, 2500, nullptr},
        {u"-500", kEnglish, 500, nullptr},
        {u"12.5", kEnglish, 12.5, nullptr},
        {u"0.11", kEnglish, 0.11, nullptr},
        {u"1:2500", kEnglish, 2500, "1"},
        {u"1/2500", kJapanese, 2500, "1"},
        {u"1 : 25 000", kEnglish, 25000, "1"},
        {u"2,500", kEnglish, 2500, "2"},
        {u"2,500", kGerman, 2.5, "2"},
        {u"2.500", kGerman, 2500, "2.5"},
        {u"2.500", kEnglish, 2.5, nullptr},
        {u"1,234,567.5", kEnglish, 1234567.5, "1"},
        {u"2 500", kEnglish, 2500, nullptr}, // the rule skips blanks too
        {u"２５００", kJapanese, 2500, "1"},
        {u"１：５００", kJapanese, 500, "1"},
        {u"0.1", kEnglish, 0.1, "1"},
        {u"0.05", kEnglish, 0.05, "1"},
        {u"", kEnglish, {}, nullptr},
        {u"0", kEnglish, 0, nullptr},
        {u"abc", kEnglish, {}, nullptr},
        {u"25,00", kEnglish, {}, nullptr},
        {u"1e3", kEnglish, {}, nullptr},
    };
    for (const auto &r : rows) {
        const QString text = QString::fromUtf16(r.text);
        EXPECT_EQ(scaleAsReadByPerson(text, r.locale), r.person)
            << text.toStdString() << " " << r.locale.name().toStdString();
        const std::optional<float> asked = scaleWorthAsking(text, r.locale);
        EXPECT_EQ(asked ? std::optional(plainDenominator(*asked)) : std::nullopt,
                  r.asked ? std::optional(QString::fromLatin1(r.asked)) : std::nullopt)
            << text.toStdString() << " " << r.locale.name().toStdString();
    }
}

TEST(ScaleQuestion, PlainDenominator) {
    EXPECT_EQ(plainDenominator(2500), QStringLiteral("2500"));
    EXPECT_EQ(plainDenominator(0.11f), QStringLiteral("0.11"));
    EXPECT_EQ(plainDenominator(1e7f), QStringLiteral("10000000"));
    EXPECT_EQ(plainDenominator(123456.8f), QStringLiteral("123456.8"));
}

} // namespace
} // namespace digitrace
