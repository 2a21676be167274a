#include "job/job_journal.h"
#include "job/job_replay.h"
#include "job/journal_reader.h"
#include "job/journal_slot.h"
#include "job/journal_writer.h"
#include "job/recent_jobs.h"
#include "model/trace_model.h"
#include "tests/support/files.h"
#include "tests/support/record_text.h"

#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <mutex>
#include <random>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace digitrace {
namespace {

using test::recordText;

enum class Kind {
    Record,
    Connect,
    Clear,
    Back,
    Disconnect,
    Exported,
    JobSaved,
    Registered,
    TabletUnit,
    TabletFormat,
    ClearUndone,
    Sheet,
    Published,
    Snapping,
    Pressed,
};

// The tables below name an entry by its kind and one text, as a journal line reads.
JournalEntry entry(Kind kind, const QString &text = {}, float denominator = 0,
                   bool newJob = false) {
    switch (kind) {
    case Kind::Record:
        return entry::Record{text};
    case Kind::Connect:
        return entry::Connect{newJob, denominator, text};
    case Kind::Clear:
        return entry::Clear{};
    case Kind::Back:
        return entry::Back{};
    case Kind::Disconnect:
        return entry::Disconnect{};
    case Kind::Exported:
        return entry::Exported{text};
    case Kind::JobSaved:
        return entry::JobSaved{text};
    case Kind::Registered:
        return entry::Registered{text};
    case Kind::TabletUnit:
        return entry::TabletUnit{text.toDouble()};
    case Kind::TabletFormat:
        return entry::TabletFormat{text};
    case Kind::ClearUndone:
        return entry::ClearUndone{};
    case Kind::Sheet:
        return entry::Sheet{text};
    case Kind::Published:
        return entry::Published{text.toInt()};
    case Kind::Snapping:
        return entry::Snapping{text.toDouble()};
    case Kind::Pressed:
        return entry::Pressed{text};
    }
    return {};
}

// A registration whose text spans lines and holds '%' and '*'.
QString registrationAt(int i) {
    return registrationText({{{QStringLiteral("基準 %1*").arg(i), 1, 2, 3, 4, true},
                              {QStringLiteral("B"), 5, 6.5, 7, 8.25, false}},
                             TransformKind::Similarity,
                             QStringLiteral("EPSG:%1").arg(6669 + i % 19)});
}

// Records, Back, Clear, reconnects and saves, with texts that need escaping.
QList<JournalEntry> sampleEntries() {
    std::mt19937 random(12);
    std::uniform_int_distribution<int> coordinate(-3000, 3000), code(0, 4), action(0, 39);
    QList<JournalEntry> entries{entry(Kind::Connect, QStringLiteral("1000"), 1000, true)};
    for (int i = 0; i < 200; ++i) {
        const int a = action(random);
        if (a == 0)
            entries.append(entry(Kind::Back));
        else if (a == 1)
            entries.append(entry(Kind::Clear));
        else if (a == 2)
            entries.append(entry(Kind::Disconnect));
        else if (a == 3)
            entries.append(entry(Kind::Connect, QStringLiteral("2 500*%"), 2500, i % 2 == 0));
        else if (a == 4)
            entries.append(entry(Kind::Exported, QStringLiteral("/tmp/図 面 %1.dxf").arg(i)));
        else if (a == 5)
            entries.append(entry(Kind::Registered, registrationAt(i)));
        else if (a == 6)
            entries.append(entry(Kind::TabletUnit,
                                 i % 2 ? QStringLiteral("0.1") : QStringLiteral("0.0254")));
        else if (a == 7)
            entries.append(entry(Kind::Sheet,
                                 i % 2 ? QStringLiteral("NE-54-%1 図葉").arg(i) : QString()));
        else if (a == 8)
            entries.append(entry(Kind::Published, QString::number(i + 1)));
        else if (a == 9)
            entries.append(entry(Kind::TabletFormat,
                                 i % 2 ? QStringLiteral("summa-mm")
                                       : QStringLiteral("custom\nseparator = %\nline-end = cr\n")));
        else if (a == 10)
            entries.append(
                entry(Kind::Snapping, i % 2 ? QStringLiteral("0.3") : QStringLiteral("0")));
        else if (a == 11)
            entries.append(entry(Kind::Pressed, QStringLiteral("12%,34\t*5")));
        else
            entries.append(
                entry(Kind::Record,
                      recordText(coordinate(random) / 10.0, coordinate(random) / 10.0, code(random))
                          .chopped(1)));
    }
    return entries;
}

QByteArray journalOf(const QList<JournalEntry> &entries) {
    QByteArray bytes = journalHeaderLine();
    for (const JournalEntry &e : entries)
        bytes += encodeEntry(e);
    return bytes;
}

// Every visible field of the trace, so that two restores compare field by field.
void expectSameState(const TraceModel &a, const TraceModel &b, qsizetype at) {
    const TraceStore &s = a.store(), &t = b.store();
    ASSERT_EQ(s.PtCount, t.PtCount) << at;
    for (int i = 0; i < s.PtCount; ++i)
        ASSERT_TRUE(s.Pt.X[i] == t.Pt.X[i] && s.Pt.Y[i] == t.Pt.Y[i] &&
                    s.Pt.Code[i] == t.Pt.Code[i])
            << at << " slot " << i;
    EXPECT_EQ(std::tie(s.PointCount, s.LineCount, s.PolyCount, s.SeqOpen, s.SeqVertices, s.SeqStart,
                       s.ScaleDenom, s.SaveFileName, s.tabletUnitMm),
              std::tie(t.PointCount, t.LineCount, t.PolyCount, t.SeqOpen, t.SeqVertices, t.SeqStart,
                       t.ScaleDenom, t.SaveFileName, t.tabletUnitMm))
        << at;
    for (int f = 0; f < kDisplayFieldCount; ++f)
        EXPECT_EQ(a.text(DisplayField(f)), b.text(DisplayField(f))) << at;
}

TEST(Journal, EntriesSurviveTheirEncoding) {
    const QList<JournalEntry> entries = sampleEntries();
    const ParsedJournal parsed = parseJournal(journalOf(entries));
    EXPECT_TRUE(parsed.hasHeader);
    EXPECT_EQ(parsed.entries, entries);
}

// Cut anywhere, or followed by noise, a journal restores the state after its last whole entry.
TEST(Journal, EveryPrefixRestoresItsWholeEntries) {
    const QList<JournalEntry> entries = sampleEntries();
    const QByteArray whole = journalOf(entries);
    // The state after each whole entry, and where each entry ends.
    std::vector<std::unique_ptr<TraceModel>> after;
    std::vector<qsizetype> ends{journalHeaderLine().size()};
    after.push_back(std::make_unique<TraceModel>());
    after.back()->ResetTrace();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        auto next = std::make_unique<TraceModel>();
        JobPlayer player(*next);
        for (qsizetype k = 0; k <= i; ++k)
            player.apply(entries[k]);
        after.push_back(std::move(next));
        ends.push_back(ends.back() + encodeEntry(entries[i]).size());
    }
    const QByteArray noises[] = {"", "x\n", QByteArray("R  12.0*00000000\n\xff\0", 18)};
    std::size_t whole_entries = 0;
    for (qsizetype cut = 0; cut <= whole.size(); ++cut) {
        while (whole_entries + 1 < ends.size() && ends[whole_entries + 1] <= cut)
            ++whole_entries;
        for (const QByteArray &noise : noises) {
            TraceModel restored;
            const ReplayResult r = replayJournal(whole.first(cut) + noise, restored);
            if (cut < ends.front()) {
                ASSERT_EQ(r.entries, 0) << cut;
                continue;
            }
            ASSERT_EQ(r.entries, qsizetype(whole_entries)) << cut;
            expectSameState(restored, *after[whole_entries], cut);
        }
    }
}

