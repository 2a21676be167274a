#pragma once

#include <QDateTime>
#include <QLockFile>
#include <QString>
#include <QStringList>

#include <memory>

namespace digitrace {

// What a journal left behind by an earlier run holds, read without changing it.
struct JournalSurvey {
    bool exists = false;
    bool readable = false; // a plain file that could be opened
    bool clean = false;    // read whole: header and every line
    bool unsaved = false;  // what reads of it holds records no file kept
    bool unkept = false;   // ... or records no job file holds (SaveState::unkept())
    qint64 skippedLines = 0;
    QString error;     // why it could not be read
    QString sheetName; // "" when the job names none
    // The records in the trace, or, when the last clear can be taken back, those it took.
    int records = 0;
    QDateTime lastChange; // local time
};

JournalSurvey surveyJournal(const QString &path);

// The journal of one running window: a numbered file in the data folder, held by a lock file so
// that a second window takes another one. A lock left by a process that died is taken over.
// A journal that does not read cleanly is never reused: the window puts it aside and offers what
// reads of it; a run that avoids unsaved jobs leaves it alone.
class JournalSlot {
public:
    enum class Choice {
        // A free journal that holds an unsaved job first, to offer it back.
        PreferUnsaved,
        // A free journal with nothing unsaved in it: a run that must not take over another's job.
        AvoidUnsaved,
    };

    // Takes a slot in `dir` (the data folder when empty). False when none can be locked; a job
    // left unsaved may still be offered then, from where it lies.
    bool acquire(Choice choice, const QString &dir = {});
    QString journalPath() const { return path_; }
    bool isHeld() const { return lock_ != nullptr; }
    // Why no slot could be taken, and the folder.
    QString error() const { return error_; }
    QString folder() const { return folder_; }

    // The journal a job left unsaved, to offer back: the slot's own, a damaged one put aside, or,
    // when no slot can be held, one no running window holds. Empty when there is none.
    QString previousPath() const { return previousPath_; }
    const JournalSurvey &previous() const { return previousSurvey_; }
    // Damaged or unreadable journals put aside (their new paths), and those left where they are
    // because they could not be moved.
    QStringList setAside() const { return setAside_; }
    QStringList leftDamaged() const { return leftDamaged_; }

private:
    bool takeLockedSlots(Choice choice);
    void findOrphanedJob();
    // Moves a journal that does not read cleanly out of the slot's way; its new path, or nothing
    // when it cannot be moved.
    QString putAside(const QString &path);
    // Copies a journal about to be reused, whose records no job file holds, among the recent jobs.
    void keepAsRecent(const QString &path);

    std::unique_ptr<QLockFile> lock_;
    QString folder_;
    QString path_;
    QString error_;
    QString previousPath_;
    JournalSurvey previousSurvey_;
    QStringList setAside_;
    QStringList leftDamaged_;
};

} // namespace digitrace
