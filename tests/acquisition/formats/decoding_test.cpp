#include "acquisition/formats/record_decoder.h"
#include "acquisition/formats/tablet_encoder.h"

#include <gtest/gtest.h>

#include <vector>

namespace digitrace {
namespace {

struct Outcome {
    QByteArray records;
    QList<TabletPosition> positions;
    int mismatches = 0;
    qint64 unmapped = 0;
    // Bytes an end of the stream leaves undecoded, and mismatches that read without bit 7.
    qsizetype pending = 0;
    int parity = 0;

    friend bool operator==(const Outcome &, const Outcome &) = default;
};

std::ostream &operator<<(std::ostream &os, const Outcome &o) {
    os << '"' << o.records.toStdString() << "\" positions";
    for (const TabletPosition &p : o.positions)
        os << ' ' << p.x << ',' << p.y << (p.inProximity ? "" : "(away)");
    return os << " mismatches " << o.mismatches << " unmapped " << o.unmapped << " pending "
              << o.pending << " parity " << o.parity;
}

Outcome decode(const TabletFormat &format, const std::vector<QByteArrayView> &chunks) {
    RecordDecoder decoder(format);
    Outcome o;
    for (const QByteArrayView chunk : chunks) {
        const DecodedRecords d = decoder.feed(chunk);
        for (const TabletRecord &r : d.records)
            o.records += r.text.toLatin1() + '\r';
        o.positions += d.positions;
        o.mismatches += d.mismatches;
        o.parity += d.parityMismatches;
    }
    o.unmapped = decoder.unmappedButtons();
    o.pending = decoder.pendingBytes();
    return o;
}

TabletFormat format(const char *name, bool strict = true) {
    TabletFormat f = *TabletFormat::named(QString::fromLatin1(name));
    f.strict = strict;
    return f;
}

QByteArray report(const char *name, qint64 x, qint64 y, int button, bool near = true) {
    return encodeReport(format(name), x, y, button, near).bytes;
}

// Hover, press, held, release: what a binary tablet sends for one click.
QByteArray click(const char *name, qint64 x, qint64 y, int button) {
    return report(name, x, y, 0) + report(name, x, y, button) + report(name, x, y, button) +
           report(name, x, y, 0);
}

TabletPosition at(qint64 x, qint64 y, bool near = true) {
    return {x, y, near};
}

struct DecodeCase {
    const char *name;
    TabletFormat format;
    QByteArray stream;
    Outcome expected;
};

void PrintTo(const DecodeCase &c, std::ostream *os) {
    *os << c.name;
}

class DecodeTest : public testing::TestWithParam<DecodeCase> {};

// The whole stream at once, and split into two reads at every position, give the same outcome.
TEST_P(DecodeTest, GivesTheRecordsAndPositionsWhereverReadsSplit) {
    const DecodeCase &c = GetParam();
    EXPECT_EQ(decode(c.format, {c.stream}), c.expected);
    for (qsizetype at = 1; at < c.stream.size(); ++at)
        ASSERT_EQ(decode(c.format, {c.stream.first(at), c.stream.sliced(at)}), c.expected)
            << "split at " << at;
}

const QByteArray kJunk = "garbage\r";

INSTANTIATE_TEST_SUITE_P(
    Rows, DecodeTest,
    testing::Values(
        DecodeCase{"fixed19_cuts_bytes_into_records_as_they_are",
                   format("fixed19", false),
                   "   1234.5   6789.01\r\n" + kJunk,
                   {"   1234.5   6789.01\r" + kJunk, {}, 0, 0}},
        DecodeCase{"fixed19_strict_refuses_a_flawed_record",
                   format("fixed19"),
                   "   1234.5   6789.01\r\n" + kJunk,
                   {"   1234.5   6789.01\r", {}, 1, 0}},
        DecodeCase{"calcomp_records_and_positions",
                   format("calcomp2000"),
                   "00012,00034,0\r\n12,34,1\r\n999999999,0,2\r",
                   {"       12       341\r999999999        02\r", {at(12, 34)}, 0, 0}},
        DecodeCase{"calcomp_lf_only_and_repeated_button",
                   format("calcomp2000"),
                   "5,6,3\n5,6,3\n",
                   {"        5        63\r        5        63\r", {}, 0, 0}},
        // A held key in run or stream mode repeats its line until it is released.
        DecodeCase{"calcomp_held_key_in_stream_mode_one_record",
                   format("calcomp2000"),
                   "1,1,0\r\n" + QByteArray("5,6,3\r\n").repeated(5) + "5,6,0\r\n5,6,3\r\n",
                   {"        5        63\r        5        63\r",
                    {at(1, 1), at(5, 6), at(5, 6), at(5, 6), at(5, 6), at(5, 6)},
                    0,
                    0}},
        DecodeCase{"calcomp_last_line_without_line_end_is_pending",
                   format("calcomp2000"),
                   "1,2,1\r\n3,4,1",
                   {"        1        21\r", {}, 0, 0, 5}},
        // "12,34,1" CR LF sent with 7 data bits and even parity, read as 8 data bits: the parity
        // bit lands in bit 7 (0xB1 '1', 0xAC ',', 0x8D CR).
        DecodeCase{"calcomp_seven_bits_with_parity_told_as_such",
                   format("calcomp2000"),
                   QByteArray("\xB1\xB2\xAC\x33\xB4\xAC\xB1\x8D\x0A", 9),
                   {"", {}, 1, 0, 0, 1}},
        DecodeCase{"calcomp_button_16_unmapped_and_counted",
                   format("calcomp2000"),
                   "1,2,@\r\n1,2,:\r\n",
                   {"", {}, 0, 2}},
        DecodeCase{"calcomp_refuses_ten_digits_negative_and_a_missing_field",
                   format("calcomp2000"),
                   "1000000000,1,1\r\n-1,1,1\r\n1,1\r\n1,2,1\r\n",
                   {"        1        21\r", {}, 3, 0}},
        DecodeCase{"calcomp_lenient_reads_spaces",
                   format("calcomp2000", false),
                   " 12 , 34 , 1\r\n",
                   {"       12       341\r", {}, 0, 0}},
        DecodeCase{"bitpad_every_line_a_record_key_0_unmapped",
                   format("bitpad-ascii"),
                   "1234,5678,3\r\n9999,0000,0\r\n0001,0002,A\r0001,0002, 4\r",
                   {"     1234     56783\r        1        24\r", {}, 0, 2}},
        DecodeCase{"bitpad_strict_wants_four_digits_and_upper_hex",
                   format("bitpad-ascii"),
                   "123,5678,3\r\n1234,5678,b\r\n",
                   {"", {}, 2, 0}},
        DecodeCase{"bitpad_lenient_takes_them",
                   format("bitpad-ascii", false),
                   "123,5678,3\r\n",
                   {"      123     56783\r", {}, 0, 0}},
        DecodeCase{"summa_bytes_as_laid_out",
                   format("summa-mm"),
                   // X = 1 + 2 * 128, Y = 3 + 4 * 128; button field 2; then out of proximity.
                   QByteArray("\x80\x01\x02\x03\x04\x82\x01\x02\x03\x04\xC0\x01\x02\x03\x04", 15),
                   {"      257      5152\r", {at(257, 515), at(257, 515, false)}, 0, 0}},
        DecodeCase{"summa_click_hover_held_release",
                   format("summa-mm"),
                   click("summa-mm", 16383, 0, 4),
                   {"    16383        04\r", {at(16383, 0), at(16383, 0), at(16383, 0)}, 0, 0}},
        DecodeCase{"summa_two_clicks_of_one_button",
                   format("summa-mm"),
                   report("summa-mm", 1, 1, 1) + report("summa-mm", 1, 1, 0) +
                       report("summa-mm", 2, 2, 1),
                   {"        1        11\r        2        21\r", {at(1, 1)}, 0, 0}},
        DecodeCase{"summa_resynchronises_after_lost_bytes_and_noise",
                   format("summa-mm"),
                   "\x01\x02" + report("summa-mm", 7, 8, 0).first(3) + "\x05" +
                       report("summa-mm", 7, 8, 1),
                   {"        7        81\r", {}, 1, 0}},
        DecodeCase{"summa_button_out_of_proximity_is_no_record",
                   format("summa-mm"),
                   report("summa-mm", 3, 3, 1, false) + report("summa-mm", 3, 3, 0),
                   {"", {at(3, 3, false), at(3, 3)}, 0, 0}},
        // gpm's SummaSketch report writer (src/drivers/summa/r.c) sends 0x98 plus the buttons:
        // both sign bits set in absolute mode.
        DecodeCase{"summa_absolute_mode_sets_both_sign_bits",
                   format("summa-mm"),
                   QByteArray("\x98\x01\x02\x03\x04\x99\x01\x02\x03\x04", 10),
                   {"      257      5151\r", {at(257, 515)}, 0, 0}},
        DecodeCase{"summa_strict_refuses_one_sign_bit_alone",
                   format("summa-mm"),
                   QByteArray("\x89\x01\x00\x01\x00", 5),
                   {"", {}, 1, 0}},
        DecodeCase{"summa_single_stray_byte_is_told",
                   format("summa-mm"),
                   report("summa-mm", 1, 1, 0) + '\x05' + report("summa-mm", 2, 2, 1),
                   {"        2        21\r", {at(1, 1)}, 1, 0}},
        DecodeCase{"summa_report_cut_by_the_end_is_pending",
                   format("summa-mm"),
                   report("summa-mm", 1, 1, 1) + report("summa-mm", 2, 2, 0).first(3),
                   {"        1        11\r", {}, 0, 0, 3}},
        DecodeCase{"wacom_bytes_as_laid_out",
                   format("wacom-iv"),
                   // X = 3 << 14 | 1 << 7 | 2, Y = 1 << 14 | 4; button 1 in bits 3-6 of byte 3.
                   QByteArray("\xC3\x01\x02\x09\x00\x04\x00", 7),
                   {"    49282    163881\r", {}, 0, 0}},
        DecodeCase{"wacom_click_largest_value",
                   format("wacom-iv"),
                   click("wacom-iv", 65535, 65535, 9),
                   {"    65535    655359\r",
                    {at(65535, 65535), at(65535, 65535), at(65535, 65535)},
                    0,
                    0}},
        DecodeCase{"wacom_short_report_then_a_whole_one",
                   format("wacom-iv"),
                   report("wacom-iv", 5, 5, 0).first(4) + report("wacom-iv", 6, 6, 2),
                   {"        6        62\r", {}, 1, 0}},
        // xf86-input-wacom (src/wcmSerial.c): a tablet with tilt sends 9-byte protocol IV
        // packets; the two tilt bytes are read past, a third stray byte is told.
        DecodeCase{"wacom_tilt_bytes_read_past_one_more_told",
                   format("wacom-iv"),
                   report("wacom-iv", 5, 5, 0) + "\x10\x20" + report("wacom-iv", 6, 6, 2) +
                       "\x10\x20\x30" + report("wacom-iv", 7, 7, 0),
                   {"        6        62\r", {at(5, 5), at(7, 7)}, 1, 0}},
        DecodeCase{
            "calcomp_binary_click",
            format("calcomp-binary"),
            click("calcomp-binary", 11999, 5903, 2),
            {"    11999     59032\r", {at(11999, 5903), at(11999, 5903), at(11999, 5903)}, 0, 0}},
        // xf86-input-calcomp's notes (xf86Calcomp.c, ReadInput): bits 2-5 are buttons 1-4 of a
        // four-button puck, one bit each; bit 6 marks a sixteen-button cursor, its button less
        // one in bits 2-5. Several bits at once are no one button.
        DecodeCase{"calcomp_binary_puck_buttons_as_printed",
                   format("calcomp-binary"),
                   QByteArray("\x88\x00\x05\x00\x00\x06\x80\x00\x05\x00\x00\x06"
                              "\xA0\x00\x05\x00\x00\x06\x80\x00\x05\x00\x00\x06"
                              "\xC8\x00\x05\x00\x00\x06\x80\x00\x05\x00\x00\x06"
                              "\xA8\x00\x05\x00\x00\x06",
                              42),
                   {"        5        62\r        5        64\r        5        63\r",
                    {at(5, 6), at(5, 6), at(5, 6)},
                    1,
                    0}},
        // The DrawingBoard 23120 frame posted in github hansake/CalComp_DrawingBoard_interface_test
        // (X 6317, Y 5903, all four buttons), read leniently: the lowest button counts.
        DecodeCase{"calcomp_binary_posted_frame_lenient",
                   format("calcomp-binary", false),
                   QByteArray("\x80\x31\x2d\x00\x2e\x0f\xbc\x31\x2d\x00\x2e\x0f", 12),
                   {"     6317     59031\r", {at(6317, 5903)}, 0, 0}},
        // The family's binary layout: X bits 14-15 in byte 0 bits 0-1, X16 Y16 Y15 Y14 in byte 3
        // bits 3-0.
        DecodeCase{"calcomp_binary_seventeen_bit_counts",
                   format("calcomp-binary"),
                   QByteArray("\x87\x7F\x7F\x0F\x7F\x7F\x80\x00\x01\x0A\x00\x02", 12) +
                       click("calcomp-binary", 70000, 100000, 1),
                   {"   131071   1310711\r    70000   1000001\r",
                    {at(65537, 32770), at(70000, 100000), at(70000, 100000), at(70000, 100000)},
                    0,
                    0}},
        DecodeCase{"calcomp_binary_strict_refuses_byte_3_bits_4_to_6",
                   format("calcomp-binary"),
                   QByteArray("\x84\x00\x05\x10\x00\x06", 6),
                   {"", {}, 1, 0}}));

struct CustomCase {
    const char *name;
    const char *layout;
    QByteArray stream;
    Outcome expected;
};

void PrintTo(const CustomCase &c, std::ostream *os) {
    *os << c.name;
}

class CustomDecodeTest : public testing::TestWithParam<CustomCase> {};

TEST_P(CustomDecodeTest, ReadsTheDescribedLayout) {
    QString error;
    const std::optional<CustomLayout> layout = CustomLayout::fromText(GetParam().layout, &error);
    ASSERT_TRUE(layout) << error.toStdString();
    TabletFormat f;
    f.kind = FormatKind::Custom;
    f.strict = true;
    f.layout = *layout;
    EXPECT_EQ(decode(f, {GetParam().stream}), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CustomDecodeTest,
    testing::Values(CustomCase{"button_first_flags_negative",
                               "order = button,x,y\nseparator = ;\nbutton = flags\n",
                               "4;-120;35\r\n0;1;2\r\n3;1;1\r\n",
                               {"     -120       353\r", {at(1, 2)}, 1, 0}},
                    CustomCase{"fixed_columns_hex_every_line_a_record",
                               "columns = 1-6,7-12,13\nbutton = hex\nno-button = none\n",
                               "   100  -200A\r\n    10    203\r\n",
                               {"       10       203\r", {}, 0, 1}},
                    CustomCase{"held_key_repeats_its_line",
                               "order = x,y,button\n",
                               "1,2,0\r\n1,2,4\r\n1,2,4\r\n1,2,0\r\n",
                               {"        1        24\r", {at(1, 2), at(1, 2), at(1, 2)}, 0, 0}},
                    CustomCase{
                        "calcomp_character_tab_separated",
                        "order = x,y,button\nseparator = tab\nbutton = calcomp\nline-end = lf\n",
                        "7\t8\t2\n7\t8\t0\n",
                        {"        7        82\r", {at(7, 8)}, 0, 0}}));

} // namespace
} // namespace digitrace