// The unit a job was measured in and the format its tablet spoke come back with it; a journal
// from before units were journalled keeps the unit the model has, and was read as fixed19.
TEST(Journal, TabletUnitAndFormatComeBackWithTheJob) {
    const QList<JournalEntry> job = {entry(Kind::Connect, QStringLiteral("1000"), 1000, true),
                                     entry(Kind::TabletUnit, QStringLiteral("0.1")),
                                     entry(Kind::TabletFormat, QStringLiteral("summa-mm")),
                                     entry(Kind::Record, recordText(0, 0, 1).chopped(1)),
                                     entry(Kind::Record, recordText(300, 400, 2).chopped(1))};
    const struct {
        QList<JournalEntry> entries;
        double unitBefore, unitAfter, journalled;
        QString format;
    } rows[] = {
        {job, 1, 0.1, 0.1, QStringLiteral("summa-mm")},
        {job, 0.0254, 0.1, 0.1, QStringLiteral("summa-mm")},
        {QList<JournalEntry>{job[0], job[3], job[4]}, 0.0254, 0.0254, 0, QStringLiteral("fixed19")},
    };
    for (const auto &r : rows) {
        TraceModel model(QLocale::c());
        model.setTabletUnitMm(r.unitBefore);
        const ReplayResult result = replayJournal(journalOf(r.entries), model);
        EXPECT_EQ(result.entries, r.entries.size());
        EXPECT_EQ(model.store().tabletUnitMm, r.unitAfter);
        EXPECT_EQ(result.job.tabletUnitMm, r.journalled);
        EXPECT_EQ(result.job.tabletFormat, r.format);
    }
    TraceModel model(QLocale::c());
    replayJournal(journalOf(job), model);
    EXPECT_EQ(model.text(DisplayField::Length), QStringLiteral("50.00 ｍ"));
    // A unit that is no positive number ends the journal there.
    for (const char *bad : {"0", "-1", "x", ""}) {
        const QByteArray body = QByteArray("U ") + bad;
        const QByteArray line =
            body + '*' + QByteArray::number(crc32(body), 16).rightJustified(8, '0') + '\n';
        EXPECT_EQ(parseJournal(journalHeaderLine() + line).entries.size(), 0) << bad;
    }
}

