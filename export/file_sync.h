#pragma once

#include <QFileInfo>
#include <QString>

class QFileDevice;

namespace digitrace {

// Hands everything written so far to the disk, so that a copy or a new content survives a crash.
bool syncToDisk(QFileDevice &file);

// Copies from's content from its start into to, which is open for writing.
bool copyContent(QFileDevice &from, QFileDevice &to);

// A new file takes the place of an old one with the old one's owner, where the system allows.
void keepOwner(const QString &path, const QFileInfo &old);

// A device, pipe or socket: saving aside would put a plain file in its place.
bool isSpecialFile(const QFileInfo &info);

} // namespace digitrace
