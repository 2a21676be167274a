#pragma once

#include "job/journal_format.h"
#include "registration/registration.h"

#include <QByteArrayView>

namespace digitrace {

class TraceModel;

// Whether a job holds records that no export or job file has kept since their last change, and
// whether its last clear can still be taken back.
class SaveState {
public:
    // Whether a table that holds `records` slots has changes no file kept: an empty table has
    // nothing to lose.
    bool unsaved(int records) const { return unsaved_ && records > 0; }
    // `recordsBefore`: the records in the table just before the entry applies.
    void note(const JournalEntry &entry, int recordsBefore);
    // A clear that emptied a table can be taken back until a record, a Back of a record or a new
    // job follows it. Clearing the emptied table again leaves that clear the one taken back.
    bool clearUndoable() const { return undoable_; }
    // The records that clear took away were not saved.
    bool clearedUnsaved() const { return undoable_ && unsavedBeforeClear_; }

private:
    bool unsaved_ = false;
    bool undoable_ = false;
    bool unsavedBeforeClear_ = false;
};

// Applies one entry to the model through the intake a live connection uses. A connect changes
// the scale (and, for a new job, resets), a tablet unit the measurements that follow; a
// disconnect changes nothing a restore shows.
void applyEntry(const JournalEntry &entry, TraceModel &model);

// Applies a job's entries in order, keeping what taking back its last clear needs: the job
// before that clear is replayed, with what followed it other than clears of the emptied table.
// A live window, a restore and digitrace-replay all go through here.
class JobPlayer {
public:
    // Starts `model` afresh.
    explicit JobPlayer(TraceModel &model);
    void apply(const JournalEntry &entry);
    const SaveState &state() const { return state_; }

private:
    void undoClear();

    TraceModel &model_;
    QList<JournalEntry> entries_;
    SaveState state_;
    // The entry of the clear that can be taken back.
    qsizetype undoableClear_ = -1;
};

struct ReplayResult {
    bool isJournal = false; // it began with a journal's header
    qsizetype entries = 0;
    qsizetype wholeBytes = 0;
    // Unsaved records in the table, or unsaved records cleared and still to be had back.
    bool unsaved = false;
    SaveState state;
    QString scaleText; // at the last connect, "" when there was none
    // The last registration of the sheet; clearing the trace or a new connection keeps it.
    std::optional<Registration> registration;
    // The last tablet unit journalled, 0 when the journal names none.
    double tabletUnitMm = 0;
};

// Replays the whole entries of a journal on `model` from a fresh start. A journal that names no
// tablet unit (one written before units were journalled) keeps the model's.
ReplayResult replayJournal(QByteArrayView bytes, TraceModel &model);

} // namespace digitrace
