#include "job/job_replay.h"

#include "model/trace_model.h"

namespace digitrace {

void SaveState::note(const JournalEntry &entry, int recordsBefore) {
    switch (entry.kind) {
    case EntryKind::Exported:
        unsaved_ = false;
        break;
    case EntryKind::JobSaved:
        // The job file holds the journal, and so the cleared records and their clear too.
        unsaved_ = unsavedBeforeClear_ = false;
        break;
    case EntryKind::Record:
        unsaved_ = true;
        undoable_ = false;
        break;
    case EntryKind::Back:
        // Back on an empty table takes nothing away.
        if (recordsBefore > 0) {
            unsaved_ = true;
            undoable_ = false;
        }
        break;
    case EntryKind::Registered:
        unsaved_ = true;
        break;
    case EntryKind::Clear:
        if (!undoable_ && recordsBefore > 0) {
            undoable_ = true;
            unsavedBeforeClear_ = unsaved_;
        }
        unsaved_ = false;
        break;
    case EntryKind::ClearUndone:
        if (undoable_)
            unsaved_ = unsavedBeforeClear_;
        undoable_ = false;
        break;
    case EntryKind::Connect:
        if (entry.newJob)
            unsaved_ = undoable_ = false;
        break;
    case EntryKind::Disconnect:
    case EntryKind::TabletUnit:
    case EntryKind::Header:
        break;
    }
}

void applyEntry(const JournalEntry &entry, TraceModel &model) {
    switch (entry.kind) {
    case EntryKind::Record:
        model.takeRecord(entry.text);
        break;
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
    case EntryKind::ClearUndone: // needs the job's history: JobPlayer
    case EntryKind::Header:
        break;
    }
}

JobPlayer::JobPlayer(TraceModel &model) : model_(model) {
    model_.ResetTrace();
}

void JobPlayer::apply(const JournalEntry &entry) {
    const bool undoable = state_.clearUndoable();
    const int recordsBefore = model_.store().PtCount;
    if (entry.kind == EntryKind::ClearUndone && undoable)
        undoClear();
    else
        applyEntry(entry, model_);
    state_.note(entry, recordsBefore);
    if (!undoable && state_.clearUndoable())
        undoableClear_ = entries_.size();
    entries_.append(entry);
}

void JobPlayer::undoClear() {
    // No record follows the clear; the clears and Backs after it found the table empty.
    JobPlayer before(model_);
    for (qsizetype i = 0; i < entries_.size(); ++i) {
        const EntryKind kind = entries_[i].kind;
        if (i < undoableClear_ ||
            (i > undoableClear_ && kind != EntryKind::Clear && kind != EntryKind::Back))
            before.apply(entries_[i]);
    }
}

ReplayResult replayJournal(QByteArrayView bytes, TraceModel &model) {
    const ParsedJournal parsed = parseJournal(bytes);
    ReplayResult result;
    result.isJournal = parsed.hasHeader;
    result.wholeBytes = parsed.wholeBytes;
    JobPlayer player(model);
    for (const JournalEntry &entry : parsed.entries) {
        player.apply(entry);
        if (entry.kind == EntryKind::Connect)
            result.scaleText = entry.text;
        if (entry.kind == EntryKind::Registered)
            if (std::optional<Registration> r = parseRegistrationText(entry.text))
                result.registration = std::move(r);
        if (entry.kind == EntryKind::TabletUnit)
            result.tabletUnitMm = entry.text.toDouble();
    }
    result.entries = parsed.entries.size();
    result.state = player.state();
    result.unsaved = result.state.unsaved(model.store().PtCount) || result.state.clearedUnsaved();
    return result;
}

} // namespace digitrace
