#include "job/job_replay.h"

#include "model/trace_model.h"

#include <QBuffer>
#include <QCryptographicHash>

namespace digitrace {

void SaveState::note(const JournalEntry &entry, int recordsBefore) {
    switch (entry.kind) {
    case EntryKind::Exported:
        unsaved_ = false;
        break;
    case EntryKind::JobSaved:
        // The job file holds the journal, and so the cleared records and their clear too.
        unsaved_ = unsavedBeforeClear_ = sinceJobFile_ = sinceJobFileBeforeClear_ = false;
        break;
    case EntryKind::Record:
        unsaved_ = sinceJobFile_ = true;
        undoable_ = false;
        break;
    case EntryKind::Back:
        // Back on an empty table takes nothing away.
        if (recordsBefore > 0) {
            unsaved_ = sinceJobFile_ = true;
            undoable_ = false;
        }
        break;
    case EntryKind::Registered:
        unsaved_ = sinceJobFile_ = registered_ = true;
        break;
    case EntryKind::Sheet:
        unsaved_ = sinceJobFile_ = true;
        named_ = !entry.text.isEmpty();
        break;
    case EntryKind::Clear:
        if (!undoable_ && recordsBefore > 0) {
            undoable_ = true;
            unsavedBeforeClear_ = unsaved(recordsBefore);
            sinceJobFileBeforeClear_ = sinceJobFile_;
        }
        unsaved_ = false;
        break;
    case EntryKind::ClearUndone:
        if (undoable_) {
            unsaved_ = unsavedBeforeClear_;
            sinceJobFile_ = sinceJobFile_ || sinceJobFileBeforeClear_;
        }
        undoable_ = false;
        break;
    case EntryKind::Connect:
        // The clear before a new job stays undoable until its first record.
        if (entry.newJob) {
            unsaved_ = false;
            sinceJobFile_ = true;
        }
        break;
    case EntryKind::Disconnect:
    case EntryKind::TabletUnit:
    case EntryKind::Published:
    case EntryKind::TabletFormat:
    case EntryKind::Header:
        break;
    }
}

RecordOutcome applyEntry(const JournalEntry &entry, TraceModel &model) {
    switch (entry.kind) {
    case EntryKind::Record:
        return model.takeRecord(entry.text);
    case EntryKind::Connect:
        if (entry.newJob)
            model.ResetTrace();
        model.setScaleDenom(entry.denominator);
        break;
    case EntryKind::Clear:
        model.ResetTrace();
        break;
    case EntryKind::Back:
        model.dropLast();
        break;
    case EntryKind::Exported:
        model.setSaveFileName(entry.text);
        break;
    case EntryKind::TabletUnit:
        model.setTabletUnitMm(entry.text.toDouble());
        break;
    case EntryKind::JobSaved:
    case EntryKind::Disconnect:
    case EntryKind::Registered:
    case EntryKind::Sheet:
    case EntryKind::Published:
    case EntryKind::TabletFormat: // the records journalled are the designed ones already
    case EntryKind::ClearUndone:  // needs the job's history: JobPlayer
    case EntryKind::Header:
        break;
    }
    return RecordOutcome::Kept;
}

void ClearUndo::before(const JournalEntry &entry, const TraceModel &model, const SaveState &state) {
    switch (entry.kind) {
    case EntryKind::Clear:
        // Only the clear that empties a table can be taken back; clearing it again keeps that one.
        if (!state.clearUndoable() && model.store().PtCount > 0) {
            beforeClear_ = model;
            since_.clear();
        }
        break;
    case EntryKind::Connect:
    case EntryKind::TabletUnit:
    case EntryKind::Exported: {
        if (!state.clearUndoable())
            break;
        // Each kind sets a field of its own: the last of each is all the undo needs.
        since_.removeIf([&](const JournalEntry &e) { return e.kind == entry.kind; });
        JournalEntry kept = entry;
        // A new job's connect takes its scale to the job brought back, not its reset.
        kept.newJob = false;
        since_.append(kept);
        break;
    }
    default:
        break;
    }
}

void ClearUndo::undo(TraceModel &model) {
    if (!beforeClear_)
        return;
    model.restoreTrace(*beforeClear_);
    for (const JournalEntry &entry : since_)
        applyEntry(entry, model);
    beforeClear_.reset();
    since_.clear();
}

JobPlayer::JobPlayer(TraceModel &model) : model_(&model) {
    model_->ResetTrace();
}

void JobPlayer::noteForJobId(const JournalEntry &entry) {
    if (entry.kind == EntryKind::Connect && entry.newJob) {
        jobIdDigest_.clear();
        jobIdFixed_ = false;
    }
    if (jobIdFixed_)
        return;
    jobIdDigest_ =
        QCryptographicHash::hash(jobIdDigest_ + encodeEntry(entry), QCryptographicHash::Sha256);
    jobIdFixed_ = entry.kind == EntryKind::Record;
}

void JobPlayer::restart() {
    *this = JobPlayer(*model_);
}

std::optional<int> JobPlayer::publishedRevision() const {
    const auto found = publishedRevisions_.constFind(sheetName_);
    return found == publishedRevisions_.cend() ? std::nullopt : std::optional<int>(*found);
}

RecordOutcome JobPlayer::apply(const JournalEntry &entry) {
    const int recordsBefore = model_->store().PtCount;
    const bool takesClearBack = entry.kind == EntryKind::ClearUndone && state_.clearUndoable();
    if (entry.kind != EntryKind::ClearUndone)
        undo_.before(entry, *model_, state_);
    // Noted before the model changes: what the model shows as it changes asks the job's state.
    state_.note(entry, recordsBefore);
    noteForJobId(entry);
    switch (entry.kind) {
    case EntryKind::Connect:
        scaleText_ = entry.text;
        if (entry.newJob) {
            jobFileName_.clear();
            // The sheet keeps its name, as it keeps its registration; this job published nothing.
            publishedRevisions_.clear();
        }
        break;
    case EntryKind::Sheet:
        sheetName_ = entry.text;
        break;
    case EntryKind::Published:
        publishedRevisions_.insert(sheetName_, entry.text.toInt());
        break;
    case EntryKind::JobSaved:
        jobFileName_ = entry.text;
        break;
    case EntryKind::Registered:
        if (std::optional<Registration> r = parseRegistrationText(entry.text))
            registration_ = std::move(r);
        break;
    case EntryKind::TabletUnit:
        tabletUnitMm_ = entry.text.toDouble();
        break;
    case EntryKind::TabletFormat:
        tabletFormat_ = entry.text;
        break;
    default:
        break;
    }
    if (entry.kind != EntryKind::ClearUndone)
        return applyEntry(entry, *model_);
    if (takesClearBack)
        undo_.undo(*model_);
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
    result.state = player.state();
    result.clearUndo = player.clearUndo();
    result.scaleText = player.scaleText();
    result.jobFileName = player.jobFileName();
    result.registration = player.registration();
    result.tabletUnitMm = player.tabletUnitMm();
    result.sheetName = player.sheetName();
    result.publishedRevision = player.publishedRevision();
    result.jobId = player.jobId();
    result.tabletFormat = player.tabletFormat();
    result.unsaved =
        result.state.unsaved(player.model().store().PtCount) || result.state.clearedUnsaved();
    return result;
}

ReplayResult replayJournal(QByteArrayView bytes, TraceModel &model) {
    QByteArray data = QByteArray::fromRawData(bytes.data(), bytes.size());
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    return replayJournal(buffer, model);
}

} // namespace digitrace
