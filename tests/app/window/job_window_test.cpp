#include "acquisition/memory_port.h"
#include "app/window/frm_trace1.h"
#include "app/window/job_files.h"
#include "app/window/notice_bar.h"
#include "app/window/port_feature.h"
#include "app/window/record_monitor.h"
#include "app/window/sheet_registration.h"
#include "app/window/status_feature.h"
#include "app/window/status_line.h"
#include "app/window/window_dialogs.h"
#include "app/window/window_notices.h"
#include "display/widget/drawing_area.h"
#include "fakes.h"
#include "tests/support/files.h"
#include "tests/support/record_text.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <memory>
#include <unistd.h>

namespace digitrace {
namespace {

using test::FakeDialogs;

// The restore question for a job of `records` on `sheet` ("" for none) whose journal in `dir`
// last changed as it says: asked before the restore touches it.
QString restoreQuestion(const QString &dir, int records, const QString &sheet = {}) {
    const QDateTime when =
        QFileInfo(QDir(dir).filePath(QStringLiteral("job-1.journal"))).lastModified();
    return QStringLiteral(
               "前回の作業は保存されていません。復元しますか？\n%1、記録 %2 件、%3|復元/破棄")
        .arg(sheet.isEmpty() ? QStringLiteral("シート名なし") : QStringLiteral("シート ") + sheet)
        .arg(records)
        .arg(when.toString(QStringLiteral("yyyy-MM-dd HH:mm")));
}
const QString kContinue =
    QStringLiteral("現在の記録に続けて受信しますか？|続ける/新しいジョブ/キャンセル");
const QString kUnsaved =
    QStringLiteral("保存されていない記録があります。保存しますか？|保存/破棄/キャンセル");
const QString kCaption = QStringLiteral("デジタイザートレース (保存ファイル名未設定)");

QByteArray bytes(double x, double y, int code) {
    return test::recordText(x, y, code).toLatin1();
}

const QByteArray kSquare = bytes(0, 0, 1) + bytes(10, 0, 2) + bytes(10, 10, 2) + bytes(0, 10, 3);

// Shows `text` in the window's own question box and saves a picture of it.
void screenshotQuestion(const QString &text, const QString &name) {
    QWidget parent;
    QtWindowDialogs dialogs(&parent);
    QDir().mkpath(QStringLiteral(DIGITRACE_SCREENSHOTS));
    QTimer::singleShot(0, [name] {
        QWidget *box = QApplication::activeModalWidget();
        ASSERT_TRUE(box);
        EXPECT_TRUE(box->grab().save(QStringLiteral(DIGITRACE_SCREENSHOTS "/") + name));
        box->close();
    });
    dialogs.ask(text, {QStringLiteral("復元"), QStringLiteral("破棄")});
}

// A window with its journal in a folder of the test's own.
struct JobWindow {
    explicit JobWindow(const QString &dir, QList<int> answers = {}) {
        port.setPortName(QStringLiteral("/dev/ttyS0"));
        dialogs.answer(std::move(answers));
        window.show();
        window.features().jobFiles.attachJournal(JournalSlot::Choice::PreferUnsaved, dir);
    }
    QStringList shown() const {
        const TraceControls &ui = window.controls();
        return {window.windowTitle(), ui.lblPoints->text(), ui.lblLines->text(),
                ui.lblPoly->text(),   ui.lblLength->text(), ui.lblLenAll->text(),
                ui.lblArea->text(),   ui.txtScale->text()};
    }

