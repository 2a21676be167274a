#pragma once

#include <QByteArray>
#include <QLockFile>
#include <QString>

#include <memory>

namespace digitrace {

// The journal of one running window: a numbered file in the data folder, held by a lock file so
// that a second window takes another one. A lock left by a process that died is taken over.
class JournalSlot {
public:
    enum class Choice {
        // A free journal that holds an unsaved job first, to offer it back.
        PreferUnsaved,
        // A free journal with nothing unsaved in it: a run that must not take over another's job.
        AvoidUnsaved,
    };

    // Takes a slot in `dir` (the data folder when empty). False when none can be locked.
    bool acquire(Choice choice, const QString &dir = {});
    QString journalPath() const { return path_; }
    // What the journal held when it was taken.
    const QByteArray &previousContent() const { return previous_; }
    bool isHeld() const { return lock_ != nullptr; }

private:
    std::unique_ptr<QLockFile> lock_;
    QString path_;
    QByteArray previous_;
};

} // namespace digitrace
