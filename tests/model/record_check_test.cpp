#include "model/record_check.h"

#include "tests/support/record_text.h"

#include <gtest/gtest.h>

namespace digitrace {
namespace {

TEST(RecordFlaws, Rows) {
    const struct {
        QString record;
        RecordFlaws flaws;
    } rows[] = {
        {test::recordText(1234.5, -20.1, 2).chopped(1), {}},
        {QStringLiteral("        1"
                        "       -2"
                        "1"),
         {}},
        {QStringLiteral("  abcdefg"
                        "     34.0"
                        "1"),
         {true, false, false}},
        {QStringLiteral("  abcdef"
                        "     34.0"
                        "1"),
         {true, false, true}},
        {QStringLiteral("     12.0"
                        " ,.-+eE  "
                        "1"),
         {false, true, false}},
        {QStringLiteral("     12.0"
                        "     34.0"),
         {false, false, true}},
        {QStringLiteral("     12.0"
                        "     34.0"
                        "1 "),
         {false, false, true}},
        {QStringLiteral("     12.0"), {false, true, true}},
        {QString(), {true, true, true}},
        // Wrong parity or data bits: the digits come out as other characters.
        {QStringLiteral("\u00b1\u00b2\u00b3.\u00b4\u00b1\u00b2\u00b3.\u00b4\u00b1\u00b2\u00b3"
                        "\u00b4\u00b5\u00b6\u00b7\u00b8\u00b9"),
         {true, true, false}},
    };
    for (const auto &r : rows) {
        EXPECT_EQ(recordFlaws(r.record), r.flaws) << r.record.toStdString();
        EXPECT_EQ(flawsText(r.flaws).isEmpty(), !r.flaws.any());
    }
}

TEST(RecordEffect, Rows) {
    const struct {
        QList<int> codesBefore;
        int code;
        RecordEffect effect;
    } rows[] = {
        {{}, 1, RecordEffect::Start},        {{1}, 2, RecordEffect::Vertex},
        {{1, 2, 2}, 3, RecordEffect::Close}, {{1, 2}, 3, RecordEffect::Point},
        {{1}, 0, RecordEffect::Point},       {{}, 5, RecordEffect::Point},
        {{}, 2, RecordEffect::Refused},      {{3}, 2, RecordEffect::Refused},
    };
    for (const auto &r : rows) {
        TraceModel model;
        for (const int c : r.codesBefore)
            model.takeRecord(test::recordText(c * 10, 5, c));
        const TraceCounts before = TraceCounts::of(model.store());
        const RecordOutcome outcome = model.takeRecord(test::recordText(50, 50, r.code));
        EXPECT_EQ(recordEffect(before, model.store(), outcome), r.effect)
            << r.code << " after " << r.codesBefore.size();
    }
    TraceModel full;
    EXPECT_EQ(recordEffect({}, full.store(), RecordOutcome::RefusedFull), RecordEffect::Refused);
}

} // namespace
} // namespace digitrace
