#pragma once

#include "job/journal_reader.h"
#include "model/trace_model.h"
#include "registration/registration.h"

#include <QByteArrayView>

#include <functional>

namespace digitrace {

class TraceModel;

// Whether a job holds records that no export or job file has kept since their last change.
class SaveState {
public:
    // Whether a table that holds `records` slots has changes no file kept: an empty table has
    // nothing to lose.
    bool unsaved(int records) const { return unsaved_ && records > 0; }
    void note(const JournalEntry &entry);

private:
    bool unsaved_ = false;
};

// Applies one entry to the model through the intake a live connection uses. A connect changes
// the scale (and, for a new job, resets), a tablet unit the measurements that follow; a
// disconnect changes nothing a restore shows.
RecordOutcome applyEntry(const JournalEntry &entry, TraceModel &model);

struct ReplayResult {
    bool isJournal = false; // its header, or an entry, was read
    qsizetype entries = 0;
    qint64 wholeBytes = 0; // up to the end of the last whole line
    // Read to its end with its header and every line whole (a torn last entry aside).
    bool clean = false;
    qint64 skippedLines = 0;
    std::optional<JournalProblem> problem; // the first line not taken
    qint64 tornBytes = 0;                  // of a last line without its line end
    bool unsaved = false;
    SaveState state;
    QString scaleText; // at the last connect, "" when there was none
    // The last registration of the sheet; clearing the trace or a new connection keeps it.
    std::optional<Registration> registration;
    // The last tablet unit journalled, 0 when the journal names none.
    double tabletUnitMm = 0;
    // The job file the job was last saved to; a new job has none.
    QString jobFileName;
    int refusedFull = 0;
    int refusedOutOfRange = 0;
};

// Told of each entry applied, with what became of a record and the entry's line as read.
using EntryObserver =
    std::function<void(const JournalEntry &entry, RecordOutcome outcome, QByteArrayView line)>;

// Replays the entries of a journal that read on `model` from a fresh start, as they are read:
// a damaged line is skipped and counted. A journal that names no tablet unit (one written before
// units were journalled) keeps the model's.
ReplayResult replayJournal(QIODevice &device, TraceModel &model, const EntryObserver &observe = {});
ReplayResult replayJournal(QByteArrayView bytes, TraceModel &model);

} // namespace digitrace
