#include "tests/support/pseudo_terminal.h"

#include <QFile>

#include <algorithm>

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

namespace digitrace::test {

PseudoTerminal::PseudoTerminal() {
    int slave = -1;
    char name[256] = {};
    // Default terminal settings: the port must make the line raw itself.
    if (::openpty(&master_, &slave, name, nullptr, nullptr) != 0)
        return;
    ::close(slave);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    device_ = QString::fromLocal8Bit(name);
}

void PseudoTerminal::hangUp() {
    if (master_ >= 0)
        ::close(master_);
    master_ = -1;
}

ChunkedWriter::ChunkedWriter(int fd, QByteArray bytes, int largestChunk, unsigned seed)
    : fd_(fd), bytes_(std::move(bytes)), random_(seed), chunkSize_(1, largestChunk),
      notifier_(fd, QSocketNotifier::Write) {
    QObject::connect(&notifier_, &QSocketNotifier::activated, [this] { writeChunk(); });
}

void ChunkedWriter::writeChunk() {
    const qsizetype size = std::min<qsizetype>(chunkSize_(random_), bytes_.size() - written_);
    const ssize_t n = ::write(fd_, bytes_.constData() + written_, std::size_t(size));
    if (n > 0)
        written_ += n;
    if (isDone())
        notifier_.setEnabled(false);
}

namespace {

QString lockPath(const QString &device) {
    QString name = device;
    if (name.startsWith(QLatin1String("/dev/")))
        name.remove(0, 5);
    return QStringLiteral("/var/lock/LCK..") + name.replace(QLatin1Char('/'), QLatin1Char('_'));
}

} // namespace

void removeStaleLock(const QString &device) {
    QFile::remove(lockPath(device));
}

QString deviceLockPath(const QString &device) {
    return lockPath(device);
}

bool hasLock(const QString &device) {
    return QFile::exists(lockPath(device));
}

} // namespace digitrace::test
