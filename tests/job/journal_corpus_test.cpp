#include "job/job_replay.h"
#include "model/trace_model.h"
#include "registration/registration.h"
#include "tests/support/files.h"

#include <QFile>

#include <gtest/gtest.h>

#include <string>

namespace digitrace {
namespace {

const QString kCorpus = QStringLiteral(DIGITRACE_SOURCE_DIR "/tests/data/journal_corpus/");

// Journals and job files as earlier versions wrote them; every one must read back as it did then.
const char *const kFiles[] = {
    "new_job.journal",
    "continued_connect.journal",
    "clear_taken_back.journal",
    "clear_then_new_connect_taken_back.journal",
    "clear_then_new_connect_recorded.journal",
    "registration.journal",
    "sheet_renamed_after_publish.journal",
    "sheet_named_back.journal",
    "summa_mm_units.journal",
    "custom_format.journal",
    "damaged_line.journal",
    "refused_lines.journal",
    "damaged_header.journal",
    "torn_last_line.journal",
    "header_only.journal",
    "capture.cap",
    "saved_job.dtjob",
};

// Line breaks inside a value are written out, so that each field stays one line.
QString oneLine(QString text) {
    return text.replace(u'\\', QStringLiteral("\\\\"))
        .replace(u'\n', QStringLiteral("\\n"))
        .replace(u'\r', QStringLiteral("\\r"));
}

struct Lines {
    QStringList lines;
    void add(const char *name, const QString &value) {
        lines << QString::fromLatin1(name) + u'=' + oneLine(value);
    }
    void add(const char *name, bool value) { add(name, QString::fromLatin1(value ? "yes" : "no")); }
    void add(const char *name, qint64 value) { add(name, QString::number(value)); }
    void add(const char *name, int value) { add(name, QString::number(value)); }
    void add(const char *name, std::int16_t value) { add(name, QString::number(value)); }
    void add(const char *name, float value) { add(name, QString::number(value, 'g', 9)); }
    void add(const char *name, double value) {
        add(name, QString::number(value, 'g', QLocale::FloatingPointShortest));
    }
};

QString faultName(LineFault fault) {
    static const char *const names[] = {"None",       "Check",   "Unreadable", "Scale",
                                        "TabletUnit", "TooLong", "Header",     "ReadFailed"};
    return QString::fromLatin1(names[static_cast<int>(fault)]);
}

// What a replay leaves, one field a line: the reader's account, what the job says beside the
// trace, the job's save state and the trace itself.
QString describe(const ReplayResult &r, const TraceModel &model, const QString &kinds) {
    const TraceStore &s = model.store();
    const int records = s.PtCount;
    Lines out;
    out.add("kinds", kinds);
    out.add("isJournal", r.isJournal);
    out.add("entries", qint64(r.entries));
    out.add("wholeBytes", r.wholeBytes);
    out.add("clean", r.clean);
    out.add("skippedLines", r.skippedLines);
    out.add("problem", r.problem.has_value());
    if (r.problem) {
        out.add("problem.line", r.problem->line);
        out.add("problem.offset", r.problem->offset);
        out.add("problem.fault", faultName(r.problem->fault));
        out.add("problem.value", r.problem->value);
    }
    out.add("tornBytes", r.tornBytes);
    out.add("unsaved", r.unsaved);
    out.add("scaleText", r.job.scaleText);
    out.add("registration", r.job.registration ? registrationText(*r.job.registration) : QString());
    out.add("tabletUnitMm", r.job.tabletUnitMm);
    out.add("tabletFormat", r.job.tabletFormat);
    out.add("jobFileName", r.job.jobFileName);
    out.add("sheetName", r.job.sheetName);
    out.add("publishedRevision",
            r.job.publishedRevision() ? QString::number(*r.job.publishedRevision()) : QStringLiteral("none"));
    out.add("jobId", r.job.jobId());
    out.add("refusedFull", r.refusedFull);
    out.add("refusedOutOfRange", r.refusedOutOfRange);
    out.add("clearedRecords", r.job.clearUndo.clearedRecords());
    out.add("state.unsaved", r.job.save.unsaved(records));
    out.add("state.onlyDxfKept", r.job.save.onlyDxfKept(records));
    out.add("state.unkept", r.job.save.unkept(records));
    out.add("state.clearUndoable", r.job.save.clearUndoable());
    out.add("state.clearedUnsaved", r.job.save.clearedUnsaved());
    out.add("state.clearedUnkept", r.job.save.clearedUnkept());
    out.add("PtCount", s.PtCount);
    out.add("PointCount", s.PointCount);
    out.add("LineCount", s.LineCount);
    out.add("PolyCount", s.PolyCount);
    out.add("SeqOpen", s.SeqOpen);
    out.add("SeqVertices", s.SeqVertices);
    out.add("SeqStart", s.SeqStart);
    out.add("MinX", s.MinX);
    out.add("MinY", s.MinY);
    out.add("MaxX", s.MaxX);
    out.add("MaxY", s.MaxY);
    out.add("ScaleDenom", s.ScaleDenom);
    out.add("SaveFileName", s.SaveFileName);
    out.add("tabletUnitMm(model)", s.tabletUnitMm);
    static const char *const fields[] = {"Caption", "Points", "Lines", "Poly",
                                         "Length",  "LenAll", "Area"};
    for (int i = 0; i < kDisplayFieldCount; ++i)
        out.add(fields[i], model.text(DisplayField(i)));
    for (int i = 0; i < s.PtCount; ++i)
        out.lines << QStringLiteral("Pt%1=%2 %3 %4")
                         .arg(i)
                         .arg(s.Pt.Code[i], 0, 'g', 9)
                         .arg(s.Pt.X[i], 0, 'g', 9)
                         .arg(s.Pt.Y[i], 0, 'g', 9);
    return out.lines.join(u'\n') + u'\n';
}

class JournalCorpus : public testing::TestWithParam<const char *> {};

TEST_P(JournalCorpus, ReadsBackAsWhenWritten) {
    const QString name = QString::fromLatin1(GetParam());
    QFile file(kCorpus + name);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    TraceModel model(QLocale::c());
    QString kinds;
    std::string notReencoded;
    const ReplayResult r = replayJournal(
        file, model, [&](const JournalEntry &entry, RecordOutcome, QByteArrayView line) {
            kinds += QChar::fromLatin1(encodeEntry(entry).front());
            if (encodeEntry(entry) != line)
                notReencoded += line.toByteArray().toStdString();
        });
    // An entry read and written again must give the bytes it was read from.
    EXPECT_EQ(notReencoded, "");

    const QString actual = describe(r, model, kinds);
    const QString expected =
        QString::fromUtf8(test::readFile(kCorpus + name + QStringLiteral(".expected")));
    const QStringList got = actual.split(u'\n');
    const QStringList want = expected.split(u'\n');
    QString differences;
    for (qsizetype i = 0; i < qMax(got.size(), want.size()); ++i)
        if (got.value(i) != want.value(i))
            differences += QStringLiteral("want %1\n got %2\n").arg(want.value(i), got.value(i));
    if (!differences.isEmpty()) {
        // In the test's working folder, to compare with or take over once a change is meant.
        QFile out(name + QStringLiteral(".actual"));
        if (out.open(QIODevice::WriteOnly))
            out.write(actual.toUtf8());
    }
    EXPECT_TRUE(differences.isEmpty()) << differences.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Files, JournalCorpus, testing::ValuesIn(kFiles),
                         [](const testing::TestParamInfo<const char *> &info) {
                             std::string name = info.param;
                             for (char &c : name)
                                 if (c == '.' || c == '-')
                                     c = '_';
                             return name;
                         });

} // namespace
} // namespace digitrace
