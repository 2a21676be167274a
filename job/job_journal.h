#pragma once

#include "job/job_replay.h"
#include "job/journal_slot.h"
#include "job/journal_writer.h"

#include <QObject>

namespace digitrace {

class TraceModel;

// The job of one window as the stream of its changes: kept in memory for a job file, and in the
// window's own journal so that a crash loses nothing shown. Each change is noted before the
// window shows it.
class JobJournal : public QObject {
    Q_OBJECT
public:
    explicit JobJournal(TraceModel &model, QObject *parent = nullptr);
    // A job with unsaved records stays in the journal for the next start.
    ~JobJournal() override;

    // Takes a journal of this window's own in `dir` (the data folder when empty).
    bool attach(JournalSlot::Choice choice, const QString &dir, QString *error);
    bool isAttached() const { return writer_.isOpen(); }
    QString journalPath() const { return writer_.path(); }
    // What the journal held when it was taken: an unsaved job, or nothing worth offering.
    bool previousJobUnsaved() const;
    // Replays that job and goes on from it; or gives it up.
    ReplayResult restorePrevious();
    void discardPrevious();

    void note(const JournalEntry &entry);
    // Whether the last clear can still be taken back, and whether what it took was unsaved.
    bool canUndoClear() const { return state_.clearUndoable(); }
    bool clearedUnsaved() const { return state_.clearedUnsaved(); }
    // Takes the last clear back: journalled, then the job replayed as a restore would.
    void undoClear();
    // Replaces the job by the whole entries of a journal (a job file).
    ReplayResult load(QByteArrayView journal);
    bool unsaved() const;
    // The job file's content: the journal so far.
    const QByteArray &content() const { return content_; }
    // The job is saved or given up: nothing to keep for the next start.
    void finish();
    JournalWriter &writer() { return writer_; }

signals:
    void problem(const QString &message);

private:
    void openWriter(qsizetype keepBytes);
    void restart(const QByteArray &content);

    TraceModel &model_;
    JournalSlot slot_;
    JournalWriter writer_;
    QByteArray content_;
    SaveState state_;
};

} // namespace digitrace
