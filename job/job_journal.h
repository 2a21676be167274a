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

    // A change to the job: journalled, then applied. The tracing session is what makes changes;
    // only it and the journal's own tests call this. What became of a record. An entry the
    // journal cannot keep (refusal()) is neither journalled nor applied: the job stays as it was
    // and problem() says why.
    RecordOutcome apply(const JournalEntry &entry);
    // Why the journal cannot keep `entry`, empty when it can: a line too long for a restore to
    // read back would lose the entry and everything after it.
    static QString refusal(const JournalEntry &entry);
    // Replaces the job by the entries that read of a journal. `jobFile` is the job file it comes
    // from, which names the job when it reads cleanly; empty for a capture.
    ReplayResult load(QIODevice &journal, const QString &jobFile,
                      const EntryObserver &observe = {});
    // Replaces the job by a recent job's journal (recent_jobs.h), which goes on under the job file
    // it names; the recent copy is given up once this window's journal holds it. Nothing is
    // replaced when the file cannot be read as a journal (isJournal false).
    ReplayResult reopenRecent(const QString &path);
    // Where this window keeps journals no job file holds.
    QString recentFolder() const;
    // What the job says beside the trace: its job file, registration, sheet, published
    // revision, whether its last clear can be taken back...
    const JobState &job() const { return player_.job(); }
    // Whether the job holds records, cleared ones included, that no job file holds.
    bool unkept() const;
    // Takes the last clear back.
    void undoClear();
    bool unsaved() const;
    // The records are in a DXF, the registration or the sheet's name in no file.
    bool onlyDxfKept() const;
    // Writes the job file's content, the journal so far, to `out`; the error, if any. The journal
    // is copied from its file, so that a long job never needs to fit in memory.
    QString writeContent(QIODevice &out) const;
    QByteArray content() const;
    // The job is saved or given up: nothing to offer at the next start. A job no job file holds
    // is kept among the recent jobs.
    void finish();
    JournalWriter &writer() { return writer_; }

signals:
    void problem(const QString &message);
    // A change made through apply(), after the model took it.
    void applied(const digitrace::JournalEntry &entry);

private:
    static QString refusal(const JournalEntry &entry, QByteArrayView line);
    bool openWriter(qsizetype keepBytes);
    ReplayResult replace(QIODevice &journal, const EntryObserver &observe = {});
    // Copies the journal, and `tail` after it, among the recent jobs; false when it cannot.
    bool keepRecent(const QByteArray &tail = {});
    // Starts the job's content anew: in the journal when it can be written, else in memory.
    void startContent();
    void keep(QByteArrayView lines);
    // Keeps each line read, and tells `observe` of its entry.
    EntryObserver keepLine(const EntryObserver &observe = {});

    TraceModel &model_;
    JournalSlot slot_;
    JournalWriter writer_;
    // The job's content while no journal is written; empty while one is.
    QByteArray content_;
    JobPlayer player_;
    // finish() kept or gave up the journal and nothing was applied since.
    bool finished_ = false;
};

} // namespace digitrace