    test::FirstStart firstStart;
    TraceModel model{QLocale(QLocale::English, QLocale::UnitedStates)};
    MemoryPort port;
    FakeDialogs dialogs;
    frmTrace1 window{model, port, &dialogs};
};

// A window that goes away without closing, as a crash leaves it, is offered back at the next
// start exactly as it was; 破棄 starts empty and is not offered again.
TEST(JobWindow, AnUnsavedJobIsOfferedBackAtStart) {
    QTemporaryDir dir;
    QStringList before;
    {
        JobWindow w(dir.path());
        w.window.controls().txtScale->setText(QStringLiteral("2500"));
        w.window.Command1_Click();
        w.port.deliver(kSquare + bytes(3, 4, 5) + bytes(6, 7, 5));
        w.window.cmdBack_Click();
        w.window.Command2_Click();
        before = w.shown();
        EXPECT_TRUE(before[0].endsWith(u'*'));
        EXPECT_TRUE(w.dialogs.questions.isEmpty());
    }
    {
        const QString asked = restoreQuestion(dir.path(), 5);
        JobWindow w(dir.path(), {0});
        EXPECT_EQ(w.dialogs.questions, QStringList{asked});
        EXPECT_EQ(w.shown(), before);
        EXPECT_EQ(w.model.store().PtCount, 5);
        EXPECT_EQ(w.window.features().port.recordMonitor()->log().rowCount(), 6)
            << "the records received";
        EXPECT_EQ(w.model.store().ScaleDenom, 2500.0f);
        EXPECT_FALSE(w.window.Connected());
    }
    {
        const QString asked = restoreQuestion(dir.path(), 5);
        JobWindow w(dir.path(), {1});
        EXPECT_EQ(w.dialogs.questions, QStringList{asked});
        EXPECT_EQ(w.model.store().PtCount, 0);
    }
    JobWindow w(dir.path());
    EXPECT_TRUE(w.dialogs.questions.isEmpty());
}

// A clear is taken back from ファイル until the next record; a window that goes away while
// unsaved records it cleared can still be had back offers them at the next start.
TEST(JobWindow, ClearedRecordsCanBeHadBack) {
    QTemporaryDir dir;
    const auto undoItem = [](frmTrace1 &window) {
        for (QAction *a : window.findChildren<QAction *>())
            if (a->text() == QStringLiteral("直前のクリアを取り消す"))
                return a;
        return static_cast<QAction *>(nullptr);
    };
    QStringList before, beforeLast;
    {
        JobWindow w(dir.path());
        QAction *undo = undoItem(w.window);
        ASSERT_TRUE(undo);
        w.window.Command1_Click();
        w.port.deliver(kSquare + bytes(3, 4, 5));
        before = w.shown();
        const struct {
            std::function<void()> step;
            int records;
            bool undoable;
        } rows[] = {
            {[&] { w.window.cmdClear_Click(); }, 0, true},
            {[&] { undo->trigger(); }, 5, false},
            {[&] { w.window.cmdClear_Click(); }, 0, true},
            {[&] { w.port.deliver(bytes(6, 7, 5)); }, 1, false},
            {[&] { undo->trigger(); }, 1, false},
            {[&] { beforeLast = w.shown(), w.window.cmdClear_Click(); }, 0, true},
            // A new job's connect leaves the clear undoable until its first record.
            {[&] { w.window.Command2_Click(), w.window.Command1_Click(); }, 0, true},
        };
        for (const auto &row : rows) {
            row.step();
            EXPECT_EQ(w.model.store().PtCount, row.records);
            EXPECT_EQ(undo->isEnabled(), row.undoable) << row.records;
        }
        EXPECT_EQ(w.dialogs.questions.size(), 3) << "each clear of unsaved records asked";
    }
    const QString asked = restoreQuestion(dir.path(), 1);
    JobWindow w(dir.path(), {0});
    EXPECT_EQ(w.dialogs.questions, QStringList{asked});
    EXPECT_EQ(w.model.store().PtCount, 0);
    undoItem(w.window)->trigger();
    EXPECT_EQ(w.shown(), beforeLast);
    screenshotQuestion(asked.section(u'|', 0, 0), QStringLiteral("restore_question.png"));
}

// The job before a clear comes back whole: the trace, its counters and its texts.
TEST(JobWindow, ATakenBackClearShowsTheJobAsBefore) {
    QTemporaryDir dir;
    JobWindow w(dir.path());
    w.window.Command1_Click();
    w.port.deliver(kSquare + bytes(3, 4, 5));
    const QStringList before = w.shown();
    const QImage picture = w.window.controls().picDigit->surface().image();
    w.window.cmdClear_Click();
    w.window.features().jobFiles.undoClear();
    EXPECT_EQ(w.shown(), before);
    EXPECT_TRUE(w.window.controls().picDigit->surface().image() == picture);
}

// The trace and the job as a replay can see them, one field a line.
QStringList jobFields(const TraceModel &model, bool unsaved, bool undoable, const QString &jobFile,
                      const std::optional<Registration> &registration) {
    const TraceStore &s = model.store();
    QStringList fields;
    for (int i = 0; i < s.PtCount; ++i)
        fields << QStringLiteral("Pt %1: %2 %3 %4")
                      .arg(i)
                      .arg(s.Pt.Code[i])
                      .arg(s.Pt.X[i], 0, 'g', 9)
                      .arg(s.Pt.Y[i], 0, 'g', 9);
    const double numbers[] = {double(s.PtCount),
                              double(s.PointCount),
                              double(s.LineCount),
                              double(s.PolyCount),
                              double(s.SeqOpen),
                              double(s.SeqVertices),
                              double(s.SeqStart),
                              s.MinX,
                              s.MinY,
                              s.MaxX,
                              s.MaxY,
                              s.ViewCx,
                              s.ViewCy,
                              s.ViewZoom,
                              s.ScaleDenom,
                              s.tabletUnitMm};
    for (const double n : numbers)
        fields << QString::number(n, 'g', 9);
    for (const DisplayField f :
         {DisplayField::Caption, DisplayField::Length, DisplayField::LenAll, DisplayField::Area})
        fields << model.text(f);
    fields << QStringLiteral("unsaved %1, undoable %2, job file %3")
                  .arg(unsaved)
                  .arg(undoable)
                  .arg(jobFile)
           << (registration ? registrationText(*registration) : QStringLiteral("unregistered"));
    return fields;
}

// Every change a live window makes to its job is journalled and applied as a replay applies it:
// after each step the journal's replay gives the same trace and job, field by field, and each
// step journals these entries in this order.
TEST(JobWindow, ALiveJobAndTheReplayOfItsJournalAgree) {
    QTemporaryDir dir;
    JobWindow w(dir.path());
    const Registration sheet{{{QStringLiteral("A"), 0, 0, 100, 200, true},
                              {QStringLiteral("B"), 10, 0, 110, 200, true},
                              {QStringLiteral("C"), 0, 10, 100, 210, true}},
                             TransformKind::Affine,
                             {}};
    const auto saveAs = [&](const char *name) { w.dialogs.saveName = dir.filePath(name); };
    const struct {
        std::function<void()> step;
        const char *tags;
    } rows[] = {
        {[&] { w.window.controls().txtScale->setText(QStringLiteral("2500")); }, ""},
        {[&] { w.window.Command1_Click(); }, "CUF"},
        {[&] { w.port.deliver(kSquare + bytes(3, 4, 5)); }, "RRRRR"},
        {[&] { w.window.cmdBack_Click(); }, "B"},
        {[&] { saveAs("sheet.dxf"), w.window.cmdFile_Click(); }, "E"},
        {[&] { w.port.deliver(bytes(6, 7, 5)); }, "R"},
        {[&] { w.window.cmdClear_Click(); }, "X"},
        {[&] { w.window.features().jobFiles.undoClear(); }, "Z"},
        {[&] { w.window.features().sheet.registerSheet(sheet); }, "G"},
        {[&] { saveAs("sheet.dtjob"), w.window.features().jobFiles.saveJobAs(); }, "J"},
        {[&] { w.window.Command2_Click(); }, "D"},
        {[&] { w.dialogs.answer({0}), w.window.Command1_Click(); }, "CUF"},
        {[&] { w.port.deliver(bytes(1, 1, 3)); }, "R"},
        {[&] { w.window.cmdClear_Click(); }, "X"},
        {[&] { w.window.Command2_Click(); }, "D"},
        {[&] { w.dialogs.answer({1}), w.window.Command1_Click(); }, "CUF"},
    };
    qsizetype lines = 1;
    for (const auto &row : rows) {
        row.step();
        const QByteArray journal = w.window.features().job.content();
        QByteArray tags;
        for (const QByteArray &line : journal.split('\n').mid(lines))
            tags += line.left(1);
        lines = journal.count('\n');
        EXPECT_EQ(tags, QByteArray(row.tags));
        TraceModel replayed(w.model.locale());
        replayed.setHalfSize(w.model.store().HalfW, w.model.store().HalfH);
        const ReplayResult r = replayJournal(journal, replayed);
        const JobJournal &job = w.window.features().job;
        EXPECT_EQ(jobFields(w.model, job.unsaved(), job.job().save.clearUndoable(),
                            job.job().jobFileName, w.window.features().sheet.registration()),
                  jobFields(replayed, r.job.save.unsaved(replayed.store().PtCount),
                            r.job.save.clearUndoable(), r.job.jobFileName, r.job.registration))
            << row.tags;
    }
}

TEST(JobWindow, NoConnectWipesRecordsWithoutAQuestion) {
    QTemporaryDir dir;
    JobWindow w(dir.path());
    w.window.Command1_Click();
    w.port.deliver(kSquare);
    w.window.Command2_Click();

    w.port.setOpenError(QStringLiteral("No such file or directory"));
    w.dialogs.answer({1, 1});
    w.window.Command1_Click();
    EXPECT_EQ(w.model.store().PtCount, 4) << "a port that will not open leaves the job";
    EXPECT_EQ(w.dialogs.questions, QStringList({kContinue, kUnsaved}));

    w.port.setOpenError({});
    w.dialogs.answer({2});
    w.window.Command1_Click();
    EXPECT_FALSE(w.window.Connected()) << "キャンセル";

    w.dialogs.answer({0});
    w.window.Command1_Click();
    w.port.deliver(bytes(5, 5, 5));
    EXPECT_EQ(w.model.store().PtCount, 5) << "続ける appends";
    EXPECT_EQ(w.model.store().PolyCount, 1);
    w.window.Command2_Click();

    w.dialogs.questions.clear();
    w.dialogs.answer({1, 2});
    w.window.Command1_Click();
    EXPECT_EQ(w.dialogs.questions, QStringList({kContinue, kUnsaved}));
    EXPECT_EQ(w.model.store().PtCount, 5) << "キャンセル at the save question";
}

TEST(JobWindow, ClosingAsksAndSavedJobsOpenAgain) {
    QTemporaryDir dir;
    const QString jobFile = dir.filePath(QStringLiteral("sheet.dtjob"));
    QStringList saved;
    {
        JobWindow w(dir.path());
        w.window.Command1_Click();
        w.port.deliver(kSquare);
        w.dialogs.answer({2});
        EXPECT_FALSE(w.window.close());
        EXPECT_EQ(w.dialogs.questions, QStringList{kUnsaved});

        w.dialogs.saveName = jobFile;
        w.dialogs.answer({0});
        EXPECT_TRUE(w.window.close());
        EXPECT_EQ(w.dialogs.filters.value(0), QStringLiteral("ジョブﾌｧｲﾙ(*.dtjob)"));
        saved = w.shown();
        EXPECT_EQ(saved[0], kCaption) << "saved: no star";
        EXPECT_FALSE(QFile::exists(w.window.features().job.journalPath()));
    }
    JobWindow w(dir.path());
    EXPECT_TRUE(w.dialogs.questions.isEmpty()) << "nothing left to restore";
    w.dialogs.openName = jobFile;
    w.window.features().jobFiles.openJob();
    EXPECT_EQ(w.shown(), saved);
    EXPECT_EQ(w.window.windowFilePath(), jobFile) << "the job opened is named";

    // A capture, and a file that is neither.
    const QString capture = dir.filePath(QStringLiteral("sheet.cap"));
    test::writeFile(capture, kSquare + bytes(1, 2, 5));
    w.window.features().jobFiles.openJobFile(capture);
    EXPECT_EQ(w.model.store().PtCount, 5);
    EXPECT_TRUE(w.window.windowTitle().endsWith(u'*'));
    test::writeFile(capture, "nothing");
    w.window.features().jobFiles.openJobFile(capture);
    EXPECT_EQ(w.dialogs.warnings.size(), 1);
    EXPECT_EQ(w.model.store().PtCount, 5);
}

QByteArray flipped(QByteArray bytes, qsizetype at) {
    bytes[at] = char(bytes[at] ^ 1);
    return bytes;
}

// Where the n-th line (from 0) of a journal begins.
qsizetype lineStart(const QByteArray &journal, int n) {
    qsizetype at = 0;
    for (int i = 0; i < n; ++i)
        at = journal.indexOf('\n', at) + 1;
    return at;
}

// A crashed job whose journal was damaged afterwards: the journal is kept aside as it was, what
// reads of it is offered, and the job file it was saved to comes back with it.
TEST(JobWindow, ADamagedJournalIsKeptAsideAndWhatReadsIsOffered) {
    QTemporaryDir dir;
    const QString jobFile = dir.filePath(QStringLiteral("sheet.dtjob"));
    QString journal;
    {
        JobWindow w(dir.path());
        w.window.Command1_Click();
        w.port.deliver(bytes(9, 9, 5) + kSquare);
        w.dialogs.saveName = jobFile;
        ASSERT_TRUE(w.window.features().jobFiles.saveJob());
        w.port.deliver(bytes(3, 4, 5));
        journal = w.window.features().job.journalPath();
    }
    // The first record's line, after the header, connect, unit and format: the rest of the job
    // still reads.
    const QByteArray damaged =
        flipped(test::readFile(journal), lineStart(test::readFile(journal), 4) + 4);
    test::writeFile(journal, damaged);

    JobWindow w(dir.path(), {0});
    ASSERT_EQ(w.dialogs.warnings.size(), 1);
    const QString aside = QDir(dir.path()).entryList({QStringLiteral("*.damaged-*")}).value(0);
    EXPECT_TRUE(w.dialogs.warnings[0].contains(dir.filePath(aside)))
        << w.dialogs.warnings[0].toStdString();
    EXPECT_EQ(test::readFile(dir.filePath(aside)), damaged);
    ASSERT_EQ(w.dialogs.questions.size(), 1);
    EXPECT_TRUE(w.dialogs.questions[0].contains(QStringLiteral("読めない 1 行")));
    EXPECT_EQ(w.model.store().PtCount, 5);
    EXPECT_TRUE(
        w.window.features().status.line().text().contains(QStringLiteral("ジョブ sheet.dtjob")));
    w.dialogs.filters.clear();
    ASSERT_TRUE(w.window.features().jobFiles.saveJob());
    EXPECT_TRUE(w.dialogs.filters.isEmpty()) << "the job file's name was asked again";
    EXPECT_EQ(parseJournal(test::readFile(jobFile)).entries.size(), 10);
}

// A job file whose header is damaged is a damaged job, never a capture: what reads of it is
// opened, the operator is told, and saving asks for a name rather than overwrite it.
TEST(JobWindow, AJobFileWithADamagedHeaderOpensAsADamagedJob) {
    QTemporaryDir dir;
    const QString jobFile = dir.filePath(QStringLiteral("sheet.dtjob"));
    JobWindow w(dir.path());
    w.window.Command1_Click();
    w.port.deliver(kSquare);
    w.window.Command2_Click();
    w.dialogs.saveName = jobFile;
    ASSERT_TRUE(w.window.features().jobFiles.saveJob());
    const QByteArray damaged = flipped(test::readFile(jobFile), 3);
    test::writeFile(jobFile, damaged);

    w.window.features().jobFiles.openJobFile(jobFile);
    EXPECT_EQ(w.model.store().PtCount, 4);
    ASSERT_EQ(w.dialogs.warnings.size(), 1);
    EXPECT_TRUE(w.dialogs.warnings[0].contains(QStringLiteral("先頭の見出し行が壊れています")));
    w.dialogs.saveName.clear();
    EXPECT_FALSE(w.window.features().jobFiles.saveJob());
    EXPECT_EQ(test::readFile(jobFile), damaged);
}

// A data folder that became read-only after a crash: the job is offered all the same, the
// operator is told where and why nothing is journalled, and nothing claims to be saved.
TEST(JobWindow, AReadOnlyDataFolderStillOffersTheCrashedJob) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into any folder; run without privileges";
    QTemporaryDir dir;
    {
        JobWindow w(dir.path());
        w.window.Command1_Click();
        w.port.deliver(kSquare);
    }
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    JobWindow w(dir.path(), {0});
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ASSERT_EQ(w.dialogs.warnings.size(), 1);
    EXPECT_TRUE(w.dialogs.warnings[0].contains(dir.path()));
    EXPECT_TRUE(w.dialogs.warnings[0].contains(QString::fromLocal8Bit(std::strerror(EACCES))));
    EXPECT_EQ(w.dialogs.questions.size(), 1);
    EXPECT_EQ(w.model.store().PtCount, 4);
    EXPECT_TRUE(
        w.window.features().status.line().text().endsWith(QStringLiteral("未保存の記録あり")));
}

// A disk that refuses the journal is told once; reception goes on and the journal catches up.
TEST(JobWindow, AFullDiskIsToldOnceAndReceptionGoesOn) {
    QTemporaryDir dir;
    JobWindow w(dir.path());
    bool full = true;
    w.window.features().job.writer().setWriteFunction(
        [&full](int fd, const char *data, qint64 size) {
            errno = ENOSPC;
            return full ? qint64(-1) : qint64(::write(fd, data, size_t(size)));
        });
    w.window.Command1_Click();
    w.port.deliver(kSquare);
    EXPECT_EQ(w.window.features().notices.bar().notices().size(), 1);
    EXPECT_EQ(w.model.store().PtCount, 4);
    full = false;
    w.port.deliver(bytes(1, 1, 5));
    w.window.features().job.writer().syncNow();
    EXPECT_EQ(test::readFile(w.window.features().job.journalPath()),
              w.window.features().job.content());
    EXPECT_EQ(w.window.features().notices.bar().notices().size(), 1);
}

// A DXF holds the records but not the sheet's registration or name: a job with either still
// asks to be saved as a job file, and whatever the answer, the journal no job file holds is kept
// among the recent jobs, listed with its sheet, records and date, and opens again whole.
TEST(JobWindow, ADxfKeepsTheJobOnlyWhenItHoldsAllOfIt) {
    const struct {
        QString sheet;
        QStringList asked;
    } rows[] = {
        {{}, {}},
        {QStringLiteral("MINE"),
         {QStringLiteral("記録は DXF に出力済みですが、基準点の登録とシート名は DXF に入りません。"
                         "ジョブファイルに保存しますか？|保存/破棄/キャンセル")}},
    };
    for (const auto &row : rows) {
        QTemporaryDir dir;
        {
            JobWindow w(dir.path(), {1});
            w.window.Command1_Click();
            w.port.deliver(kSquare);
            w.window.features().sheet.nameSheet(row.sheet);
            w.dialogs.saveName = dir.filePath(QStringLiteral("sheet.dxf"));
            w.window.cmdFile_Click();
            EXPECT_TRUE(w.window.close());
            EXPECT_EQ(w.dialogs.questions, row.asked);
        }
        JobWindow w(dir.path());
        EXPECT_TRUE(w.dialogs.questions.isEmpty()) << "offered as a recent job, not restored";
        QMenu *recent = w.window.features().jobFiles.recentMenu();
        emit recent->aboutToShow();
        QStringList texts;
        for (QAction *a : recent->actions())
            texts << a->text() + a->toolTip();
        ASSERT_EQ(recent->actions().size(), 1) << texts.join(u'\n').toStdString();
        const QString when = QFileInfo(recent->actions()[0]->toolTip())
                                 .lastModified()
                                 .toString(QStringLiteral("yyyy-MM-dd HH:mm"));
        EXPECT_EQ(
            recent->actions()[0]->text(),
            (row.sheet.isEmpty() ? QStringLiteral("シート名なし") : QStringLiteral("シート MINE")) +
                QStringLiteral("、記録 4 件、") + when);
        if (!row.sheet.isEmpty()) {
            recent->popup(w.window.mapToGlobal(QPoint(0, 0)));
            QCoreApplication::processEvents();
            EXPECT_TRUE(
                recent->grab().save(QStringLiteral(DIGITRACE_SCREENSHOTS "/recent_jobs.png")));
            recent->hide();
        }
        recent->actions()[0]->trigger();
        EXPECT_EQ(w.model.store().PtCount, 4);
        EXPECT_EQ(w.window.features().job.job().sheetName, row.sheet);
    }
}

// A registration whose journal line a restore could not read back is refused before anything
// is taken: the operator is told and the job keeps its registration.
TEST(JobWindow, ARegistrationTooLongForTheJournalIsRefused) {
    QTemporaryDir dir;
    JobWindow w(dir.path());
    Registration huge{{}, TransformKind::Affine, {}};
    for (int i = 0; i < 3; ++i)
        huge.points.push_back(
            {QString(400 * 1024, QChar(u'a' + i)), double(i), 0, 100, double(i), true});
    EXPECT_FALSE(w.window.features().sheet.registerSheet(huge));
    ASSERT_EQ(w.dialogs.warnings.size(), 1);
    EXPECT_TRUE(w.dialogs.warnings[0].contains(QStringLiteral("ジョブは元のままです")));
    EXPECT_FALSE(w.window.features().job.job().registration);
}

TEST(JobWindow, FileMenuSitsAboveTheToolbar) {
    QTemporaryDir dir;
    JobWindow w(dir.path());
    const TraceControls &ui = w.window.controls();
    EXPECT_EQ(ui.menuBar->geometry().bottom() + 1, ui.form->y());
    EXPECT_EQ(ui.picBar->pos(), QPoint(0, 0));
    EXPECT_EQ(ui.picDigit->geometry().bottom(), ui.form->height() - 1);
    QStringList items;
    for (const QAction *menu : ui.menuBar->actions()) {
        items << menu->text();
        for (const QAction *a : menu->menu()->actions())
            if (!a->isSeparator())
                items << u' ' + a->text() + u'|' + a->shortcut().toString();
    }
    EXPECT_EQ(items, QStringList({
                         QStringLiteral("ファイル(&F)"),
                         QStringLiteral(" ジョブを開く…|Ctrl+O"),
                         QStringLiteral(" ジョブを保存|Ctrl+S"),
                         QStringLiteral(" 名前を付けてジョブを保存…|"),
                         QStringLiteral(" 直前のクリアを取り消す|"),
                         QStringLiteral(" 最近のジョブ|"),
                         QStringLiteral(" クラス一覧を開く…|"),
                         QStringLiteral(" クラスをデータベースから読み込む…|"),
                         QStringLiteral(" クラスをデータベースへ送る…|"),
                         QStringLiteral(" DXF出力…|Ctrl+E"),
                         QStringLiteral(" GIS出力…|"),
                         QStringLiteral(" データベースへ送信…|"),
                         QStringLiteral(" 終了|Ctrl+Q"),
                         QStringLiteral("接続(&C)"),
                         QStringLiteral(" 接続|F5"),
                         QStringLiteral(" 切断|Shift+F5"),
                         QStringLiteral(" ポート設定…|"),
                         QStringLiteral("編集(&E)"),
                         QStringLiteral(" 戻る|Ctrl+Z"),
                         QStringLiteral(" クリア…|Ctrl+Del"),
                         QStringLiteral("表示(&V)"),
                         QStringLiteral(" 全体表示|Home"),
                         QStringLiteral(" 拡大|Ctrl++"),
                         QStringLiteral(" 縮小|Ctrl+-"),
                         QStringLiteral(" 記録モニタ|"),
                         QStringLiteral(" クラス|"),
                         QStringLiteral(" 作業リスト|"),
                         QStringLiteral(" 属性|"),
                         QStringLiteral(" トポロジー検査|"),
                         QStringLiteral(" 言語 (次回起動から)|"),
                         QStringLiteral("ツール(&T)"),
                         QStringLiteral(" 基準点の登録…|"),
                         QStringLiteral(" トポロジー検査|"),
                         QStringLiteral(" 隣接図葉を表示|"),
                         QStringLiteral(" タブレットメニュー…|"),
                         QStringLiteral(" スナップ|"),
                         QStringLiteral(" 境界をなぞる|F"),
                         QStringLiteral("ヘルプ(&H)"),
                         QStringLiteral(" 使い方|F1"),
                         QStringLiteral(" バージョン情報|"),
                     }))
        << items.join(u'\n').toStdString();
}

} // namespace
} // namespace digitrace
