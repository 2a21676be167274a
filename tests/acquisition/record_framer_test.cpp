#include "acquisition/record_framer.h"

#include <gtest/gtest.h>

#include <vector>

namespace digitrace {
namespace {

const QByteArray kFirst = "   1234.5   6789.01\r";
const QByteArray kSecond = "     -2.0     42.52\r";

struct FramingCase {
    const char *name;
    std::vector<QByteArray> chunks;
    QStringList records;
};

void PrintTo(const FramingCase &c, std::ostream *os) {
    *os << c.name;
}

class FramingTest : public testing::TestWithParam<FramingCase> {};

TEST_P(FramingTest, RecordsComeOutWhole) {
    RecordFramer framer;
    QStringList records;
    for (const QByteArray &chunk : GetParam().chunks)
        records += framer.feed(chunk);
    EXPECT_EQ(records, GetParam().records);
}

// Every way of splitting two records into two reads gives the same two records.
TEST(Framing, SplitAtEveryPosition) {
    const QByteArray stream = kFirst + "\n" + kSecond + "\n";
    for (qsizetype at = 0; at <= stream.size(); ++at) {
        RecordFramer framer;
        QStringList records = framer.feed(stream.first(at));
        records += framer.feed(stream.sliced(at));
        EXPECT_EQ(records, QStringList({"   1234.5   6789.01", "     -2.0     42.52"}))
            << "split at " << at;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FramingTest,
    testing::Values(
        FramingCase{"nothing_until_the_carriage_return", {"   1234.5"}, {}},
        FramingCase{"seven_then_thirteen", {"   1234", ".5   6789.01\r"}, {"   1234.5   6789.01"}},
        FramingCase{
            "two_in_one_read", {kFirst + kSecond}, {"   1234.5   6789.01", "     -2.0     42.52"}},
        FramingCase{"next_record_shares_the_read",
                    {kFirst + "     -2.0", "     42.52\r"},
                    {"   1234.5   6789.01", "     -2.0     42.52"}},
        FramingCase{"crlf_in_one_read",
                    {kFirst + "\n" + kSecond + "\n"},
                    {"   1234.5   6789.01", "     -2.0     42.52"}},
        FramingCase{"crlf_split_across_reads",
                    {kFirst, "\n" + kSecond, "\n"},
                    {"   1234.5   6789.01", "     -2.0     42.52"}},
        FramingCase{"lone_line_feed_is_a_character", {"12\n34\r"}, {"12\n34"}},
        FramingCase{"second_line_feed_is_a_character", {"1\r\n\n2\r"}, {"1", "\n2"}},
        FramingCase{"empty_records", {"\r\r\n\r"}, {"", "", ""}},
        FramingCase{
            "bytes_from_0x80_up", {"\x80\xb1\xff\r"}, {QString::fromLatin1("\x80\xb1\xff")}},
        FramingCase{"nul_bytes", {QByteArray("a\0b\r", 4)}, {QString::fromLatin1("a\0b", 3)}}),
    [](const testing::TestParamInfo<FramingCase> &info) { return info.param.name; });

TEST(Framing, NeverEndingRecordKeepsOnlyItsBeginning) {
    RecordFramer framer;
    const QByteArray megabyte(1 << 20, '7');
    EXPECT_TRUE(framer.feed("     1.0     2.0 3").isEmpty());
    for (int i = 0; i < 8; ++i)
        EXPECT_TRUE(framer.feed(megabyte).isEmpty());
    const QStringList records = framer.feed("\r   5.0   6.0 1\r");
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records[0].size(), RecordFramer::kKeptLength);
    EXPECT_TRUE(records[0].startsWith(QStringLiteral("     1.0     2.0 37")));
    EXPECT_EQ(records[1], QStringLiteral("   5.0   6.0 1"));
}

TEST(Framing, ClearDropsTheHalfRecordAndAPendingLineEnd) {
    RecordFramer framer;
    framer.feed("   1.0\r   2.0");
    framer.clear();
    EXPECT_EQ(framer.feed("\n   3.0\r"), QStringList{"\n   3.0"});
}

} // namespace
} // namespace digitrace
