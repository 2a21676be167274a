#include "export/file_replacement.h"

#include "export/file_sync.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace digitrace {
namespace {

constexpr qint64 kCopyPiece = 1024 * 1024;

QString deviceReason(const QFileDevice &device, const QString &writerReason) {
    return device.error() != QFileDevice::NoError ? device.errorString() : writerReason;
}

Replacement writeDirectly(const QString &path, const ContentWriter &write) {
    QFile device(path);
    if (!device.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return {device.errorString(), LeftBehind::Untouched, {}};
    const QString reason = write(device);
    if (reason.isEmpty())
        return {};
    return {deviceReason(device, reason), LeftBehind::Unknown, {}};
}

} // namespace

bool syncToDisk(QFileDevice &file) {
    if (!file.flush())
        return false;
#ifdef Q_OS_UNIX
    return ::fsync(file.handle()) == 0 || errno == EINVAL; // EINVAL: a device that cannot sync
#else
    return true;
#endif
}

bool copyContent(QFileDevice &from, QFileDevice &to) {
    from.seek(0);
    while (!from.atEnd()) {
        const QByteArray piece = from.read(kCopyPiece);
        if (piece.isEmpty() && from.error() != QFileDevice::NoError)
            return false;
        if (to.write(piece) != piece.size())
            return false;
    }
    return from.error() == QFileDevice::NoError;
}

void keepOwner(const QString &path, const QFileInfo &old) {
#ifdef Q_OS_UNIX
    if (old.exists() && (old.ownerId() != ::geteuid() || old.groupId() != ::getegid())) {
        // Only root may give a file away; anyone else keeps the file as theirs.
        [[maybe_unused]] const int ignored =
            ::chown(QFile::encodeName(path).constData(), old.ownerId(), old.groupId());
    }
#else
    Q_UNUSED(path);
    Q_UNUSED(old);
#endif
}

bool isSpecialFile(const QFileInfo &info) {
    return info.exists() && !info.isFile() && !info.isDir();
}

Replacement rewriteInPlace(const QString &path, const ContentWriter &write,
                           const QString &backupDir) {
    QFile target(path);
    if (!target.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return {target.errorString(), LeftBehind::Untouched, {}};
    QTemporaryFile backup(QDir(backupDir).filePath(QStringLiteral("digitrace-backup-XXXXXX")));
    if (!backup.open() || !copyContent(target, backup) || !syncToDisk(backup))
        return {QCoreApplication::translate("digitrace::FileReplacement",
                                            "元の内容を一時フォルダーに控えられませんでした: %1")
                    .arg(backup.errorString()),
                LeftBehind::Untouched,
                {}};

    target.seek(0);
    QString reason;
    if (!target.resize(0))
        reason = target.errorString();
    else
        reason = write(target);
    if (reason.isEmpty() && !syncToDisk(target))
        reason = target.errorString();
    if (reason.isEmpty())
        return {};

    reason = deviceReason(target, reason);
    target.unsetError();
    const bool restored =
        target.seek(0) && target.resize(0) && copyContent(backup, target) && syncToDisk(target);
    if (restored)
        return {reason, LeftBehind::Restored, {}};
    // The copy is all that is left of the old content: keep it and say where.
    backup.setAutoRemove(false);
    return {reason, LeftBehind::BackupKept, backup.fileName()};
}

QString writeBytesInto(const QByteArray &content, QFileDevice &device) {
    qint64 done = 0;
    while (done < content.size()) {
        // A write cut short is tried again, so that the system says why it stops.
        const qint64 n = device.write(content.constData() + done, content.size() - done);
        if (n <= 0)
            return device.errorString();
        done += n;
    }
    return {};
}

QString copyFileInto(const QString &source, QFileDevice &device) {
    QFile file(source);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    if (!copyContent(file, device))
        return file.error() != QFileDevice::NoError ? file.errorString() : device.errorString();
    return {};
}

QString Replacement::whatIsLeft() const {
    switch (left) {
    case LeftBehind::Untouched:
        return QCoreApplication::translate("digitrace::FileReplacement",
                                           "既存のファイルは変更されていません。");
    case LeftBehind::Restored:
        return QCoreApplication::translate(
            "digitrace::FileReplacement",
            "フォルダーに書き込めないためファイルを直接書き換えましたが、"
            "失敗したため元の内容に戻しました。");
    case LeftBehind::BackupKept:
        return QCoreApplication::translate(
                   "digitrace::FileReplacement",
                   "ファイルを元の内容に戻せませんでした。元の内容は %1 に残してあります。")
            .arg(QDir::toNativeSeparators(backup));
    case LeftBehind::Unknown:
        break;
    }
    return {};
}

QString Replacement::message(const QString &headline) const {
    QString text = headline + QLatin1Char('\n') + reason;
    const QString left = whatIsLeft();
    if (!left.isEmpty())
        text += QLatin1Char('\n') + left;
    return text;
}

Replacement replaceFile(const QString &path, const ContentWriter &write) {
    QSaveFile aside(path);
    return replaceFile(aside, write);
}

Replacement replaceFile(QSaveFile &aside, const ContentWriter &write) {
    const QString path = aside.fileName();
    const QFileInfo old(path);
    if (isSpecialFile(old))
        return writeDirectly(path, write);
    // Unbuffered: a write that fails, on a full disk, fails at once and is not lost in a flush.
    if (!aside.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        const bool folderRefuses =
            old.isFile() && old.isWritable() && !QFileInfo(old.absolutePath()).isWritable();
        if (folderRefuses)
            return rewriteInPlace(path, write, QDir::tempPath());
        return {aside.errorString(), LeftBehind::Untouched, {}};
    }
    QString reason = write(aside);
    if (!reason.isEmpty()) {
        reason = deviceReason(aside, reason);
        aside.cancelWriting();
        aside.commit(); // after a cancel this only removes the partial file
        return {reason, LeftBehind::Untouched, {}};
    }
    if (old.exists())
        aside.setPermissions(old.permissions());
    if (!aside.commit())
        return {aside.errorString(), LeftBehind::Untouched, {}};
    keepOwner(path, old);
    return {};
}

} // namespace digitrace
