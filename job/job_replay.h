#pragma once

#include "job/journal_reader.h"
#include "model/trace_model.h"
#include "registration/registration.h"

#include <QByteArrayView>
#include <QHash>

#include <functional>
#include <optional>

namespace digitrace {

class TraceModel;

// Whether a job holds records that no export or job file has kept since their last change, and
// whether its last clear can still be taken back. A DXF keeps the records but neither the sheet's
// registration nor its name: a job that has either is kept only by a job file.
class SaveState {
public:
    // Whether a table that holds `records` slots has changes no file kept: an empty table has
    // nothing to lose.
    bool unsaved(int records) const {
        return records > 0 && (unsaved_ || (sinceJobFile_ && (registered_ || named_)));
    }
    // Whether the records are in a DXF but the registration or the sheet's name, which a DXF does
    // not hold, in no job file.
    bool onlyDxfKept(int records) const { return !unsaved_ && unsaved(records); }
    // Whether the job holds records, or cleared records still to be had back, that no job file
    // holds: its journal is then the only full copy of them.
    bool unkept(int records) const {
        return (records > 0 && sinceJobFile_) || (undoable_ && sinceJobFileBeforeClear_);
    }
    // `recordsBefore`: the records in the table just before the entry applies.
    void note(const JournalEntry &entry, int recordsBefore);
    // A clear that emptied a table can be taken back until a record or a Back of a record
    // follows it, a connect for a new job included. Clearing the emptied table again leaves that
    // clear the one taken back.
    bool clearUndoable() const { return undoable_; }
    // The records that clear took away were not saved.
    bool clearedUnsaved() const { return undoable_ && unsavedBeforeClear_; }
    // The records that clear took away are in no job file.
    bool clearedUnkept() const { return undoable_ && sinceJobFileBeforeClear_; }

private:
    bool unsaved_ = false;
    bool undoable_ = false;
    bool unsavedBeforeClear_ = false;
    // Changed since a job file last took the job.
    bool sinceJobFile_ = false;
    bool sinceJobFileBeforeClear_ = false;
    bool registered_ = false;
    bool named_ = false;
};

// Applies one entry to the model through the intake a live connection uses. A connect changes
// the scale (and, for a new job, resets), a tablet unit the measurements that follow; a
// disconnect changes nothing a restore shows.
RecordOutcome applyEntry(const JournalEntry &entry, TraceModel &model);

// What taking back a job's last clear needs: the trace as it stood before that clear, and the
// settings changed since (a continued connect's scale, the tablet unit, the export's name). No
// record follows an undoable clear, so this stays small however long the job.
class ClearUndo {
public:
    // Called with each entry just before it applies to `model`; `state` is the job's so far.
    void before(const JournalEntry &entry, const TraceModel &model, const SaveState &state);
    // Puts the trace back as it was before the clear, with the settings changed since.
    void undo(TraceModel &model);
    // The records the clear took away; 0 when none can be had back.
    int clearedRecords() const { return beforeClear_ ? beforeClear_->store().PtCount : 0; }

private:
    std::optional<TraceModel> beforeClear_;
    QList<JournalEntry> since_;
};

// Applies a job's entries in order, the taking back of a clear included, and keeps what the job
// says beside the trace: its scale text, job file, registration, tablet unit and format. A live
// window, a restore and digitrace-replay all go through apply().
class JobPlayer {
public:
    // Starts `model` afresh.
    explicit JobPlayer(TraceModel &model);
    RecordOutcome apply(const JournalEntry &entry);
    // Starts the model and everything the job says afresh.
    void restart();
    const SaveState &state() const { return state_; }
    const ClearUndo &clearUndo() const { return undo_; }
    // At the last connect; null when there was none.
    const QString &scaleText() const { return scaleText_; }
    // The job file last saved to; a new job has none.
    const QString &jobFileName() const { return jobFileName_; }
    // A damaged job file is never saved over: the job keeps no name.
    void forgetJobFile() { jobFileName_.clear(); }
    // The last registration of the sheet; clearing the trace or a new connection keeps it.
    const std::optional<Registration> &registration() const { return registration_; }
    // The last tablet unit journalled, 0 when none was.
    double tabletUnitMm() const { return tabletUnitMm_; }
    // The sheet's name, the last one journalled; "" when it has none.
    const QString &sheetName() const { return sheetName_; }
    // The revision this job last published of the sheet it names now; none when it published
    // none under that name: a publish belongs to the sheet named before it, not to a name given
    // later.
    std::optional<int> publishedRevision() const;
    // What tells this job from another for the feature ids it publishes: a digest of its entries
    // up to its first record, which every restore, job file and replay of it reads alike and which
    // no later change alters. Before the first record it still changes, but nothing is published.
    QString jobId() const { return QString::fromLatin1(jobIdDigest_.toHex()); }
    // The last tablet format journalled; the designed record when none was.
    const QString &tabletFormat() const { return tabletFormat_; }
    const TraceModel &model() const { return *model_; }

private:
    void noteForJobId(const JournalEntry &entry);

    TraceModel *model_;
    SaveState state_;
    ClearUndo undo_;
    QString scaleText_;
    QString jobFileName_;
    std::optional<Registration> registration_;
    double tabletUnitMm_ = 0;
    QString sheetName_;
    QHash<QString, int> publishedRevisions_; // by sheet name
    // Each entry folded in as the digest of the digest so far and the entry's line.
    QByteArray jobIdDigest_;
    bool jobIdFixed_ = false;
    QString tabletFormat_ = kDesignedTabletFormat;
};

struct ReplayResult {
    bool isJournal = false; // its header, or an entry, was read
    qsizetype entries = 0;
    qint64 wholeBytes = 0; // up to the end of the last whole line
    // Read to its end with its header and every line whole (a torn last entry aside).
    bool clean = false;
    qint64 skippedLines = 0;
    std::optional<JournalProblem> problem; // the first line not taken
    qint64 tornBytes = 0;                  // of a last line without its line end
    // Unsaved records in the table, or unsaved records cleared and still to be had back.
    bool unsaved = false;
    SaveState state;
    QString scaleText; // at the last connect, "" when there was none
    // The last registration of the sheet; clearing the trace or a new connection keeps it.
    std::optional<Registration> registration;
    // The last tablet unit journalled, 0 when the journal names none.
    double tabletUnitMm = 0;
    // The last tablet format journalled, kDesignedTabletFormat when the journal names none.
    QString tabletFormat = kDesignedTabletFormat;
    // The job file the job was last saved to; a new job has none.
    QString jobFileName;
    QString sheetName;                    // "" when the job names none
    std::optional<int> publishedRevision; // what the job's last publish made
    QString jobId;                        // JobPlayer::jobId()
    int refusedFull = 0;
    int refusedOutOfRange = 0;
    // What taking back the job's last clear needs, when it can be.
    ClearUndo clearUndo;
};

// Told of each entry applied, with what became of a record and the entry's line as read.
using EntryObserver =
    std::function<void(const JournalEntry &entry, RecordOutcome outcome, QByteArrayView line)>;

// Replays the entries of a journal that read on `model` from a fresh start, as they are read:
// a damaged line is skipped and counted. A journal that names no tablet unit (one written before
// units were journalled) keeps the model's.
ReplayResult replayJournal(QIODevice &device, TraceModel &model, const EntryObserver &observe = {});
// The same, going on with `player`'s job.
ReplayResult replayJournal(QIODevice &device, JobPlayer &player, const EntryObserver &observe = {});
ReplayResult replayJournal(QByteArrayView bytes, TraceModel &model);

} // namespace digitrace
