#include "job/job_journal.h"

#include "model/trace_model.h"

#include <QCoreApplication>
#include <QDir>

namespace digitrace {

JobJournal::JobJournal(TraceModel &model, QObject *parent)
    : QObject(parent), model_(model), content_(journalHeaderLine()) {
    connect(&writer_, &JournalWriter::problem, this, &JobJournal::problem);
}

JobJournal::~JobJournal() {
    if (!unsaved() && !clearedUnsaved())
        finish();
}

bool JobJournal::attach(JournalSlot::Choice choice, const QString &dir, QString *error) {
    if (!slot_.acquire(choice, dir)) {
        if (error)
            *error = QCoreApplication::translate("digitrace::JobJournal",
                                                 "作業記録のファイルを用意できませんでした。");
        return false;
    }
    // Nothing goes to the journal until the previous job is restored or given up.
    return true;
}

bool JobJournal::previousJobUnsaved() const {
    TraceModel scratch;
    return replayJournal(slot_.previousContent(), scratch).unsaved;
}

ReplayResult JobJournal::restorePrevious() {
    const ReplayResult r = replayJournal(slot_.previousContent(), model_);
    state_ = r.state;
    content_ = slot_.previousContent().first(r.wholeBytes);
    if (!r.isJournal)
        content_ = journalHeaderLine();
    openWriter(r.isJournal ? r.wholeBytes : 0);
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
    state_.note(entry, model_.store().PtCount);
}

void JobJournal::undoClear() {
    if (!canUndoClear())
        return;
    note({EntryKind::ClearUndone, {}, 0, false});
    state_ = replayJournal(content_, model_).state;
}

ReplayResult JobJournal::load(QByteArrayView journal) {
    const ReplayResult r = replayJournal(journal, model_);
    state_ = r.state;
    restart(r.isJournal ? journal.first(r.wholeBytes).toByteArray() : journalHeaderLine());
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