QByteArray checkedLine(const QByteArray &body) {
    return body + '*' + QByteArray::number(crc32(body), 16).rightJustified(8, '0') + '\n';
}

QByteArray flipped(QByteArray bytes, qsizetype at) {
    bytes[at] = char(bytes[at] ^ 1);
    return bytes;
}

// Each line checks itself: a damaged or nonsensical one is skipped and told, and what follows
// still comes back.
TEST(Journal, ADamagedLineIsSkippedAndTheRestRead) {
    const QList<JournalEntry> entries = sampleEntries();
    const QByteArray whole = journalOf(entries);
    const qsizetype header = journalHeaderLine().size();
    const qsizetype second = header + encodeEntry(entries[0]).size();
    const QByteArray rest = whole.sliced(header);
    const qsizetype n = entries.size();
    const struct {
        const char *name;
        QByteArray bytes;
        qsizetype entries, skipped;
        LineFault fault;
        qint64 line;
    } rows[] = {
        {"first entry", flipped(whole, header + 3), n - 1, 1, LineFault::Check, 2},
        {"second entry", flipped(whole, second + 3), n - 1, 1, LineFault::Check, 3},
        {"header", flipped(whole, 4), n, 1, LineFault::Header, 1},
        {"header's line end", flipped(whole, header - 1), n - 1, 1, LineFault::Header, 1},
        {"no header", rest, n, 0, LineFault::Header, 1},
        {"scale nan", journalHeaderLine() + checkedLine("C 1 nan 1") + rest, n, 1, LineFault::Scale,
         2},
        {"scale inf", journalHeaderLine() + checkedLine("C 0 inf 1") + rest, n, 1, LineFault::Scale,
         2},
        {"unit 1e308", journalHeaderLine() + checkedLine("U 1e308") + rest, n, 1,
         LineFault::TabletUnit, 2},
        {"unit nan", journalHeaderLine() + checkedLine("U nan") + rest, n, 1, LineFault::TabletUnit,
         2},
        {"revision 0", journalHeaderLine() + checkedLine("P 0") + rest, n, 1, LineFault::Unreadable,
         2},
        {"snapping below 0", journalHeaderLine() + checkedLine("T -0.1") + rest, n, 1,
         LineFault::Unreadable, 2},
        {"snapping nan", journalHeaderLine() + checkedLine("T nan") + rest, n, 1,
         LineFault::Unreadable, 2},
        {"second header", journalHeaderLine() + journalHeaderLine() + rest, n, 1,
         LineFault::Unreadable, 2},
        {"line too long",
         whole.first(second) + QByteArray(kLongestJournalLine + 1, 'R') + '\n' +
             whole.sliced(second),
         1, 1, LineFault::TooLong, 3},
        {"zeros without end", whole.first(second) + QByteArray(3 * kLongestJournalLine, '\0'), 1, 1,
         LineFault::TooLong, 3},
    };
    TraceModel expected;
    replayJournal(whole, expected);
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        TraceModel model;
        const ReplayResult r = replayJournal(row.bytes, model);
        EXPECT_EQ(r.entries, row.entries);
        EXPECT_EQ(r.skippedLines, row.skipped);
        EXPECT_FALSE(r.clean);
        ASSERT_TRUE(r.problem.has_value());
        EXPECT_EQ(std::pair(r.problem->fault, r.problem->line), std::pair(row.fault, row.line));
        EXPECT_TRUE(looksLikeJournal(row.bytes));
        if (row.entries == n)
            expectSameState(model, expected, 0);
    }
    TraceModel model;
    const ReplayResult torn = replayJournal(whole + encodeEntry(entries[1]).first(5), model);
    EXPECT_TRUE(torn.clean);
    EXPECT_EQ(torn.tornBytes, 5);
    for (const QByteArray &capture :
         {QByteArray("+0012.3+0045.6 1\r+0012.3+0045.6 2\r\n"), QByteArray(), QByteArray(9, '\0')})
        EXPECT_FALSE(looksLikeJournal(capture)) << capture.toStdString();
}

