// The window's job: its journal, the restore at start, job files and the questions that keep
// unsaved records from being wiped.

#include "acquisition/record_framer.h"
#include "display/window/frm_trace1.h"
#include "display/window/reception_hold.h"
#include "display/window/sheet_registration.h"
#include "display/window/window_dialogs.h"
#include "export/file_replacement.h"
#include "model/numeric_value.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>

namespace digitrace {
namespace {

QString jobFilter() {
    return frmTrace1::tr("ジョブﾌｧｲﾙ(*.dtjob)");
}
QString openFilter() {
    return frmTrace1::tr("ジョブﾌｧｲﾙ(*.dtjob);;受信記録(*.cap)");
}

// A raw capture as the journal of a connection that received it: a new job at the scale in the
// box, then each whole record. Read in pieces: a capture may be long.
QByteArray journalOfCapture(QIODevice &capture, const QString &scaleText, qsizetype *records) {
    QByteArray journal = journalHeaderLine();
    journal += encodeEntry({EntryKind::Connect, scaleText, scaleDenomFromText(scaleText), true});
    RecordFramer framer;
    *records = 0;
    for (QByteArray piece; !(piece = capture.read(64 * 1024)).isEmpty();)
        for (const QString &record : framer.feed(piece)) {
            journal += encodeEntry(plainEntry(EntryKind::Record, record));
            ++*records;
        }
    return journal;
}

// Why a journal or job file did not read cleanly, from the first line that was not taken.
QString damageText(const ReplayResult &r) {
    if (!r.problem)
        return frmTrace1::tr("最後の行が途中で切れています。");
    const JournalProblem &p = *r.problem;
    switch (p.fault) {
    case LineFault::Header:
        return frmTrace1::tr("先頭の見出し行が壊れています。");
    case LineFault::Check:
        return frmTrace1::tr("%1 行目が壊れています。").arg(p.line);
    case LineFault::Unreadable:
        return frmTrace1::tr("%1 行目は読めない記録です。").arg(p.line);
    case LineFault::Scale:
        return frmTrace1::tr("%1 行目の縮尺 1/%2 は正の有限の数ではありません。")
            .arg(p.line)
            .arg(p.value);
    case LineFault::TabletUnit:
        return frmTrace1::tr("%1 行目のタブレットの単位 %2 mm は範囲外です。")
            .arg(p.line)
            .arg(p.value);
    case LineFault::TooLong:
        return frmTrace1::tr("%1 行目が長すぎるため、その先は読んでいません。").arg(p.line);
    case LineFault::ReadFailed:
        return frmTrace1::tr("%1 行目で読み取りに失敗しました: %2").arg(p.line).arg(p.value);
    case LineFault::None:
        break;
    }
    return {};
}

QString skippedText(qint64 skipped) {
    return skipped > 0
               ? frmTrace1::tr("読めない %1 行を飛ばし、その先も読み込みます。").arg(skipped)
               : QString();
}

} // namespace

void frmTrace1::buildMenu() {
    QMenu *file = menus_[std::size_t(WindowMenu::File)] = ui_.menuBar->addMenu(tr("ファイル(&F)"));
    file->addAction(tr("ジョブを開く…"), QKeySequence::Open, this, &frmTrace1::openJob);
    file->addAction(tr("ジョブを保存"), QKeySequence::Save, this, &frmTrace1::saveJob);
    file->addAction(tr("名前を付けてジョブを保存…"), this, &frmTrace1::saveJobAs);
    actUndoClear_ = file->addAction(tr("直前のクリアを取り消す"), this, &frmTrace1::undoClear);
    actUndoClear_->setEnabled(false);
    buildActionMenus(file);
}

void frmTrace1::wireJob() {
    connect(&session_, &Session::connected, this, &frmTrace1::updateCaption);
    connect(&session_, &Session::connectionEnded, this,
            [this] { job_.apply(plainEntry(EntryKind::Disconnect)); });
    connect(&session_, &Session::recordTaken, this, &frmTrace1::updateCaption);
    connect(&job_, &JobJournal::problem, this, &frmTrace1::showNotice);
}

void frmTrace1::attachJournal(JournalSlot::Choice choice, const QString &dir) {
    QString error;
    const bool attached = job_.attach(choice, dir, &error);
    if (!attached)
        dialogs_->warn(error);
    tellJournalsSetAside();
    if (choice == JournalSlot::Choice::PreferUnsaved && job_.previousJobUnsaved() &&
        dialogs_->ask(restoreQuestion(), {tr("復元"), tr("破棄")}) == 0) {
        showRestoredJob(job_.restorePrevious());
        return;
    }
    job_.discardPrevious();
}

void frmTrace1::tellJournalsSetAside() {
    QStringList told;
    for (const QString &path : job_.slot().setAside())
        told << tr("正しく読めない作業記録を %1 に移して残しました。")
                    .arg(QDir::toNativeSeparators(path));
    for (const QString &path : job_.slot().leftDamaged())
        told << tr("作業記録 %1 は正しく読めません。移せなかったため、そのまま残してあります。")
                    .arg(QDir::toNativeSeparators(path));
    if (!told.isEmpty())
        dialogs_->warn(told.join(u'\n'));
}

QString frmTrace1::restoreQuestion() const {
    QStringList lines;
    const JournalSlot &slot = job_.slot();
    if (!slot.previous().clean)
        lines << tr("前回の作業記録 %1 は一部が壊れています。")
                     .arg(QDir::toNativeSeparators(slot.previousPath()))
              << skippedText(slot.previous().skippedLines);
    if (!slot.isHeld())
        lines << tr("作業記録 %1 は引き継げないため、復元した記録はメモリーにだけ残ります。")
                     .arg(QDir::toNativeSeparators(slot.previousPath()));
    lines << tr("前回の作業は保存されていません。復元しますか？");
    lines.removeAll(QString());
    return lines.join(u'\n');
}

void frmTrace1::showRestoredJob(const ReplayResult &restored) {
    if (!restored.scaleText.isNull())
        ui_.txtScale->setText(restored.scaleText);
    sheet_->refit();
    showRecordsOfJob();
    Redraw(kDisconnectedBackground);
    updateCaption();
}

void frmTrace1::updateCaption() {
    const QString title =
        model_.text(DisplayField::Caption) + (job_.unsaved() ? QStringLiteral("*") : QString());
    if (windowTitle() != title)
        setWindowTitle(title);
    // The caption names the DXF; the job file goes where the platform shows a window's file.
    setWindowFilePath(job_.jobFileName());
    refreshSavedState();
}

bool frmTrace1::settleUnsaved() {
    if (!job_.unsaved())
        return true;
    const int answer = dialogs_->ask(tr("保存されていない記録があります。保存しますか？"),
                                     {tr("保存"), tr("破棄"), tr("キャンセル")});
    if (answer == 0)
        return saveJob();
    return answer == 1;
}

void frmTrace1::undoClear() {
    const ReceptionHold hold(session_);
    if (!job_.canUndoClear())
        return;
    job_.undoClear();
    Redraw(Connected() ? kConnectedBackground : kDisconnectedBackground);
    updateCaption();
}

bool frmTrace1::saveJob() {
    return job_.jobFileName().isEmpty() ? saveJobAs() : writeJob(job_.jobFileName());
}

bool frmTrace1::saveJobAs() {
    const QString name = dialogs_->chooseSaveFile(jobFilter());
    return !name.isEmpty() && writeJob(name);
}

bool frmTrace1::writeJob(const QString &path) {
    const ReceptionHold hold(session_);
    const JournalEntry saved = plainEntry(EntryKind::JobSaved, path);
    const QByteArray savedLine = encodeEntry(saved);
    const Replacement done = replaceFile(path, [&](QFileDevice &file) {
        const QString error = job_.writeContent(file);
        if (!error.isEmpty())
            return error;
        return file.write(savedLine) == savedLine.size() ? QString() : file.errorString();
    });
    if (!done.ok()) {
        dialogs_->warn(done.message(
            tr("ジョブ %1 を保存できませんでした。").arg(QDir::toNativeSeparators(path))));
        return false;
    }
    job_.apply(saved);
    updateCaption();
    return true;
}

void frmTrace1::openJob() {
    if (Connected()) {
        dialogs_->warn(tr("ジョブを開くには、先に切断してください。"));
        return;
    }
    if (!settleUnsaved())
        return;
    const QString path = dialogs_->chooseOpenFile(openFilter());
    if (!path.isEmpty())
        openJobFile(path);
}

void frmTrace1::openJobFile(const QString &path) {
    const QString shown = QDir::toNativeSeparators(path);
    QFile file;
    const PlainFileOpening opening = openPlainFile(file, path);
    if (!opening.ok) {
        dialogs_->warn(opening.notPlain
                           ? tr("%1 は通常のファイルではないため開けません。").arg(shown)
                           : tr("%1 を開けませんでした。\n%2").arg(shown, opening.error));
        return;
    }
    const bool isJob = looksLikeJournal(file.peek(kJournalSniffBytes));
    qsizetype records = 0;
    QByteArray capture;
    if (!isJob) {
        capture = journalOfCapture(file, scaleText(), &records);
        if (records == 0) {
            dialogs_->warn(tr("%1 はジョブファイルでも受信記録でもありません。").arg(shown));
            return;
        }
    }
    // A journal that names no tablet unit is measured in the operator's.
    model_.setTabletUnitMm(portChoice_.tabletUnitMm);
    QBuffer captured(&capture);
    captured.open(QIODevice::ReadOnly);
    const ReplayResult opened = isJob ? job_.load(file, path) : job_.load(captured, {});
    showRestoredJob(opened);
    if (isJob && (!opened.clean || opened.tornBytes > 0))
        dialogs_->warn(tr("ジョブファイル %1 は壊れています。").arg(shown) + u'\n' +
                       damageText(opened) + u'\n' +
                       tr("読めた %1 件の操作を読み込みました。ファイルはそのまま残してあります。")
                           .arg(opened.entries));
}

} // namespace digitrace
