#pragma once

#include "job/feature_classes.h"
#include "job/journal_format.h"
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
    // What each change does to it (job_player.cpp says which change does what).
    void recordsChanged();
    void exported() { unsaved_ = false; }
    void jobSaved();
    void registered();
    void named(bool named);
    // `recordsBefore`: the records in the table just before the clear.
    void cleared(int recordsBefore);
    void clearUndone();
    void newJob();
    // The catalogue, a class's values: what no DXF keeps.
    void classesChanged();
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

// What taking back a job's last clear needs: the trace as it stood before that clear, and the
// settings changed since (a continued connect's scale, the tablet unit, the export's name). No
// record follows an undoable clear, so this stays small however long the job.
class ClearUndo {
public:
    // Just before a clear applies to `model`; `state` is the job's so far. Whether this clear is
    // the one that can be taken back.
    bool clearing(const TraceModel &model, const SaveState &state);
    // Settings changed while the clear can be taken back, put back with the trace.
    void keepScale(float denominator, const SaveState &state);
    void keepTabletUnit(double mm, const SaveState &state);
    void keepSaveFileName(const QString &name, const SaveState &state);
    // The classed features the clear took away, put back by the undo.
    void keepFeatures(ClassedFeatures features) { features_ = std::move(features); }
    ClassedFeatures takeFeatures() { return std::exchange(features_, {}); }
    // Puts the trace back as it was before the clear, with the settings changed since.
    void undo(TraceModel &model);
    // The records the clear took away; 0 when none can be had back.
    int clearedRecords() const { return beforeClear_ ? beforeClear_->store().PtCount : 0; }

private:
    std::optional<TraceModel> beforeClear_;
    std::optional<float> scale_;
    std::optional<double> tabletUnitMm_;
    std::optional<QString> saveFileName_;
    ClassedFeatures features_;
};

// What a job says beside the trace: what a restore gives back and a live window shows.
struct JobState {
    SaveState save;
    ClearUndo clearUndo;
    // At the last connect; null when there was none.
    QString scaleText;
    // The job file last saved to; a new job has none.
    QString jobFileName;
    // The last registration of the sheet; clearing the trace or a new connection keeps it.
    std::optional<Registration> registration;
    // The last tablet unit journalled, 0 when none was.
    double tabletUnitMm = 0;
    // The last tablet format journalled; the designed record when none was.
    QString tabletFormat = kDesignedTabletFormat;
    // The sheet's name, the last one journalled; "" when it has none.
    QString sheetName;
    // Its catalogue and each feature's class and values, when it traces into classes.
    FeatureClasses classes;
    // The tablet menu's text, the last one journalled: it stays on the tablet through clears and
    // new jobs. "" when there is none.
    QString tabletMenu;
    // Millimetres on the sheet within which presses snap, the last journalled; 0: they do not.
    double snapMm = 0;
    // The revision this job last published of the sheet it names now; none when it published
    // none under that name: a publish belongs to the sheet named before it, not to a name given
    // later.
    std::optional<int> publishedRevision() const;
    // What tells this job from another for the feature ids it publishes: a digest of its entries
    // up to its first record, which every restore, job file and replay of it reads alike and
    // which no later change alters. Before the first record it still changes, but nothing is
    // published.
    QString jobId() const { return QString::fromLatin1(jobIdDigest.toHex()); }

    QHash<QString, int> publishedRevisions; // by sheet name
    // Each entry folded in as the digest of the digest so far and the entry's line.
    QByteArray jobIdDigest;
    bool jobIdFixed = false;
};

// Applies a job's entries in order, the taking back of a clear included, to the trace and to
// what the job says beside it. A live window, a restore and digitrace-replay all go through
// apply().
class JobPlayer {
public:
    // Starts `model` afresh.
    explicit JobPlayer(TraceModel &model);
    RecordOutcome apply(const JournalEntry &entry);
    // Starts the model and everything the job says afresh.
    void restart();
    const JobState &job() const { return job_; }
    // A damaged job file is never saved over: the job keeps no name.
    void forgetJobFile() { job_.jobFileName.clear(); }
    const TraceModel &model() const { return *model_; }

private:
    // What each kind does: job_replay.cpp, one function a kind.
    friend struct ApplyEntry;
    void noteForJobId(const JournalEntry &entry);

    TraceModel *model_;
    JobState job_;
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
    JobState job;
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
// The same, going on with `player`'s job.
ReplayResult replayJournal(QIODevice &device, JobPlayer &player, const EntryObserver &observe = {});
ReplayResult replayJournal(QByteArrayView bytes, TraceModel &model);

} // namespace digitrace
