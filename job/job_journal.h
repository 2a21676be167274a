#pragma once

#include "job/job_replay.h"
#include "job/journal_slot.h"
#include "job/journal_writer.h"

#include <QObject>

namespace digitrace {

class TraceModel;

// The job of one window as the stream of its changes: kept in memory for a job file, and in the
// window's own journal so that a crash loses nothing shown. Each change is journalled and then
// applied to the model by the player a restore and digitrace-replay use, so that a live job and
// its replay cannot differ.
class JobJournal : public QObject {
    Q_OBJECT
public:
    explicit JobJournal(TraceModel &model, QObject *parent = nullptr);
    // A job with unsaved records stays in the journal for the next start.
    ~JobJournal() override;

    // Takes a journal of this window's own in `dir` (the data folder when empty). The error names
    // the folder and the reason; a job left unsaved may be offered all the same.
    bool attach(JournalSlot::Choice choice, const QString &dir, QString *error);
    QString journalPath() const { return writer_.path(); }
    const JournalSlot &slot() const { return slot_; }
    // Whether an earlier run left a job unsaved, to offer back.
    bool previousJobUnsaved() const;
    // Replays that job and goes on from it; or gives it up. A journal left by another run that
    // cannot be taken over, or one put aside as damaged, is read, never changed.
    ReplayResult restorePrevious();
    void discardPrevious();

    // A change to the job: journalled, then applied. What became of a record.
    RecordOutcome apply(const JournalEntry &entry);
    // Replaces the job by the entries that read of a journal. `jobFile` is the job file it comes
    // from, which names the job when it reads cleanly; empty for a capture.
    ReplayResult load(QIODevice &journal, const QString &jobFile);
    // The job file the job was last saved to or opened from; empty for a new job.
    QString jobFileName() const { return player_.jobFileName(); }
    // The sheet's registration, the last one journalled.
    const std::optional<Registration> &registration() const { return player_.registration(); }
    // The sheet's name, the revision this job last published of it, and the job's identity for
    // the ids of the features it publishes (JobPlayer says more).
    const QString &sheetName() const { return player_.sheetName(); }
    std::optional<int> publishedRevision() const { return player_.publishedRevision(); }
    QString jobId() const { return player_.jobId(); }
    // Whether the last clear can still be taken back, and whether what it took was unsaved.
    bool canUndoClear() const { return player_.state().clearUndoable(); }
    bool clearedUnsaved() const { return player_.state().clearedUnsaved(); }
    // Takes the last clear back.
    void undoClear();
    bool unsaved() const;
    // Writes the job file's content, the journal so far, to `out`; the error, if any. The journal
    // is copied from its file, so that a long job never needs to fit in memory.
    QString writeContent(QIODevice &out) const;
    QByteArray content() const;
    // The job is saved or given up: nothing to keep for the next start.
    void finish();
    JournalWriter &writer() { return writer_; }

signals:
    void problem(const QString &message);
    // A change made through apply(), after the model took it.
    void applied(const digitrace::JournalEntry &entry);

private:
    bool openWriter(qsizetype keepBytes);
    // Starts the job's content anew: in the journal when it can be written, else in memory.
    void startContent();
    void keep(QByteArrayView lines);
    EntryObserver keepLine();

    TraceModel &model_;
    JournalSlot slot_;
    JournalWriter writer_;
    // The job's content while no journal is written; empty while one is.
    QByteArray content_;
    JobPlayer player_;
};

} // namespace digitrace