TEST(Journal, UnsavedUntilExportedOrEmpty) {
    const JournalEntry record = entry(Kind::Record, recordText(1, 2, 5).chopped(1));
    const struct {
        QList<JournalEntry> entries;
        bool unsaved;
    } rows[] = {
        {{record}, true},
        {{record, entry(Kind::Exported, "a.dxf")}, false},
        {{record, entry(Kind::JobSaved, "a.dtjob"), entry(Kind::Disconnect)}, false},
        {{record, entry(Kind::JobSaved, "a.dtjob"), entry(Kind::Back)}, false},
        {{record, record, entry(Kind::JobSaved, "a.dtjob"), entry(Kind::Back)}, true},
        {{record, entry(Kind::Clear)}, true},
        // The clear stays undoable until the new job's first record: the job can still be had.
        {{record, entry(Kind::Clear), entry(Kind::Connect, "1000", 1000, true)}, true},
        {{record, entry(Kind::Clear), entry(Kind::Connect, "1000", 1000, true), record},
         true},
        {{record, entry(Kind::Exported, "a.dxf"), entry(Kind::Clear)}, false},
        {{record, entry(Kind::Connect, "1000", 1000, false)}, true},
        {{record, entry(Kind::JobSaved, "a.dtjob"), entry(Kind::Registered, "x")}, true},
        // A DXF holds neither the registration nor the sheet's name.
        {{record, entry(Kind::Registered, "x"), entry(Kind::Exported, "a.dxf")}, true},
        {{record, entry(Kind::Sheet, "A-1"), entry(Kind::Exported, "a.dxf")}, true},
        {{entry(Kind::Sheet, "A-1"), entry(Kind::JobSaved, "a.dtjob"), record,
          entry(Kind::Exported, "a.dxf")},
         true},
        {{entry(Kind::Sheet, "A-1"), entry(Kind::Sheet), record,
          entry(Kind::Exported, "a.dxf")},
         false},
    };
    for (const auto &row : rows) {
        TraceModel model;
        EXPECT_EQ(replayJournal(journalOf(row.entries), model).unsaved, row.unsaved)
            << row.entries.size();
    }
}

