#include "job/journal_writer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace digitrace {
namespace {

// A refusing disk is tried again this often, besides at every new entry.
constexpr int kRetryMs = 1000;

qint64 writeToFile(int fd, const char *data, qint64 size) {
    return ::write(fd, data, static_cast<size_t>(size));
}

} // namespace

JournalWriter::JournalWriter(QObject *parent)
    : QObject(parent), write_(writeToFile), sync_(::fdatasync) {
    retry_.setInterval(kRetryMs);
    connect(&retry_, &QTimer::timeout, this, &JournalWriter::writeWaiting);
}

JournalWriter::~JournalWriter() {
    close();
}

bool JournalWriter::open(const QString &path, qsizetype keepBytes, QString *error) {
    close();
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0 || ::ftruncate(fd, keepBytes) != 0 || ::lseek(fd, 0, SEEK_END) < 0) {
        if (error)
            *error = QString::fromLocal8Bit(std::strerror(errno));
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    fd_ = fd;
    path_ = path;
    stop_ = false;
    written_ = syncedUpTo_ = 0;
    syncer_ = std::thread([this] { syncLoop(); });
    if (keepBytes == 0) {
        waiting_ = journalHeaderLine();
        writeWaiting();
    }
    return true;
}

void JournalWriter::close() {
    if (fd_ < 0)
        return;
    retry_.stop();
    writeWaiting();
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    syncer_.join();
    ::fdatasync(fd_);
    ::close(fd_);
    fd_ = -1;
}

void JournalWriter::discard() {
    if (fd_ < 0)
        return;
    waiting_.clear();
    close();
    QFile::remove(path_);
}

void JournalWriter::appendBytes(const QByteArray &entries) {
    if (fd_ < 0)
        return;
    waiting_ += entries;
    writeWaiting();
}

void JournalWriter::writeWaiting() {
    if (fd_ < 0 || waiting_.isEmpty())
        return;
    qsizetype done = 0;
    int failure = 0;
    while (done < waiting_.size()) {
        const qint64 n = write_(fd_, waiting_.constData() + done, waiting_.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            failure = n < 0 ? errno : ENOSPC;
            break;
        }
        done += n;
    }
    // A part written stays written: the rest follows it, so the file never holds a torn entry
    // with whole ones after it.
    waiting_.remove(0, done);
    if (done > 0) {
        {
            const std::lock_guard lock(mutex_);
            written_ += quint64(done);
        }
        wake_.notify_all();
    }
    if (waiting_.isEmpty()) {
        retry_.stop();
        told_ = false;
        return;
    }
    if (!retry_.isActive())
        retry_.start();
    if (!told_) {
        told_ = true;
        emit problem(
            QCoreApplication::translate("digitrace::JobJournal",
                                        "作業記録 %1 に書き込めません。\n%2\n受信は続けます。"
                                        "書き込めるようになりしだい記録を再開します。")
                .arg(QDir::toNativeSeparators(path_),
                     QString::fromLocal8Bit(std::strerror(failure))));
    }
}

void JournalWriter::syncNow() {
    std::unique_lock lock(mutex_);
    const quint64 target = written_;
    synced_.wait(lock, [&] { return syncedUpTo_ >= target || stop_; });
}

void JournalWriter::syncLoop() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [&] { return stop_ || written_ > syncedUpTo_; });
        if (stop_)
            return;
        const quint64 target = written_;
        lock.unlock();
        sync_(fd_);
        lock.lock();
        syncedUpTo_ = target;
        synced_.notify_all();
    }
}

} // namespace digitrace
