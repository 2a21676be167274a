#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>

class QIODevice;

namespace digitrace {

// Journals that no job file holds, kept when their window closed, opened another job or started
// a new one, so that a job given up can still be had back for a while.
inline constexpr int kRecentJobDays = 30;

struct RecentJob {
    QString path;
    QString sheetName; // "" when the job names none
    int records = 0;   // the trace's, or the cleared ones it can have back
    QDateTime lastChange;
};

// The recent jobs' folder beside the journals of `journalFolder`.
QString recentJobsFolder(const QString &journalFolder);

// Writes a recent job with `write` into `folder`, after pruning those past kRecentJobDays; the
// new file's path, or empty with `error` set.
QString keepRecentJob(const QString &folder, const std::function<QString(QIODevice &)> &write,
                      QString *error);

// Copies the journal at `path` as a recent job into `folder`; as keepRecentJob().
QString keepRecentCopy(const QString &folder, const QString &path, QString *error);

// The recent jobs of `folder`, newest first, at most `limit`; those past kRecentJobDays are
// deleted first.
QList<RecentJob> recentJobs(const QString &folder, int limit);

} // namespace digitrace