// A clear taken back gives the job before it, with what followed the clear; a record after the
// clear leaves nothing to take back.
TEST(Journal, ClearTakenBack) {
    const auto record = [](double x) {
        return entry(Kind::Record, recordText(x, 2, 5).chopped(1));
    };
    const JournalEntry clear = entry(Kind::Clear), undo = entry(Kind::ClearUndone);
    const JournalEntry saved = entry(Kind::JobSaved, "a.dtjob");
    const JournalEntry resume = entry(Kind::Connect, "2500", 2500, false);
    const struct {
        QList<JournalEntry> entries;
        QList<JournalEntry> sameAs;
        bool unsaved, undoable;
    } rows[] = {
        {{record(1), record(2), clear, undo}, {record(1), record(2)}, true, false},
        {{record(1), record(2), clear, entry(Kind::Disconnect), resume, clear,
          entry(Kind::Back), undo},
         {record(1), record(2), entry(Kind::Disconnect), resume},
         true,
         false},
        {{record(1), clear, record(2), undo}, {record(2)}, true, false},
        {{record(1), saved, clear, undo}, {record(1), saved}, false, false},
        {{record(1), clear}, {}, true, true},
        {{record(1), saved, clear}, {}, false, true},
        {{record(1), clear, saved, undo}, {record(1), saved}, false, false},
        {{clear, undo}, {}, false, false},
        {{record(1), clear, record(2), record(3), clear, undo},
         {record(2), record(3)},
         true,
         false},
        {{record(1), record(2), clear, undo, clear, undo}, {record(1), record(2)}, true, false},
        {{record(1), clear, entry(Kind::Connect, "2500", 2500, true), undo},
         {record(1), resume},
         true,
         false},
        {{record(1), clear, entry(Kind::Connect, "2500", 2500, true)}, {resume}, true, true},
    };
    for (const auto &row : rows) {
        TraceModel model, expected;
        const ReplayResult r = replayJournal(journalOf(row.entries), model);
        replayJournal(journalOf(row.sameAs), expected);
        expectSameState(model, expected, row.entries.size());
        EXPECT_EQ(r.unsaved, row.unsaved) << row.entries.size();
        EXPECT_EQ(r.job.save.clearUndoable(), row.undoable) << row.entries.size();
    }
}

// The registration belongs to the job: the last one comes back whatever happened to the trace
// after it; a journal without one (an older one) restores unregistered.
TEST(Journal, TheLastRegistrationComesBack) {
    const JournalEntry record = entry(Kind::Record, recordText(1, 2, 5).chopped(1));
    const JournalEntry first = entry(Kind::Registered, registrationAt(1));
    const JournalEntry second = entry(Kind::Registered, registrationAt(2));
    const struct {
        QList<JournalEntry> entries;
        QString expected; // "" for none
    } rows[] = {
        {{record, entry(Kind::Back)}, {}},
        {{record, first, entry(Kind::Clear), entry(Kind::Connect, "500", 500, true)},
         registrationAt(1)},
        {{first, record, second, entry(Kind::Disconnect)}, registrationAt(2)},
        {{first, entry(Kind::Registered, QStringLiteral("transform=none\n"))},
         registrationAt(1)},
    };
    for (const auto &row : rows) {
        TraceModel model;
        const ReplayResult r = replayJournal(journalOf(row.entries), model);
        EXPECT_EQ(r.job.registration ? registrationText(*r.job.registration) : QString(), row.expected)
            << row.entries.size();
    }
}

// The sheet's name and the revision the job last published come back with the job; a new job
// keeps the name, as it keeps the registration, but has published nothing. The job's identity
// for its feature ids is fixed by its first record and changes with a new job only.
TEST(Journal, TheSheetItsRevisionAndTheJobIdComeBack) {
    const JournalEntry connect = entry(Kind::Connect, "1000", 1000, true);
    const JournalEntry record = entry(Kind::Record, recordText(1, 2, 5).chopped(1));
    const JournalEntry other = entry(Kind::Record, recordText(3, 4, 5).chopped(1));
    const JournalEntry sheet = entry(Kind::Sheet, QStringLiteral("A-1"));
    const JournalEntry published = entry(Kind::Published, QStringLiteral("3"));
    const QList<JournalEntry> base{connect, sheet, record};
    const struct {
        QList<JournalEntry> entries;
        QString sheet;
        std::optional<int> revision;
        bool sameJob; // the job id of `base`
    } rows[] = {
        {{connect, record}, {}, std::nullopt, false},
        {base + QList{published, other, entry(Kind::Back), entry(Kind::Clear)},
         QStringLiteral("A-1"), 3, true},
        {base + QList{published, entry(Kind::Published, QStringLiteral("4"))},
         QStringLiteral("A-1"), 4, true},
        // A publish belongs to the sheet named before it: a renamed job knows no revision of
        // the new name, and the old name's again when named so.
        {base + QList{published, entry(Kind::Sheet)}, {}, std::nullopt, true},
        {base + QList{published, entry(Kind::Sheet, QStringLiteral("VICT"))},
         QStringLiteral("VICT"), std::nullopt, true},
        {base + QList{published, entry(Kind::Sheet, QStringLiteral("VICT")), sheet},
         QStringLiteral("A-1"), 3, true},
        {base + QList{published, entry(Kind::Connect, "500", 500, false)},
         QStringLiteral("A-1"), 3, true},
        {base + QList{published, connect, record}, QStringLiteral("A-1"), std::nullopt, false},
    };
    TraceModel baseModel;
    const QString baseJob = replayJournal(journalOf(base), baseModel).job.jobId();
    for (const auto &row : rows) {
        TraceModel model;
        const ReplayResult r = replayJournal(journalOf(row.entries), model);
        EXPECT_EQ(r.job.sheetName, row.sheet) << row.entries.size();
        EXPECT_EQ(r.job.publishedRevision(), row.revision) << row.entries.size();
        EXPECT_EQ(r.job.jobId() == baseJob, row.sameJob) << row.entries.size();
    }
}

