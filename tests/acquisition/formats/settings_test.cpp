#include "acquisition/formats/custom_layout.h"
#include "acquisition/formats/tablet_format.h"

#include <gtest/gtest.h>

namespace digitrace {
namespace {

TEST(ButtonTableText, DefaultReadsBackAndCodesFollowTheTable) {
    const ButtonTable table;
    EXPECT_EQ(ButtonTable::fromText(table.toText()), table);
    const std::optional<ButtonTable> puck = ButtonTable::fromText(u"1=1, 2=2 4=3 16=0");
    ASSERT_TRUE(puck);
    EXPECT_EQ(puck->code(4), 3);
    EXPECT_EQ(puck->code(3), std::nullopt);
    EXPECT_EQ(puck->buttonFor(0), 16);
}

TEST(ButtonTableText, RefusesWhatDoesNotRead) {
    for (const QString &text : QStringList{"17=1", "1=10", "1:1", "a=1"}) {
        QString error;
        EXPECT_FALSE(ButtonTable::fromText(text, &error)) << text.toStdString();
        EXPECT_TRUE(error.contains(text)) << error.toStdString();
    }
}

TEST(CustomLayoutText, EveryKindOfLayoutReadsBack) {
    CustomLayout columns;
    columns.columns = {{{1, 6}, {7, 12}, {13, 13}}};
    columns.button = CustomLayout::Button::Hex;
    columns.noButton.reset();
    CustomLayout separated;
    separated.order = {CustomLayout::B, CustomLayout::X, CustomLayout::Y};
    separated.separator = ' ';
    separated.button = CustomLayout::Button::Flags;
    separated.lineEnd = CustomLayout::LineEnd::CrLf;
    for (const CustomLayout &layout : {CustomLayout{}, columns, separated}) {
        QString error;
        EXPECT_EQ(CustomLayout::fromText(layout.toText(), &error), layout) << error.toStdString();
    }
}

TEST(CustomLayoutText, NamesTheLineThatDoesNotRead) {
    const struct {
        const char *text;
        int line;
    } rows[] = {
        {"order = x,x,button\n", 1},  {"# shared\nseparator = 5\n", 2},
        {"columns = 1-9,10-18\n", 1}, {"button = octal\n", 1},
        {"\nno-button = -1\n", 2},    {"line-end = cr\nspeed = 9600\n", 2},
        {"order x,y,button\n", 1},
    };
    for (const auto &row : rows) {
        QString error;
        EXPECT_FALSE(CustomLayout::fromText(row.text, &error)) << row.text;
        EXPECT_TRUE(error.startsWith(QStringLiteral("%1 ").arg(row.line))) << error.toStdString();
    }
}

} // namespace
} // namespace digitrace
