#include "acquisition/abandoned_line.h"

#include <QFile>
#include <QFileInfo>
#include <QLockFile>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace digitrace {

QString devicePath(const QString &portName) {
    return portName.startsWith(QLatin1Char('/')) ? portName : QStringLiteral("/dev/") + portName;
}

QString lockFilePath(const QString &portName) {
    QString name = devicePath(portName);
    name.remove(0, name.startsWith(QLatin1String("/dev/")) ? 5 : 1);
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    // QSerialPort's choice: the first of these folders it may write to.
    for (const char *folder : {"/var/lock", "/etc/locks", "/var/spool/locks", "/var/spool/uucp",
                               "/tmp", "/var/lock/lockdev", "/run/lock"}) {
        const QFileInfo info{QString::fromLatin1(folder)};
        if (info.isDir() && info.isWritable())
            return info.filePath() + QStringLiteral("/LCK..") + name;
    }
    return {};
}

bool resetAbandonedLine(const QString &portName) {
#ifdef Q_OS_UNIX
    const QString lockPath = lockFilePath(portName);
    if (lockPath.isEmpty())
        return false;
    // Taking the lock proves no live program uses the line; a dead one's lock is taken over.
    QLockFile lock(lockPath);
    if (!lock.tryLock(0))
        return false;
    const int fd =
        ::open(QFile::encodeName(devicePath(portName)).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return false;
    termios line{};
    bool reset = ::tcgetattr(fd, &line) == 0;
    if (reset) {
        // The modes of a new terminal; speed and control lines stay as the device has them.
        line.c_iflag = ICRNL | IXON;
        line.c_oflag = OPOST | ONLCR;
        line.c_lflag = ISIG | ICANON | ECHO | ECHOE | ECHOK | ECHOCTL | ECHOKE | IEXTEN;
        reset = ::tcsetattr(fd, TCSANOW, &line) == 0;
    }
    ::close(fd);
    return reset;
#else
    Q_UNUSED(portName);
    return false;
#endif
}

} // namespace digitrace