// A disk that refuses the journal: told once, nothing lost, and writing resumes.
TEST(JournalWriter, RefusedEntriesWaitAndFollowInOrder) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("j"));
    JournalWriter writer;
    bool full = false;
    writer.setWriteFunction([&full](int fd, const char *data, qint64 size) -> qint64 {
        if (full) {
            errno = ENOSPC;
            return -1;
        }
        // Half of what is asked, to exercise the writes of a part.
        return ::write(fd, data, size_t(size > 1 ? size / 2 : size));
    });
    QSignalSpy told(&writer, &JournalWriter::problem);
    ASSERT_TRUE(writer.open(path, 0, nullptr));
    const QList<JournalEntry> entries = sampleEntries();
    for (int i = 0; i < entries.size(); ++i) {
        full = i >= 50 && i < 120;
        writer.append(entries[i]);
    }
    EXPECT_EQ(told.count(), 1);
    EXPECT_EQ(writer.waitingBytes(), 0);
    writer.syncNow();
    EXPECT_EQ(test::readFile(path), journalOf(entries));
    full = true;
    writer.append(entries[0]);
    EXPECT_EQ(told.count(), 2);
}

// A power cut keeps what the disk was given by the last sync. The syncing thread follows the
// entries by itself, without append() waiting for it: once it has caught up, the synced part of the
// file alone restores every entry.
TEST(JournalWriter, APowerCutKeepsEverySyncedEntry) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("j"));
    std::mutex mutex;
    std::condition_variable syncedMore;
    qint64 durable = 0;
    JournalWriter writer;
    writer.setSyncFunction([&](int fd) {
        const int result = ::fdatasync(fd);
        const std::lock_guard lock(mutex);
        durable = ::lseek(fd, 0, SEEK_END);
        syncedMore.notify_all();
        return result;
    });
    ASSERT_TRUE(writer.open(path, 0, nullptr));
    const QList<JournalEntry> entries = sampleEntries();
    for (const JournalEntry &e : entries)
        writer.append(e);
    const qint64 written = QFileInfo(path).size();
    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(syncedMore.wait_for(lock, std::chrono::seconds(5), [&] {
            return durable == written;
        })) << "the entries were not synced within 5 s";
    }

    const QByteArray afterCut = test::readFile(path).first(durable);
    TraceModel restored(QLocale::c()), expected(QLocale::c());
    replayJournal(afterCut, restored);
    replayJournal(journalOf(entries), expected);
    expectSameState(restored, expected, durable);
}

TEST(JournalWriter, ReopenedJournalDropsItsTornTail) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("j"));
    const QList<JournalEntry> entries = sampleEntries();
    const QByteArray first = journalOf(entries.first(10));
    test::writeFile(path, first + encodeEntry(entries[10]).first(7));
    JournalWriter writer;
    ASSERT_TRUE(writer.open(path, first.size(), nullptr));
    writer.append(entries[10]);
    writer.discard();
    EXPECT_FALSE(QFile::exists(path));
    ASSERT_TRUE(writer.open(path, 0, nullptr));
    writer.append(entries[0]);
    writer.syncNow();
    EXPECT_EQ(test::readFile(path), journalOf(entries.first(1)));
}

