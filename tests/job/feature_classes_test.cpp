#include "job/job_replay.h"
#include "tests/support/described_features.h"
#include "tests/support/record_text.h"

#include <gtest/gtest.h>

namespace digitrace {
namespace {

const QString kCatalogue = QStringLiteral("[建物]\nkind = polygon\n"
                                          "field = 階数 integer default 1\n"
                                          "[等高線]\nkind = line\n"
                                          "field = 標高 real default 100 step 5\n"
                                          "[基準点]\nkind = point\n");

using Entries = QList<JournalEntry>;

JournalEntry record(int code) {
    return entry::Record{test::recordText(10 * code, 20, code).chopped(1)};
}

// A feature takes the class chosen when it starts, with the values last entered for the class,
// stepped as asked; Back, Clear and its undo take its class with it; a replay of the journal
// gives the same.
TEST(FeatureClasses, FeaturesTakeTheirClassAndValuesAsTraced) {
    const JournalEntry catalogue = entry::Catalogue{kCatalogue};
    const JournalEntry line = entry::ClassChosen{QStringLiteral("等高線")};
    const Entries polygon{record(1), record(2), record(2), record(3)};
    // A line stays open until the next one starts.
    const Entries openLine{record(1), record(2)};
    const struct {
        const char *name;
        Entries entries;
        QStringList features;
    } rows[] = {
        {"no catalogue: no classes", polygon, {}},
        {"the first class and its defaults", Entries{catalogue} + polygon, {"0 建物 階数=1"}},
        {"a class chosen mid-line applies from the next feature",
         Entries{catalogue, record(1), line, record(2)} + openLine,
         {"0 建物 階数=1", "2 等高線 標高=100"}},
        {"up, same and down step from the last value",
         Entries{catalogue, line} + openLine + Entries{entry::Step{1}} + openLine + openLine +
             Entries{entry::Step{-1}} + openLine,
         {"0 等高線 標高=100", "2 等高線 標高=105", "4 等高線 標高=105", "6 等高線 標高=100"}},
        {"values entered carry to the next feature of the class",
         Entries{catalogue} + polygon + Entries{entry::Attributes{0, "階数=3\n"}} + polygon,
         {"0 建物 階数=3", "4 建物 階数=3"}},
        {"a value that does not fit its field changes nothing",
         Entries{catalogue} + polygon + Entries{entry::Attributes{0, "階数=three\n"}},
         {"0 建物 階数=1"}},
        {"back takes the feature its record began",
         Entries{catalogue, entry::ClassChosen{QStringLiteral("基準点")}, record(5), entry::Back{}},
         {}},
        {"a clear taken back brings the classes back",
         Entries{catalogue} + polygon + Entries{entry::Clear{}, entry::ClearUndone{}},
         {"0 建物 階数=1"}},
        {"a start and an end are one point, at the end, of the class chosen at the start",
         Entries{catalogue} + openLine + Entries{record(1), line, record(5)},
         {"0 建物 階数=1", "3 建物 階数=1"}},
        {"back on that point gives its class back to the start",
         Entries{catalogue, record(1), record(5), entry::Back{}},
         {"0 建物 階数=1"}},
        {"a feature's class changed keeps the values its new class reads",
         Entries{catalogue} + polygon +
             Entries{entry::Attributes{0, "階数=3\n"}, entry::ClassChanged{0, "等高線"},
                     entry::ClassChanged{4, "等高線"}},
         {"0 等高線 標高=100"}},
        {"a class not in the catalogue is not chosen",
         Entries{catalogue, entry::ClassChosen{QStringLiteral("道路")}} + polygon,
         {"0 建物 階数=1"}},
    };
    for (const auto &row : rows) {
        TraceModel model(QLocale::c());
        JobPlayer player(model);
        for (const JournalEntry &e : row.entries)
            player.apply(e);
        EXPECT_EQ(test::described(player.job().classes.features()), row.features) << row.name;

        QByteArray journal = journalHeaderLine();
        for (const JournalEntry &e : row.entries)
            journal += encodeEntry(e);
        TraceModel replayed(QLocale::c());
        const ReplayResult r = replayJournal(journal, replayed);
        EXPECT_EQ(r.entries, row.entries.size()) << row.name;
        EXPECT_EQ(test::described(r.job.classes.features()), row.features) << row.name;
    }
}

} // namespace
} // namespace digitrace
