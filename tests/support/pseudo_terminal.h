#pragma once

#include <QByteArray>
#include <QSocketNotifier>
#include <QString>

#include <random>

namespace digitrace::test {

// The tablet's end of a pseudo-terminal; the device to open is the other end.
class PseudoTerminal {
public:
    PseudoTerminal();
    ~PseudoTerminal() { hangUp(); }
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;

    bool isValid() const { return master_ >= 0; }
    QString device() const { return device_; }
    int fd() const { return master_; }
    // Closes the tablet's end, as when a cable is pulled.
    void hangUp();

private:
    int master_ = -1;
    QString device_;
};

// Writes bytes to a file descriptor in chunks of random size, one chunk per turn of the event
// loop, so that the reader finds records split anywhere and several in one read.
class ChunkedWriter {
public:
    ChunkedWriter(int fd, QByteArray bytes, int largestChunk, unsigned seed);
    bool isDone() const { return written_ == bytes_.size(); }

private:
    void writeChunk();

    int fd_;
    QByteArray bytes_;
    qsizetype written_ = 0;
    std::mt19937 random_;
    std::uniform_int_distribution<int> chunkSize_;
    QSocketNotifier notifier_;
};

// Removes the lock file a killed process left for the serial device `device` (QSerialPort locks
// /dev/pts/N as LCK..pts_N in the system's lock folder).
void removeStaleLock(const QString &device);

// Whether a lock file is kept for `device`, by a live process or a dead one.
bool hasLock(const QString &device);
// The lock file another program would hold for `device`, for tests of a device held or gone.
QString deviceLockPath(const QString &device);

} // namespace digitrace::test