TEST(JournalSlot, EachHolderGetsItsOwnJournal) {
    QTemporaryDir dir;
    JournalSlot first, second, demo;
    ASSERT_TRUE(first.acquire(JournalSlot::Choice::PreferUnsaved, dir.path()));
    ASSERT_TRUE(second.acquire(JournalSlot::Choice::PreferUnsaved, dir.path()));
    EXPECT_NE(first.journalPath(), second.journalPath());
    // A journal left with unsaved records, which a later window is offered and a demo avoids.
    test::writeFile(dir.filePath(QStringLiteral("job-3.journal")),
                    journalOf({entry(Kind::Record, recordText(1, 2, 5).chopped(1))}));
    ASSERT_TRUE(demo.acquire(JournalSlot::Choice::AvoidUnsaved, dir.path()));
    EXPECT_TRUE(demo.journalPath().endsWith(QLatin1String("job-4.journal")));
    JournalSlot window;
    ASSERT_TRUE(window.acquire(JournalSlot::Choice::PreferUnsaved, dir.path()));
    EXPECT_TRUE(window.journalPath().endsWith(QLatin1String("job-3.journal")));
    EXPECT_EQ(window.previousPath(), window.journalPath());
}

// A journal left behind that does not read cleanly is never reused, emptied or deleted: a window
// puts it aside and offers what reads of it; a run that avoids unsaved jobs leaves it alone. None
// is opened unless it is a plain file, so nothing endless or blocking is read.
TEST(JournalSlot, AJournalThatDoesNotReadCleanlyIsKept) {
    const QList<JournalEntry> entries = sampleEntries();
    const QByteArray whole = journalOf(entries);
    const qsizetype header = journalHeaderLine().size();
    const struct {
        const char *name;
        std::function<void(const QString &)> make;
        bool offered; // what reads of it holds unsaved records
    } rows[] = {
        {"first entry damaged",
         [&](const QString &p) { test::writeFile(p, flipped(whole, header + 3)); }, true},
        {"header damaged", [&](const QString &p) { test::writeFile(p, flipped(whole, 5)); }, true},
        {"link to an endless device",
         [](const QString &p) { QFile::link(QStringLiteral("/dev/zero"), p); }, false},
        {"pipe", [](const QString &p) { ::mkfifo(QFile::encodeName(p).constData(), 0600); }, false},
        {"unreadable",
         [&](const QString &p) {
             test::writeFile(p, whole);
             QFile::setPermissions(p, QFile::WriteOwner);
         },
         false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        if (std::string_view(row.name) == "unreadable" && ::geteuid() == 0)
            continue; // root reads it all the same
        QTemporaryDir dir;
        const QString journal = dir.filePath(QStringLiteral("job-1.journal"));
        row.make(journal);
        const qint64 sizeBefore = QFileInfo(journal).size();
        JournalSlot demo;
        ASSERT_TRUE(demo.acquire(JournalSlot::Choice::AvoidUnsaved, dir.path()));
        EXPECT_EQ(demo.journalPath(), dir.filePath(QStringLiteral("job-2.journal")));
        EXPECT_TRUE(QFileInfo(journal).isSymLink() || QFileInfo::exists(journal));
        demo = JournalSlot();

        JournalSlot window;
        ASSERT_TRUE(window.acquire(JournalSlot::Choice::PreferUnsaved, dir.path()));
        EXPECT_EQ(window.journalPath(), journal);
        ASSERT_EQ(window.setAside().size(), 1);
        const QString aside = window.setAside().constFirst();
        EXPECT_TRUE(aside.startsWith(journal + QStringLiteral(".damaged-")));
        EXPECT_EQ(QFileInfo(aside).size(), sizeBefore);
        EXPECT_EQ(window.previousPath(), row.offered ? aside : QString());
        EXPECT_EQ(window.previous().skippedLines, row.offered ? 1 : 0);
    }
}

// A data folder that refuses new files: no journal can be taken, but the job a crash left in it
// is still offered, and the reason is told.
TEST(JournalSlot, AReadOnlyFolderStillOffersTheJobLeftInIt) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into any folder; run without privileges";
    QTemporaryDir dir;
    const QString journal = dir.filePath(QStringLiteral("job-1.journal"));
    const QByteArray whole = journalOf(sampleEntries());
    test::writeFile(journal, whole);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    JournalSlot slot;
    EXPECT_FALSE(slot.acquire(JournalSlot::Choice::PreferUnsaved, dir.path()));
    EXPECT_EQ(slot.error(), QString::fromLocal8Bit(std::strerror(EACCES)));
    EXPECT_EQ(slot.previousPath(), journal);
    EXPECT_TRUE(slot.previous().unsaved);
    EXPECT_EQ(test::readFile(journal), whole);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// The writer takes exactly what the reader reads back: an entry one byte too long for it is
// refused before anything is taken, and the job and its journal stay as they were.
TEST(JobJournal, AnEntryTheReaderCannotReadIsRefused) {
    const qsizetype fitting =
        kLongestJournalLine + 1 - (encodeEntry(entry(Kind::Sheet, "a")).size() - 1);
    const struct {
        qsizetype length;
        bool kept;
    } rows[] = {{fitting, true}, {fitting + 1, false}};
    for (const auto &row : rows) {
        TraceModel model;
        JobJournal job(model);
        QSignalSpy told(&job, &JobJournal::problem);
        job.apply(entry(Kind::Sheet, QStringLiteral("A-1")));
        const QString name(row.length, u'a');
        job.apply(entry(Kind::Sheet, name));
        job.apply(entry(Kind::Record, recordText(1, 2, 5).chopped(1)));
        const QString expected = row.kept ? name : QStringLiteral("A-1");
        TraceModel restored;
        const ReplayResult r = replayJournal(job.content(), restored);
        EXPECT_EQ(job.job().sheetName == expected && r.job.sheetName == expected && r.clean &&
                      restored.store().PtCount == 1 && told.size() == (row.kept ? 0 : 1),
                  true)
            << row.length;
    }
}

// A journal no job file holds is kept among the recent jobs when its window closes, a new job
// ends it for good, or a later start reuses or gives up what a crash left, with its sheet, its
// records and when; a job file's or an empty one is not, and those past their days are pruned.
TEST(JobJournal, JobsNoFileHoldsAreKeptAsRecent) {
    const JournalEntry record = entry(Kind::Record, recordText(1, 2, 5).chopped(1));
    const JournalEntry newJob = entry(Kind::Connect, "1000", 1000, true);
    const JournalEntry sheet = entry(Kind::Sheet, QStringLiteral("MINE"));
    const JournalEntry dxf = entry(Kind::Exported, "a.dxf");
    const struct {
        QList<JournalEntry> entries;
        bool leftByACrash; // the journal a previous run left, the next start giving it up
        int kept;          // recent jobs afterwards
        int records;       // of the newest
    } rows[] = {
        {{newJob, sheet, record, record, dxf}, false, 1, 2},
        {{newJob, record, entry(Kind::JobSaved, "a.dtjob")}, false, 0, 0},
        {{newJob}, false, 0, 0},
        // The cleared job, kept as it can be had back, when the new job's first record ends it.
        {{newJob, sheet, record, record, entry(Kind::Clear), newJob, record}, false, 2, 1},
        {{newJob, record, record, entry(Kind::Clear), newJob}, false, 1, 2},
        {{newJob, record, newJob, record}, false, 2, 1},
        {{newJob, record, dxf}, true, 1, 1},
        {{newJob, record}, true, 1, 1},
    };
    for (const auto &row : rows) {
        QTemporaryDir dir;
        const QString recent = recentJobsFolder(dir.path());
        ASSERT_TRUE(QDir().mkpath(recent));
        const QString stale = QDir(recent).filePath(QStringLiteral("recent-old.journal"));
        test::writeFile(stale, journalHeaderLine());
        QFile old(stale);
        ASSERT_TRUE(old.open(QIODevice::ReadWrite));
        old.setFileTime(QDateTime::currentDateTime().addDays(-kRecentJobDays - 1),
                        QFileDevice::FileModificationTime);
        old.close();
        {
            TraceModel model;
            JobJournal job(model);
            if (row.leftByACrash)
                test::writeFile(dir.filePath(QStringLiteral("job-1.journal")),
                                journalOf(row.entries));
            ASSERT_TRUE(job.attach(JournalSlot::Choice::PreferUnsaved, dir.path(), nullptr));
            job.discardPrevious();
            if (!row.leftByACrash) {
                for (const JournalEntry &e : row.entries)
                    job.apply(e);
                job.finish();
            }
        }
        const QList<RecentJob> jobs = recentJobs(recent, 10);
        EXPECT_EQ(jobs.size(), row.kept) << row.entries.size();
        EXPECT_EQ(jobs.isEmpty() ? 0 : jobs.first().records, row.records) << row.entries.size();
    }
}

} // namespace
} // namespace digitrace
