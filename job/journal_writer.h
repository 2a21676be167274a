#pragma once

#include "job/journal_format.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace digitrace {

// Appends entries to a journal file. Each entry reaches the operating system before append()
// returns, so a killed process loses nothing it has shown; a thread of its own syncs the file to
// the disk as soon as entries arrive, so a power cut loses at most the time one sync takes and
// reception never waits for the disk. A disk that refuses an entry is told once; the entries
// wait in memory and are written, in order, as soon as the disk takes them again.
class JournalWriter : public QObject {
    Q_OBJECT
public:
    // How bytes reach the file: ::write by default; tests put a refusing disk here.
    using WriteFunction = std::function<qint64(int fd, const char *data, qint64 size)>;
    // How the file reaches the disk: ::fdatasync by default; runs on the syncing thread.
    using SyncFunction = std::function<int(int fd)>;

    explicit JournalWriter(QObject *parent = nullptr);
    ~JournalWriter() override;

    // Opens `path`, keeps its first `keepBytes` (the whole entries of a restored journal) and
    // drops the rest; with keepBytes 0 the journal starts anew with its header.
    bool open(const QString &path, qsizetype keepBytes, QString *error);
    bool isOpen() const { return fd_ >= 0; }
    QString path() const { return path_; }
    // Closes and deletes the journal: the job it held is saved or given up.
    void discard();

    void append(const JournalEntry &entry) { appendBytes(encodeEntry(entry)); }
    // Whole encoded entries, as a job file holds them.
    void appendBytes(const QByteArray &entries);
    // Bytes refused by the disk so far and waiting to be written.
    qsizetype waitingBytes() const { return waiting_.size(); }
    const QByteArray &waiting() const { return waiting_; }
    // Waits for the entries written so far to be synced.
    void syncNow();

    void setWriteFunction(WriteFunction write) { write_ = std::move(write); }
    // Before open().
    void setSyncFunction(SyncFunction sync) { sync_ = std::move(sync); }

signals:
    // The disk refused the journal; once until it takes entries again.
    void problem(const QString &message);

private:
    void writeWaiting();
    void syncLoop();
    void close();

    QString path_;
    int fd_ = -1;
    QByteArray waiting_;
    WriteFunction write_;
    SyncFunction sync_;
    bool told_ = false;
    QTimer retry_;

    std::thread syncer_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable synced_;
    quint64 written_ = 0, syncedUpTo_ = 0;
    bool stop_ = false;
};

} // namespace digitrace
