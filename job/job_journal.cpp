#include "job/job_journal.h"

#include "model/trace_model.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

namespace digitrace {

JobJournal::JobJournal(TraceModel &model, QObject *parent)
    : QObject(parent), model_(model), content_(journalHeaderLine()) {
    connect(&writer_, &JournalWriter::problem, this, &JobJournal::problem);
}

JobJournal::~JobJournal() {
    if (!unsaved())
        finish();
}

bool JobJournal::attach(JournalSlot::Choice choice, const QString &dir, QString *error) {
    if (!slot_.acquire(choice, dir)) {
        if (error)
            *error = QCoreApplication::translate("digitrace::JobJournal",
                                                 "作業記録のファイルを %1 に用意できませんでした。"
                                                 "\n%2\n記録はメモリーにだけ残ります。")
                         .arg(QDir::toNativeSeparators(slot_.folder()), slot_.error());
        return false;
    }
    // Nothing goes to the journal until the previous job is restored or given up.
    return true;
}

bool JobJournal::previousJobUnsaved() const {
    return !slot_.previousPath().isEmpty() && slot_.previous().unsaved;
}

ReplayResult JobJournal::restorePrevious() {
    QFile file;
    ReplayResult r;
    content_ = journalHeaderLine();
    if (openPlainFile(file, slot_.previousPath()).ok)
        r = replayJournal(
            file, model_,
            [this](const JournalEntry &, RecordOutcome, QByteArrayView line) { content_ += line; });
    state_ = r.state;
    jobFileName_ = r.jobFileName;
    if (!slot_.isHeld())
        return r;
    // The window's own journal, read whole, goes on as it is; anything else is written anew.
    if (slot_.previousPath() == slot_.journalPath() && r.clean) {
        openWriter(r.wholeBytes);
    } else {
        openWriter(0);
        writer_.appendBytes(content_.sliced(journalHeaderLine().size()));
    }
    return r;
}

void JobJournal::discardPrevious() {
    if (slot_.isHeld())
        openWriter(0);
}

void JobJournal::openWriter(qsizetype keepBytes) {
    QString error;
    if (!writer_.open(slot_.journalPath(), keepBytes, &error))
        emit problem(QCoreApplication::translate("digitrace::JobJournal",
                                                 "作業記録 %1 を開けませんでした。\n%2")
                         .arg(QDir::toNativeSeparators(slot_.journalPath()), error));
}

void JobJournal::note(const JournalEntry &entry) {
    const QByteArray line = encodeEntry(entry);
    content_ += line;
    writer_.appendBytes(line);
    state_.note(entry);
    if (entry.kind == EntryKind::JobSaved)
        jobFileName_ = entry.text;
    else if (entry.kind == EntryKind::Connect && entry.newJob)
        jobFileName_.clear();
}

ReplayResult JobJournal::load(QIODevice &journal, const QString &jobFile) {
    QByteArray content = journalHeaderLine();
    const ReplayResult r = replayJournal(
        journal, model_,
        [&content](const JournalEntry &, RecordOutcome, QByteArrayView line) { content += line; });
    state_ = r.state;
    restart(content);
    // Saving over a damaged job file would lose what could not be read of it.
    jobFileName_.clear();
    if (r.clean && r.tornBytes == 0 && !jobFile.isEmpty()) {
        if (r.jobFileName != jobFile)
            note({EntryKind::JobSaved, jobFile, 0, false});
        jobFileName_ = jobFile;
    }
    return r;
}
void JobJournal::restart(const QByteArray &content) {
    content_ = content;
    if (!writer_.isOpen())
        return;
    writer_.open(writer_.path(), 0, nullptr);
    writer_.appendBytes(content.sliced(journalHeaderLine().size()));
}

bool JobJournal::unsaved() const {
    return state_.unsaved(model_.store().PtCount);
}

void JobJournal::finish() {
    writer_.discard();
}

} // namespace digitrace
