#include "job/journal_slot.h"

#include "job/job_replay.h"
#include "job/journal_reader.h"
#include "job/recent_jobs.h"
#include "model/trace_model.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace digitrace {
namespace {

constexpr int kSlotLimit = 64;

QString journalName(int n) {
    return QStringLiteral("job-%1.journal").arg(n);
}
QString lockName(int n) {
    return QStringLiteral("job-%1.lock").arg(n);
}

// A dangling link is there too: it must not be written through.
bool present(const QString &path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// Why nothing can be created in `folder`, as the system says it.
QString whyNotWritable(const QString &folder) {
    const QByteArray probe =
        QFile::encodeName(QDir(folder).filePath(QStringLiteral(".write-test-%1").arg(getpid())));
    const int fd = ::open(probe.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    ::close(fd);
    ::unlink(probe.constData());
    return QCoreApplication::translate("digitrace::JobJournal",
                                       "%1 個の作業記録がすべて他のウィンドウで使用中です。")
        .arg(kSlotLimit);
}

bool heldByRunningProcess(const QString &lockPath) {
    QLockFile lock(lockPath);
    qint64 pid = 0;
    QString host, app;
    if (!lock.getLockInfo(&pid, &host, &app) || pid <= 0)
        return false;
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

} // namespace

JournalSurvey surveyJournal(const QString &path) {
    JournalSurvey survey;
    if (!present(path))
        return survey;
    survey.exists = true;
    QFile file;
    const PlainFileOpening opening = openPlainFile(file, path);
    if (!opening.ok) {
        survey.error = opening.notPlain
                           ? QCoreApplication::translate("digitrace::JobJournal",
                                                         "通常のファイルではありません。")
                           : opening.error;
        return survey;
    }
    survey.readable = true;
    survey.lastChange = QFileInfo(file).lastModified();
    // Killed while its header was being written: nothing was in it yet.
    const QByteArray header = journalHeaderLine();
    if (file.size() < header.size() && header.startsWith(file.peek(header.size()))) {
        survey.clean = true;
        return survey;
    }
    TraceModel scratch;
    const ReplayResult r = replayJournal(file, scratch);
    survey.clean = r.clean;
    survey.unsaved = r.unsaved;
    survey.unkept = r.job.save.unkept(scratch.store().PtCount);
    survey.skippedLines = r.skippedLines;
    survey.sheetName = r.job.sheetName;
    survey.records = r.job.save.clearUndoable() && scratch.store().PtCount == 0
                         ? r.job.clearUndo.clearedRecords()
                         : scratch.store().PtCount;
    return survey;
}

bool JournalSlot::acquire(Choice choice, const QString &dir) {
    folder_ =
        dir.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) : dir;
    if (!QDir().mkpath(folder_)) {
        error_ = QCoreApplication::translate("digitrace::JobJournal", "フォルダーを作れません。");
        return false;
    }
    if (takeLockedSlots(choice))
        return true;
    error_ = whyNotWritable(folder_);
    // Records a crash left behind are offered even when they cannot be taken over.
    if (choice == Choice::PreferUnsaved)
        findOrphanedJob();
    return false;
}

bool JournalSlot::takeLockedSlots(Choice choice) {
    const QDir d(folder_);
    std::unique_ptr<QLockFile> firstFree;
    QString firstFreePath;
    bool firstFreeUnkept = false;
    for (int n = 1; n <= kSlotLimit; ++n) {
        const QString path = d.filePath(journalName(n));
        // Past the first free slot only journals left behind are of interest.
        if (firstFree && !present(path))
            continue;
        auto lock = std::make_unique<QLockFile>(d.filePath(lockName(n)));
        lock->setStaleLockTime(0);
        if (!lock->tryLock(0))
            continue;
        const JournalSurvey survey = surveyJournal(path);
        const bool damaged = survey.exists && !survey.clean;
        // Another window's job, damaged or not, is no business of a run that avoids them.
        if (choice == Choice::AvoidUnsaved && (damaged || survey.unsaved))
            continue;
        QString previous = path;
        if (damaged) {
            previous = putAside(path);
            if (previous.isEmpty())
                continue;
        }
        if (choice == Choice::PreferUnsaved && survey.unsaved) {
            lock_ = std::move(lock);
            path_ = path;
            previousPath_ = previous;
            previousSurvey_ = survey;
            return true;
        }
        if (!firstFree) {
            firstFree = std::move(lock);
            firstFreePath = path;
            firstFreeUnkept = survey.unkept && !damaged;
            if (choice == Choice::AvoidUnsaved)
                break;
        }
    }
    if (!firstFree)
        return false;
    if (firstFreeUnkept)
        keepAsRecent(firstFreePath);
    lock_ = std::move(firstFree);
    path_ = firstFreePath;
    return true;
}

void JournalSlot::findOrphanedJob() {
    const QDir d(folder_);
    for (int n = 1; n <= kSlotLimit; ++n) {
        const QString path = d.filePath(journalName(n));
        if (!present(path) || heldByRunningProcess(d.filePath(lockName(n))))
            continue;
        const JournalSurvey survey = surveyJournal(path);
        if (survey.exists && !survey.clean)
            leftDamaged_ << path;
        if (survey.unsaved && previousPath_.isEmpty()) {
            previousPath_ = path;
            previousSurvey_ = survey;
        }
    }
}

void JournalSlot::keepAsRecent(const QString &path) {
    // Best effort: the slot is needed whether or not the copy could be made.
    QString error;
    keepRecentCopy(recentJobsFolder(folder_), path, &error);
}

QString JournalSlot::putAside(const QString &path) {
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    QString aside = path + QStringLiteral(".damaged-") + stamp;
    for (int i = 2; present(aside); ++i)
        aside = path + QStringLiteral(".damaged-%1-%2").arg(stamp).arg(i);
    // The link or the file itself moves, never what a link points to.
    if (std::rename(QFile::encodeName(path).constData(), QFile::encodeName(aside).constData()) !=
        0) {
        leftDamaged_ << path;
        return {};
    }
    setAside_ << aside;
    return aside;
}

} // namespace digitrace
