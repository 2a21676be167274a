#include "job/job_replay.h"

#include "model/trace_model.h"

#include <QBuffer>
#include <QCryptographicHash>

namespace digitrace {

void SaveState::recordsChanged() {
    unsaved_ = sinceJobFile_ = true;
    undoable_ = false;
}

void SaveState::jobSaved() {
    // The job file holds the journal, and so the cleared records and their clear too.
    unsaved_ = unsavedBeforeClear_ = sinceJobFile_ = sinceJobFileBeforeClear_ = false;
}

void SaveState::registered() {
    unsaved_ = sinceJobFile_ = registered_ = true;
}

void SaveState::named(bool named) {
    unsaved_ = sinceJobFile_ = true;
    named_ = named;
}

void SaveState::cleared(int recordsBefore) {
    if (!undoable_ && recordsBefore > 0) {
        undoable_ = true;
        unsavedBeforeClear_ = unsaved(recordsBefore);
        sinceJobFileBeforeClear_ = sinceJobFile_;
    }
    unsaved_ = false;
}

void SaveState::clearUndone() {
    if (undoable_) {
        unsaved_ = unsavedBeforeClear_;
        sinceJobFile_ = sinceJobFile_ || sinceJobFileBeforeClear_;
    }
    undoable_ = false;
}

void SaveState::newJob() {
    // The clear before a new job stays undoable until its first record.
    unsaved_ = false;
    sinceJobFile_ = true;
}

void ClearUndo::clearing(const TraceModel &model, const SaveState &state) {
    // Only the clear that empties a table can be taken back; clearing it again keeps that one.
    if (state.clearUndoable() || model.store().PtCount == 0)
        return;
    beforeClear_ = model;
    scale_.reset();
    tabletUnitMm_.reset();
    saveFileName_.reset();
}

void ClearUndo::keepScale(float denominator, const SaveState &state) {
    if (state.clearUndoable())
        scale_ = denominator;
}

void ClearUndo::keepTabletUnit(double mm, const SaveState &state) {
    if (state.clearUndoable())
        tabletUnitMm_ = mm;
}

void ClearUndo::keepSaveFileName(const QString &name, const SaveState &state) {
    if (state.clearUndoable())
        saveFileName_ = name;
}

void ClearUndo::undo(TraceModel &model) {
    if (!beforeClear_)
        return;
    model.restoreTrace(*beforeClear_);
    if (scale_)
        model.setScaleDenom(*scale_);
    if (tabletUnitMm_)
        model.setTabletUnitMm(*tabletUnitMm_);
    if (saveFileName_)
        model.setSaveFileName(*saveFileName_);
    *this = ClearUndo();
}

std::optional<int> JobState::publishedRevision() const {
    const auto found = publishedRevisions.constFind(sheetName);
    return found == publishedRevisions.cend() ? std::nullopt : std::optional<int>(*found);
}

JobPlayer::JobPlayer(TraceModel &model) : model_(&model) {
    model_->ResetTrace();
}

void JobPlayer::restart() {
    *this = JobPlayer(*model_);
}

void JobPlayer::noteForJobId(const JournalEntry &entry) {
    const auto *connect = std::get_if<entry::Connect>(&entry);
    if (connect && connect->newJob) {
        job_.jobIdDigest.clear();
        job_.jobIdFixed = false;
    }
    if (job_.jobIdFixed)
        return;
    job_.jobIdDigest =
        QCryptographicHash::hash(job_.jobIdDigest + encodeEntry(entry), QCryptographicHash::Sha256);
    job_.jobIdFixed = is<entry::Record>(entry);
}

RecordOutcome JobPlayer::apply(const JournalEntry &entry) {
    noteForJobId(entry);
    return std::visit([this](const auto &e) { return applyKind(e); }, entry);
}

// What each kind of entry does, to the job's state (noted before the model changes: what the
// model shows as it changes asks the job's state) and then to the trace.

RecordOutcome JobPlayer::applyKind(const entry::Record &e) {
    job_.save.recordsChanged();
    return e.fields ? model_->takeRecord(*e.fields) : model_->takeRecord(e.text);
}

RecordOutcome JobPlayer::applyKind(const entry::Connect &e) {
    job_.clearUndo.keepScale(e.denominator, job_.save);
    job_.scaleText = e.scaleText;
    if (e.newJob) {
        job_.save.newJob();
        job_.jobFileName.clear();
        // The sheet keeps its name, as it keeps its registration; this job published nothing.
        job_.publishedRevisions.clear();
        model_->ResetTrace();
    }
    model_->setScaleDenom(e.denominator);
    return RecordOutcome::Kept;
}

RecordOutcome JobPlayer::applyKind(const entry::Clear &) {
    job_.clearUndo.clearing(*model_, job_.save);
    job_.save.cleared(model_->store().PtCount);
    model_->ResetTrace();
    return RecordOutcome::Kept;
}

RecordOutcome JobPlayer::applyKind(const entry::Back &) {
    // Back on an empty table takes nothing away.
    if (model_->store().PtCount > 0)
        job_.save.recordsChanged();
    model_->dropLast();
    return RecordOutcome::Kept;
}

RecordOutcome JobPlayer::applyKind(const entry::Disconnect &) {
    return RecordOutcome::Kept;
}

RecordOutcome JobPlayer::applyKind(const entry::Exported &e) {
    job_.clearUndo.keepSaveFileName(e.fileName, job_.save);
    job_.save.exported();
    model_->setSaveFileName(e.fileName);
    return RecordOutcome::Kept;
}

RecordOutcome JobPlayer::applyKind(const entry::JobSaved &e) {
    job_.save.jobSaved();
    job_.jobFileName = e.fileName;
    return RecordOutcome::Kept;
}

RecordOutcome JobPlayer::applyKind(const entry::Registered &e) {
    job_.save.registered();
    if (std::optional<Registration> r = parseRegistrationText(e.text))
        job_.registration = std::move(r);
    return RecordOutcome::Kept;
}

RecordOutcome JobPlayer::applyKind(const entry::TabletUnit &e) {
    job_.clearUndo.keepTabletUnit(e.mm, job_.save);
    job_.tabletUnitMm = e.mm;
    model_->setTabletUnitMm(e.mm);
    return RecordOutcome::Kept;
}

RecordOutcome JobPlayer::applyKind(const entry::TabletFormat &e) {
    // The records journalled are the designed ones already: the trace does not change.
    job_.tabletFormat = e.text;
    return RecordOutcome::Kept;
}

RecordOutcome JobPlayer::applyKind(const entry::ClearUndone &) {
    const bool takesClearBack = job_.save.clearUndoable();
    job_.save.clearUndone();
    if (takesClearBack)
        job_.clearUndo.undo(*model_);
    return RecordOutcome::Kept;
}

RecordOutcome JobPlayer::applyKind(const entry::Sheet &e) {
    job_.save.named(!e.name.isEmpty());
    job_.sheetName = e.name;
    return RecordOutcome::Kept;
}

RecordOutcome JobPlayer::applyKind(const entry::Published &e) {
    job_.publishedRevisions.insert(job_.sheetName, e.revision);
    return RecordOutcome::Kept;
}

ReplayResult replayJournal(QIODevice &device, TraceModel &model, const EntryObserver &observe) {
    JobPlayer player(model);
    return replayJournal(device, player, observe);
}

ReplayResult replayJournal(QIODevice &device, JobPlayer &player, const EntryObserver &observe) {
    JournalReader reader(device);
    ReplayResult result;
    JournalEntry entry;
    QByteArrayView line;
    while (reader.next(&entry, &line)) {
        const RecordOutcome outcome = player.apply(entry);
        ++result.entries;
        result.refusedFull += outcome == RecordOutcome::RefusedFull;
        result.refusedOutOfRange += outcome == RecordOutcome::RefusedOutOfRange;
        if (observe)
            observe(entry, outcome, line);
    }
    result.isJournal = reader.hasHeader() || result.entries > 0;
    result.wholeBytes = reader.wholeBytes();
    result.clean = reader.isClean();
    result.skippedLines = reader.skippedLines();
    result.problem = reader.firstProblem();
    result.tornBytes = reader.tornBytes();
    result.job = player.job();
    const int records = player.model().store().PtCount;
    result.unsaved = result.job.save.unsaved(records) || result.job.save.clearedUnsaved();
    return result;
}

ReplayResult replayJournal(QByteArrayView bytes, TraceModel &model) {
    QByteArray data = QByteArray::fromRawData(bytes.data(), bytes.size());
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    return replayJournal(buffer, model);
}

} // namespace digitrace
