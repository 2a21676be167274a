#include "acquisition/formats/custom_layout.h"
#include "acquisition/formats/format_option.h"
#include "acquisition/formats/tablet_format.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

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

TEST(ButtonTableText, ButtonsNameCommandsThatReadBack) {
    const std::optional<ButtonTable> puck =
        ButtonTable::fromText(u"1=1 7=next-class 8=class:等高線 9=up 10=down 11=same 12=back "
                              u"13=clear-undo 14=close-polygon 15=follow");
    ASSERT_TRUE(puck);
    EXPECT_EQ(ButtonTable::fromText(puck->toText()), puck);
    EXPECT_EQ(puck->command(8),
              (TabletCommand{CommandKind::ChooseClass, QStringLiteral("等高線")}));
    EXPECT_EQ(puck->code(8), std::nullopt);
    EXPECT_EQ(puck->command(15), (TabletCommand{CommandKind::Follow, {}}));
    EXPECT_EQ(puck->command(1), std::nullopt);
}

TEST(ButtonTableText, RefusesWhatDoesNotRead) {
    const struct {
        QString text;
        QString named; // what the message quotes
    } rows[] = {{"17=1", "17=1"},         {"1=10", "1=10"},   {"1:1", "1:1"},
                {"a=1", "a=1"},           {"1=1 1=4", "1=4"}, {"7=next", "7=next"},
                {"8=class:", "8=class:"}, {"7=up 7=2", "7=2"}};
    for (const auto &row : rows) {
        QString error;
        EXPECT_FALSE(ButtonTable::fromText(row.text, &error)) << row.text.toStdString();
        EXPECT_TRUE(error.contains(row.named)) << error.toStdString();
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

// The example README gives a site, comments and all, and a '#' that is a value.
TEST(CustomLayoutText, ReadsValuesBeforeTheirComments) {
    const char *readme =
        "order = button,x,y        # or: columns = 1-6,7-12,13   (X, Y, button)\n"
        "separator = ;             # one character, or space or tab\n"
        "button = flags            # decimal, hex, calcomp (code minus '0'), flags (1/2/4/8: "
        "buttons 1-4)\n"
        "no-button = 0             # the value of a position report, or none\n"
        "line-end = crlf           # cr, lf, crlf or any: how the simulated tablet ends lines\n";
    CustomLayout expected;
    expected.order = {CustomLayout::B, CustomLayout::X, CustomLayout::Y};
    expected.separator = ';';
    expected.button = CustomLayout::Button::Flags;
    expected.lineEnd = CustomLayout::LineEnd::CrLf;
    QString error;
    EXPECT_EQ(CustomLayout::fromText(readme, &error), expected) << error.toStdString();
    expected.separator = '#';
    EXPECT_EQ(CustomLayout::fromText(expected.toText() + "#end\n", &error), expected)
        << error.toStdString();
}

TEST(CustomLayoutText, NamesTheLineThatDoesNotRead) {
    const struct {
        const char *text;
        int line;
    } rows[] = {
        {"order = x,x,button\n", 1},
        {"# shared\nseparator = 5\n", 2},
        {"columns = 1-9,10-18\n", 1},
        {"button = octal\n", 1},
        {"\nno-button = -1\n", 2},
        {"line-end = cr\nspeed = 9600\n", 2},
        {"order x,y,button\n", 1},
        {"button = hex\nbutton = decimal\n", 2},
        {"columns = 1-9,10-18,19\norder = x,y,button\n", 2},
        {"separator = ;\ncolumns = 1-9,10-18,19\n", 2},
        {"columns = 1-9,9-18,19\n", 1},
    };
    for (const auto &row : rows) {
        QString error;
        EXPECT_FALSE(CustomLayout::fromText(row.text, &error)) << row.text;
        EXPECT_TRUE(error.startsWith(QStringLiteral("%1 ").arg(row.line))) << error.toStdString();
    }
}

// Opening a pipe would wait for a writer: replay and the simulator would hang.
TEST(FormatOption, RefusesALayoutThatIsNoRegularFile) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("layout.fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString &path : {fifo, QStringLiteral("/dev/zero"), dir.path()}) {
        QString error;
        EXPECT_FALSE(formatFromCommandLine(QStringLiteral("custom"), path, &error));
        EXPECT_TRUE(error.contains(QStringLiteral("not a regular file"))) << error.toStdString();
    }
}

} // namespace
} // namespace digitrace
