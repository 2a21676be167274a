#include "app/window/job_files.h"

#include "acquisition/record_framer.h"
#include "app/window/port_feature.h"
#include "app/window/reception_hold.h"
#include "app/window/window_dialogs.h"
#include "app/window/window_host.h"
#include "export/file_replacement.h"
#include "job/job_journal.h"
#include "job/journal_problem_text.h"
#include "job/recent_jobs.h"
#include "model/numeric_value.h"
#include "model/trace_model.h"
#include "tracing/tracing_session.h"

#include <QAction>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeySequence>
#include <QMainWindow>
#include <QMenu>

namespace digitrace {
namespace {

QString jobFilter() {
    return JobFiles::tr("ジョブﾌｧｲﾙ(*.dtjob)");
}
QString openFilter() {
    return JobFiles::tr("ジョブﾌｧｲﾙ(*.dtjob);;受信記録(*.cap)");
}

// A raw capture as the journal of a connection that received it: a new job at the scale in the
// box, then each whole record. Read in pieces: a capture may be long.
QByteArray journalOfCapture(QIODevice &capture, const QString &scaleText, qsizetype *records) {
    QByteArray journal = journalHeaderLine();
    journal += encodeEntry(entry::Connect{true, scaleDenomFromText(scaleText), scaleText});
    RecordFramer framer;
    *records = 0;
    for (QByteArray piece; !(piece = capture.read(64 * 1024)).isEmpty();)
        for (const QString &record : framer.feed(piece)) {
            journal += encodeEntry(entry::Record{record});
            ++*records;
        }
    return journal;
}

// The most the 最近のジョブ menu lists.
constexpr int kRecentJobsListed = 20;

// Which sheet, how many records and when, so that the operator knows the job before taking it.
QString jobSummary(const QString &sheet, int records, const QDateTime &lastChange) {
    return JobFiles::tr("%1、記録 %2 件、%3")
        .arg(sheet.isEmpty() ? JobFiles::tr("シート名なし") : JobFiles::tr("シート %1").arg(sheet))
        .arg(records)
        .arg(lastChange.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")));
}

QString skippedText(qint64 skipped) {
    return skipped > 0 ? JobFiles::tr("読めない %1 行を飛ばし、その先も読み込みます。").arg(skipped)
                       : QString();
}

} // namespace

JobFiles::JobFiles(WindowHost &host, TracingSession &session, const TraceModel &model,
                   const PortFeature &port)
    : QObject(&host.mainWindow()), host_(host), session_(session), job_(session.journal()),
      model_(model), port_(port) {
    const auto action = [this](const QString &text, const QKeySequence &keys, auto slot) {
        auto *a = new QAction(text, this);
        a->setShortcut(keys);
        connect(a, &QAction::triggered, this, slot);
        actions_ << a;
    };
    action(tr("ジョブを開く…"), QKeySequence::Open, [this] { openJob(); });
    action(tr("ジョブを保存"), QKeySequence::Save, [this] { saveJob(); });
    action(tr("名前を付けてジョブを保存…"), {}, [this] { saveJobAs(); });
    action(tr("直前のクリアを取り消す"), {}, [this] { undoClear(); });
    undoClearAction()->setEnabled(false);
    recent_ = new QMenu(tr("最近のジョブ"), &host.mainWindow());
    connect(recent_, &QMenu::aboutToShow, this, &JobFiles::fillRecentMenu);
}

void JobFiles::fillRecentMenu() {
    recent_->clear();
    const QList<RecentJob> jobs = recentJobs(job_.recentFolder(), kRecentJobsListed);
    for (const RecentJob &job : jobs) {
        QAction *a = recent_->addAction(jobSummary(job.sheetName, job.records, job.lastChange));
        a->setToolTip(QDir::toNativeSeparators(job.path));
        connect(a, &QAction::triggered, this, [this, path = job.path] { openRecentJob(path); });
    }
    if (jobs.isEmpty())
        recent_->addAction(tr("(ありません)"))->setEnabled(false);
}

void JobFiles::openRecentJob(const QString &path) {
    if (session_.isConnected()) {
        host_.dialogs().warn(tr("ジョブを開くには、先に切断してください。"));
        return;
    }
    if (!settleUnsaved())
        return;
    const ReplayResult opened = session_.reopenRecent(path, port_.portChoice().tabletUnitMm);
    if (!opened.isJournal) {
        host_.dialogs().warn(tr("%1 を開けませんでした。").arg(QDir::toNativeSeparators(path)));
        return;
    }
    emit jobReplaced(opened);
    if (!opened.clean || opened.tornBytes > 0)
        host_.dialogs().warn(tr("ジョブ %1 は壊れています。").arg(QDir::toNativeSeparators(path)) +
                             u'\n' + problemTextForOperator(opened.problem));
}

void JobFiles::attachJournal(JournalSlot::Choice choice, const QString &dir) {
    QString error;
    const bool attached = job_.attach(choice, dir, &error);
    if (!attached)
        host_.dialogs().warn(error);
    tellJournalsSetAside();
    if (choice == JournalSlot::Choice::PreferUnsaved && job_.previousJobUnsaved() &&
        host_.dialogs().ask(restoreQuestion(), {tr("復元"), tr("破棄")}) == 0) {
        emit jobReplaced(job_.restorePrevious());
        return;
    }
    job_.discardPrevious();
}

void JobFiles::tellJournalsSetAside() {
    QStringList told;
    for (const QString &path : job_.slot().setAside())
        told << tr("正しく読めない作業記録を %1 に移して残しました。")
                    .arg(QDir::toNativeSeparators(path));
    for (const QString &path : job_.slot().leftDamaged())
        told << tr("作業記録 %1 は正しく読めません。移せなかったため、そのまま残してあります。")
                    .arg(QDir::toNativeSeparators(path));
    if (!told.isEmpty())
        host_.dialogs().warn(told.join(u'\n'));
}

QString JobFiles::restoreQuestion() const {
    QStringList lines;
    const JournalSlot &slot = job_.slot();
    if (!slot.previous().clean)
        lines << tr("前回の作業記録 %1 は一部が壊れています。")
                     .arg(QDir::toNativeSeparators(slot.previousPath()))
              << skippedText(slot.previous().skippedLines);
    if (!slot.isHeld())
        lines << tr("作業記録 %1 は引き継げないため、復元した記録はメモリーにだけ残ります。")
                     .arg(QDir::toNativeSeparators(slot.previousPath()));
    const JournalSurvey &previous = slot.previous();
    lines << tr("前回の作業は保存されていません。復元しますか？")
          << jobSummary(previous.sheetName, previous.records, previous.lastChange);
    lines.removeAll(QString());
    return lines.join(u'\n');
}

bool JobFiles::settleUnsaved() {
    if (!job_.unsaved())
        return true;
    const int answer = host_.dialogs().ask(
        job_.onlyDxfKept() ? tr("記録は DXF に出力済みですが、基準点の登録とシート名は DXF に入り"
                                "ません。ジョブファイルに保存しますか？")
                           : tr("保存されていない記録があります。保存しますか？"),
        {tr("保存"), tr("破棄"), tr("キャンセル")});
    if (answer == 0)
        return saveJob();
    return answer == 1;
}

void JobFiles::undoClear() {
    const ReceptionHold hold(session_);
    if (!job_.job().save.clearUndoable())
        return;
    session_.undoClear();
    emit clearTakenBack();
}

bool JobFiles::saveJob() {
    return job_.job().jobFileName.isEmpty() ? saveJobAs() : writeJob(job_.job().jobFileName);
}

bool JobFiles::saveJobAs() {
    const QString name = host_.dialogs().chooseSaveFile(jobFilter());
    return !name.isEmpty() && writeJob(name);
}

bool JobFiles::writeJob(const QString &path) {
    const ReceptionHold hold(session_);
    const QByteArray savedLine = encodeEntry(entry::JobSaved{path});
    const Replacement done = replaceFile(path, [&](QFileDevice &file) {
        const QString error = job_.writeContent(file);
        if (!error.isEmpty())
            return error;
        return file.write(savedLine) == savedLine.size() ? QString() : file.errorString();
    });
    if (!done.ok()) {
        host_.dialogs().warn(done.message(
            tr("ジョブ %1 を保存できませんでした。").arg(QDir::toNativeSeparators(path))));
        return false;
    }
    session_.jobSaved(path);
    emit saved();
    return true;
}

void JobFiles::openJob() {
    if (session_.isConnected()) {
        host_.dialogs().warn(tr("ジョブを開くには、先に切断してください。"));
        return;
    }
    if (!settleUnsaved())
        return;
    const QString path = host_.dialogs().chooseOpenFile(openFilter());
    if (!path.isEmpty())
        openJobFile(path);
}

void JobFiles::openJobFile(const QString &path) {
    const QString shown = QDir::toNativeSeparators(path);
    QFile file;
    const PlainFileOpening opening = openPlainFile(file, path);
    if (!opening.ok) {
        host_.dialogs().warn(opening.notPlain
                                 ? tr("%1 は通常のファイルではないため開けません。").arg(shown)
                                 : tr("%1 を開けませんでした。\n%2").arg(shown, opening.error));
        return;
    }
    const bool isJob = looksLikeJournal(file.peek(kJournalSniffBytes));
    qsizetype records = 0;
    QByteArray capture;
    if (!isJob) {
        capture = journalOfCapture(file, host_.scaleText(), &records);
        if (records == 0) {
            host_.dialogs().warn(tr("%1 はジョブファイルでも受信記録でもありません。").arg(shown));
            return;
        }
    }
    QBuffer captured(&capture);
    captured.open(QIODevice::ReadOnly);
    // A journal that names no tablet unit is measured in the operator's.
    const ReplayResult opened =
        isJob ? session_.openJob(file, path, port_.portChoice().tabletUnitMm)
              : session_.openJob(captured, {}, port_.portChoice().tabletUnitMm);
    emit jobReplaced(opened);
    if (isJob && (!opened.clean || opened.tornBytes > 0))
        host_.dialogs().warn(
            tr("ジョブファイル %1 は壊れています。").arg(shown) + u'\n' + problemTextForOperator(opened.problem) +
            u'\n' +
            tr("読めた %1 件の操作を読み込みました。ファイルはそのまま残してあります。")
                .arg(opened.entries));
}

} // namespace digitrace
