#include "job/journal_slot.h"

#include "job/job_replay.h"
#include "model/trace_model.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace digitrace {
namespace {

constexpr int kSlotLimit = 64;

QByteArray readAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool holdsUnsavedJob(const QByteArray &content) {
    TraceModel scratch;
    return replayJournal(content, scratch).unsaved;
}

} // namespace

bool JournalSlot::acquire(Choice choice, const QString &dir) {
    const QString folder =
        dir.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) : dir;
    if (!QDir().mkpath(folder))
        return false;
    const QDir d(folder);
    std::unique_ptr<QLockFile> firstFree;
    QString firstFreePath;
    QByteArray firstFreeContent;
    for (int n = 1; n <= kSlotLimit; ++n) {
        const QString base = QStringLiteral("job-%1").arg(n);
        const QString path = d.filePath(base + QStringLiteral(".journal"));
        // Past the first free slot only journals left behind are of interest.
        if (firstFree && !QFile::exists(path))
            continue;
        auto lock = std::make_unique<QLockFile>(d.filePath(base + QStringLiteral(".lock")));
        lock->setStaleLockTime(0);
        if (!lock->tryLock(0))
            continue;
        QByteArray content = readAll(path);
        const bool unsaved = holdsUnsavedJob(content);
        if (choice == Choice::PreferUnsaved && unsaved) {
            lock_ = std::move(lock);
            path_ = path;
            previous_ = std::move(content);
            return true;
        }
        if (!firstFree && !(choice == Choice::AvoidUnsaved && unsaved)) {
            firstFree = std::move(lock);
            firstFreePath = path;
            firstFreeContent = std::move(content);
            if (choice == Choice::AvoidUnsaved)
                break;
        }
    }
    if (!firstFree)
        return false;
    lock_ = std::move(firstFree);
    path_ = firstFreePath;
    previous_ = std::move(firstFreeContent);
    return true;
}

} // namespace digitrace
