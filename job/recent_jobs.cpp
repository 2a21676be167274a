#include "job/recent_jobs.h"

#include "job/journal_reader.h"
#include "job/journal_slot.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace digitrace {
namespace {

const QString kPattern = QStringLiteral("recent-*.journal");

void prune(const QDir &dir) {
    const QDateTime oldest = QDateTime::currentDateTime().addDays(-kRecentJobDays);
    for (const QFileInfo &info : dir.entryInfoList({kPattern}, QDir::Files))
        if (info.lastModified() < oldest)
            QFile::remove(info.filePath());
}

} // namespace

QString recentJobsFolder(const QString &journalFolder) {
    return QDir(journalFolder).filePath(QStringLiteral("recent"));
}

QString keepRecentJob(const QString &folder, const std::function<QString(QIODevice &)> &write,
                      QString *error) {
    if (!QDir().mkpath(folder)) {
        *error = QDir::toNativeSeparators(folder);
        return {};
    }
    const QDir dir(folder);
    prune(dir);
    // Names sort in the order the jobs were kept: a file's time is too coarse to tell two kept
    // within a few milliseconds apart.
    const QString stamp =
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-hhmmss-zzz"));
    QString path;
    for (int i = 1; path.isEmpty() || QFileInfo::exists(path); ++i)
        path = dir.filePath(
            QStringLiteral("recent-%1-%2.journal").arg(stamp).arg(i, 4, 10, QChar(u'0')));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return {};
    }
    if (const QString failed = write(file); !failed.isEmpty()) {
        file.cancelWriting();
        *error = failed;
        return {};
    }
    if (!file.commit()) {
        *error = file.errorString();
        return {};
    }
    return path;
}

QString keepRecentCopy(const QString &folder, const QString &path, QString *error) {
    return keepRecentJob(
        folder,
        [&](QIODevice &out) {
            QFile journal;
            if (const PlainFileOpening o = openPlainFile(journal, path); !o.ok)
                return o.error;
            for (QByteArray piece; !(piece = journal.read(64 * 1024)).isEmpty();)
                if (out.write(piece) != piece.size())
                    return out.errorString();
            return QString();
        },
        error);
}

QList<RecentJob> recentJobs(const QString &folder, int limit) {
    const QDir dir(folder);
    if (!dir.exists())
        return {};
    prune(dir);
    QList<RecentJob> jobs;
    for (const QFileInfo &info :
         dir.entryInfoList({kPattern}, QDir::Files, QDir::Name | QDir::Reversed)) {
        if (jobs.size() >= limit)
            break;
        const JournalSurvey survey = surveyJournal(info.filePath());
        if (!survey.readable)
            continue;
        jobs << RecentJob{info.filePath(), survey.sheetName, survey.records, survey.lastChange};
    }
    return jobs;
}

} // namespace digitrace
