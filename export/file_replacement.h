#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

class QFileDevice;
class QSaveFile;

namespace digitrace {

// Writes a file's whole content to the open device. Returns "" when done, otherwise the reason
// it could not (the device's own error text wins when the device refused a write).
using ContentWriter = std::function<QString(QFileDevice &device)>;

// What a failed replacement left of the file that was there.
enum class LeftBehind {
    Untouched,  // the file was never opened for writing
    Restored,   // rewritten in place, then its old content put back
    BackupKept, // the old content could not be put back: see backup
    Unknown,    // a device or other special file, written directly
};

// How a replacement ended, for the caller's message.
struct Replacement {
    QString reason; // "" when the file now holds the new content
    LeftBehind left = LeftBehind::Untouched;
    QString backup; // the copies of the old content, separated by ", "
    bool ok() const { return reason.isEmpty(); }
    // The line after the reason that tells the operator what is left of the file.
    QString whatIsLeft() const;
    // The whole message: the headline ("could not save ..."), the reason, what is left.
    QString message(const QString &headline) const;
};

// A ContentWriter's work when the content is all in memory.
QString writeBytesInto(const QByteArray &content, QFileDevice &device);

// A ContentWriter's work when the content is a finished file: copies `source` into the device.
QString copyFileInto(const QString &source, QFileDevice &device);

// Replaces the file at path with what write() produces, or creates it. The content is written
// aside and takes the file's place only when complete, keeping the old file's permissions and,
// where the system allows, its owner. When no file can be made beside it (a folder the operator
// may not write to, though the file itself is writable) the file is rewritten in place, its old
// content kept in a copy in the temporary folder until the new content is complete and flushed,
// and put back if the write fails. A device or other special file is written in place: saving
// aside would put a plain file in its place.
Replacement replaceFile(const QString &path, const ContentWriter &write);

// The same through a save file the caller made for the path (not open yet).
Replacement replaceFile(QSaveFile &aside, const ContentWriter &write);

// The in-place road alone, with the copy of the old content in backupDir.
Replacement rewriteInPlace(const QString &path, const ContentWriter &write,
                           const QString &backupDir);

// One file of a set and its whole new content, or a file of the old set the new one has not.
struct NewFile {
    QString path;
    QByteArray content;
    bool remove = false;
};

// Replaces the files together (the files of one shapefile layer set, say), so that the set on
// disk is wholly old or wholly new. Each new content is written and flushed beside its target
// first, then the targets are swapped in one after another, the ones already swapped put back if
// any fails. In a folder that takes no new files each target is rewritten in place, which needs
// every file of the set to exist already, the old contents kept in the temporary folder and put
// back should one fail. A single device or other special file is written directly.
Replacement replaceFileSet(const QList<NewFile> &files);

} // namespace digitrace
