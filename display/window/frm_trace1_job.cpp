// The window's job: its journal, the restore at start, job files and the questions that keep
// unsaved records from being wiped.

#include "acquisition/record_framer.h"
#include "display/window/frm_trace1.h"
#include "display/window/reception_hold.h"
#include "display/window/window_dialogs.h"
#include "export/file_replacement.h"
#include "model/numeric_value.h"

#include <QDir>
#include <QFile>
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

JournalEntry entry(EntryKind kind, const QString &text = {}) {
    return {kind, text, 0, false};
}

// A raw capture as the journal of a connection that received it: a new job at the scale in the
// box, then each whole record.
QByteArray journalOfCapture(QByteArrayView bytes, const QString &scaleText) {
    QByteArray journal = journalHeaderLine();
    journal += encodeEntry({EntryKind::Connect, scaleText, scaleDenomFromText(scaleText), true});
    RecordFramer framer;
    for (const QString &record : framer.feed(bytes))
        journal += encodeEntry(entry(EntryKind::Record, record));
    return journal;
}

} // namespace

void frmTrace1::buildMenu() {
    QMenu *file = ui_.menuBar->addMenu(tr("ファイル(&F)"));
    file->addAction(tr("ジョブを開く…"), QKeySequence::Open, this, &frmTrace1::openJob);
    file->addAction(tr("ジョブを保存"), QKeySequence::Save, this, &frmTrace1::saveJob);
    file->addAction(tr("名前を付けてジョブを保存…"), this, &frmTrace1::saveJobAs);
    actUndoClear_ = file->addAction(tr("直前のクリアを取り消す"), this, &frmTrace1::undoClear);
    actUndoClear_->setEnabled(false);
    buildActionMenus(file);
}

void frmTrace1::wireJob() {
    connect(&session_, &Session::recordArriving, this,
            [this](const QString &record) { job_.note(entry(EntryKind::Record, record)); });
    connect(&session_, &Session::connected, this, [this](bool newJob) {
        job_.note({EntryKind::Connect, scaleText(), model_.store().ScaleDenom, newJob});
        if (newJob)
            jobFileName_.clear();
        updateCaption();
    });
    connect(&session_, &Session::connectionEnded, this,
            [this] { job_.note(entry(EntryKind::Disconnect)); });
    connect(&session_, &Session::recordTaken, this, &frmTrace1::updateCaption);
    connect(&job_, &JobJournal::problem, this, &frmTrace1::showNotice);
}

void frmTrace1::attachJournal(JournalSlot::Choice choice, const QString &dir) {
    QString error;
    if (!job_.attach(choice, dir, &error)) {
        dialogs_->warn(error);
        return;
    }
    if (choice == JournalSlot::Choice::PreferUnsaved && job_.previousJobUnsaved() &&
        dialogs_->ask(tr("前回の作業は保存されていません。復元しますか？"),
                      {tr("復元"), tr("破棄")}) == 0) {
        showRestoredJob(job_.restorePrevious());
        return;
    }
    job_.discardPrevious();
}

void frmTrace1::showRestoredJob(const ReplayResult &restored) {
    if (!restored.scaleText.isNull())
        ui_.txtScale->setText(restored.scaleText);
    setRegistration(restored.registration);
    showRecordsOfJob();
    Redraw(kDisconnectedBackground);
    updateCaption();
}

void frmTrace1::updateCaption() {
    const QString title =
        model_.text(DisplayField::Caption) + (job_.unsaved() ? QStringLiteral("*") : QString());
    if (windowTitle() != title)
        setWindowTitle(title);
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
    return jobFileName_.isEmpty() ? saveJobAs() : writeJob(jobFileName_);
}

bool frmTrace1::saveJobAs() {
    const QString name = dialogs_->chooseSaveFile(jobFilter());
    return !name.isEmpty() && writeJob(name);
}

bool frmTrace1::writeJob(const QString &path) {
    const ReceptionHold hold(session_);
    const JournalEntry saved = entry(EntryKind::JobSaved, path);
    const QByteArray content = job_.content() + encodeEntry(saved);
    const Replacement done = replaceFile(path, [&content](QFileDevice &file) {
        return file.write(content) == content.size() ? QString() : file.errorString();
    });
    if (!done.ok()) {
        dialogs_->warn(done.message(
            tr("ジョブ %1 を保存できませんでした。").arg(QDir::toNativeSeparators(path))));
        return false;
    }
    job_.note(saved);
    jobFileName_ = path;
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
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        dialogs_->warn(tr("%1 を開けませんでした。\n%2").arg(shown, file.errorString()));
        return;
    }
    const QByteArray bytes = file.readAll();
    const bool isJob = parseJournal(bytes).hasHeader;
    const QByteArray journal = isJob ? bytes : journalOfCapture(bytes, scaleText());
    if (!isJob && parseJournal(journal).entries.size() < 2) {
        dialogs_->warn(tr("%1 はジョブファイルでも受信記録でもありません。").arg(shown));
        return;
    }
    // A journal that names no tablet unit is measured in the operator's.
    model_.setTabletUnitMm(portChoice_.tabletUnitMm);
    const ReplayResult opened = job_.load(journal);
    jobFileName_ = isJob ? path : QString();
    showRestoredJob(opened);
    if (isJob && opened.wholeBytes < bytes.size())
        dialogs_->warn(tr("%1 は %2 バイト目から先が壊れていたため、その前までを"
                          "読み込みました。")
                           .arg(shown)
                           .arg(opened.wholeBytes + 1));
}

} // namespace digitrace
