#include "export/file_replacement.h"
#include "export/file_sync.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryFile>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include <unistd.h>

namespace digitrace {
namespace {

QString systemReason() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

// A name beside path that no file has yet, hidden from the operator's folder view.
QString besideName(const QString &path, QLatin1String role) {
    const QFileInfo info(path);
    return info.dir().filePath(
        QStringLiteral(".%1.%2-%3")
            .arg(info.fileName(), role,
                 QString::number(QRandomGenerator::global()->generate64(), 36)));
}

bool renameFile(const QString &from, const QString &to) {
    return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

// The new content beside its target, on disk, with the old file's permissions.
QString writeAside(const QString &path, const QByteArray &content, const QFileInfo &old) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
        return file.errorString();
    QString reason = writeBytesInto(content, file);
    if (reason.isEmpty() && !syncToDisk(file))
        reason = file.errorString();
    if (reason.isEmpty() && old.exists() && !file.setPermissions(old.permissions()))
        reason = file.errorString();
    if (!reason.isEmpty())
        file.remove();
    return reason;
}

enum class Kept { Nothing, Linked, Moved };

struct Swap {
    QString target;
    QString written;
    QFileInfo old;
    QString kept; // the old file's second name while the new one takes its place
    Kept how = Kept::Nothing;
    bool done = false;
};

// Puts the old file back in its place, or removes a new one that had none. False when it stays.
bool undo(const Swap &s) {
    if (!s.done) {
        if (s.how == Kept::Moved)
            return renameFile(s.kept, s.target);
        if (s.how == Kept::Linked)
            QFile::remove(s.kept);
        return true;
    }
    return s.how == Kept::Nothing ? QFile::remove(s.target) : renameFile(s.kept, s.target);
}

Replacement failed(const QString &reason, LeftBehind left, const QStringList &kept = {}) {
    return {reason, left, kept.join(QStringLiteral(", "))};
}

// When the folder takes no new files: every file of the set rewritten where it is, the old
// contents copied to the temporary folder first and put back should any write fail.
Replacement rewriteSetInPlace(const QList<NewFile> &files) {
    struct InPlace {
        QFile target;
        QTemporaryFile copy{
            QDir(QDir::tempPath()).filePath(QStringLiteral("digitrace-backup-XXXXXX"))};
    };
    std::vector<std::unique_ptr<InPlace>> set;
    for (const NewFile &f : files) {
        const QFileInfo info(f.path);
        if (f.remove)
            return failed(QCoreApplication::translate(
                              "digitrace::FileReplacement",
                              "フォルダー %1 からは古い %2 を消せないため、書けません")
                              .arg(QDir::toNativeSeparators(info.absolutePath()), info.fileName()),
                          LeftBehind::Untouched);
        if (!info.isFile())
            return failed(QCoreApplication::translate(
                              "digitrace::FileReplacement",
                              "フォルダー %1 には新しいファイルを作れないため、%2 を書けません")
                              .arg(QDir::toNativeSeparators(info.absolutePath()), info.fileName()),
                          LeftBehind::Untouched);
        auto &one = set.emplace_back(std::make_unique<InPlace>());
        one->target.setFileName(f.path);
        if (!one->target.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
            return failed(QDir::toNativeSeparators(f.path) + QStringLiteral(": ") +
                              one->target.errorString(),
                          LeftBehind::Untouched);
        if (!one->copy.open() || !copyContent(one->target, one->copy) || !syncToDisk(one->copy))
            return failed(
                QCoreApplication::translate("digitrace::FileReplacement",
                                            "元の内容を一時フォルダーに控えられませんでした: %1")
                    .arg(one->copy.errorString()),
                LeftBehind::Untouched);
    }
    for (std::size_t i = 0; i < set.size(); ++i) {
        QFile &target = set[i]->target;
        QString reason;
        if (!target.seek(0) || !target.resize(0))
            reason = target.errorString();
        if (reason.isEmpty())
            reason = writeBytesInto(files[qsizetype(i)].content, target);
        if (reason.isEmpty() && !syncToDisk(target))
            reason = target.errorString();
        if (reason.isEmpty())
            continue;
        reason = QDir::toNativeSeparators(target.fileName()) + QStringLiteral(": ") + reason;
        QStringList kept;
        for (std::size_t j = 0; j <= i; ++j) {
            InPlace &one = *set[j];
            one.target.unsetError();
            if (!one.target.seek(0) || !one.target.resize(0) ||
                !copyContent(one.copy, one.target) || !syncToDisk(one.target)) {
                one.copy.setAutoRemove(false);
                kept << QDir::toNativeSeparators(one.copy.fileName());
            }
        }
        return failed(reason, kept.isEmpty() ? LeftBehind::Restored : LeftBehind::BackupKept, kept);
    }
    return {};
}

} // namespace

Replacement replaceFileSet(const QList<NewFile> &asked) {
    QList<NewFile> files;
    for (const NewFile &f : asked)
        if (!f.remove || QFileInfo::exists(f.path))
            files.append(f);
    if (files.size() == 1 && !files[0].remove && isSpecialFile(QFileInfo(files[0].path)))
        return replaceFile(files[0].path, [&](QFileDevice &device) {
            return writeBytesInto(files[0].content, device);
        });
    for (const NewFile &f : files) {
        const QFileInfo info(f.path);
        if (info.isDir() || isSpecialFile(info))
            return failed(QCoreApplication::translate("digitrace::FileReplacement",
                                                      "%1 は通常のファイルではありません")
                              .arg(QDir::toNativeSeparators(f.path)),
                          LeftBehind::Untouched);
    }
    const auto named = [&](const QString &path, const QString &reason) {
        return files.size() > 1 ? QDir::toNativeSeparators(path) + QStringLiteral(": ") + reason
                                : reason;
    };

    std::vector<Swap> swaps;
    const auto discardWritten = [&] {
        for (const Swap &s : swaps)
            if (!s.done && !s.written.isEmpty())
                QFile::remove(s.written);
    };
    for (const NewFile &f : files) {
        Swap s{f.path, {}, QFileInfo(f.path), {}, {}, false};
        if (f.remove) {
            swaps.push_back(s);
            continue;
        }
        s.written = besideName(f.path, QLatin1String("new"));
        const QString reason = writeAside(s.written, f.content, s.old);
        if (!reason.isEmpty()) {
            discardWritten();
            const QFileInfo folder(s.old.absolutePath());
            if (!folder.isWritable() &&
                std::all_of(swaps.begin(), swaps.end(),
                            [](const Swap &done) { return done.written.isEmpty(); }))
                return rewriteSetInPlace(files);
            return failed(named(f.path, reason), LeftBehind::Untouched);
        }
        swaps.push_back(s);
    }

    // A single file needs no second name: the rename replaces it in one step.
    const bool keepOld = swaps.size() > 1;
    for (Swap &s : swaps) {
        QString reason;
        if (s.written.isEmpty() || (keepOld && s.old.exists()))
            s.kept = besideName(s.target, QLatin1String("old"));
        if (s.written.isEmpty()) {
            // A file the new set has not: it goes under its second name until all is done.
            if (renameFile(s.target, s.kept))
                s.how = Kept::Moved;
            else
                reason = systemReason();
        } else {
            const QByteArray target = QFile::encodeName(s.target), kept = QFile::encodeName(s.kept);
            if (!s.kept.isEmpty()) {
                if (::link(target.constData(), kept.constData()) == 0)
                    s.how = Kept::Linked;
                else if (renameFile(s.target, s.kept)) // a file system without hard links
                    s.how = Kept::Moved;
                else
                    reason = systemReason();
            }
            if (reason.isEmpty() && !renameFile(s.written, s.target))
                reason = systemReason();
        }
        if (reason.isEmpty()) {
            s.done = true;
            continue;
        }
        QStringList kept;
        for (auto it = swaps.rbegin(); it != swaps.rend(); ++it)
            if (!undo(*it))
                kept << QDir::toNativeSeparators(it->kept);
        discardWritten();
        return failed(named(s.target, reason),
                      kept.isEmpty() ? LeftBehind::Untouched : LeftBehind::BackupKept, kept);
    }
    for (const Swap &s : swaps) {
        if (s.how != Kept::Nothing)
            QFile::remove(s.kept);
        keepOwner(s.target, s.old);
    }
    return {};
}

} // namespace digitrace
