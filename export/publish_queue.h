#pragma once

#include "export/sheet_publisher.h"

#include <QObject>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace digitrace {

// Publishing in the background, the one worker every publish of the program runs on: each
// submitted state is published on a worker thread, one publish at a time, and a state still
// waiting when a newer one comes is dropped for it, so the newest state always wins and the caller
// never waits. Live sending keeps the shared database following the job with it; a single publish
// is one state submitted to a queue that does not retry. A failure is told once, not once per
// record; a server that stops answering is tried again after the retry delay with the newest
// state, and told again only after a publish has succeeded in between.
class PublishQueue : public QObject {
    Q_OBJECT
public:
    using Publish = std::function<PublishResult(const SheetPublication &)>;

    // `publish` runs on the worker thread: publishingThrough() a publisher, or publishSheet()
    // bound to a connection. Without a retry delay a failed state is not tried again.
    explicit PublishQueue(
        Publish publish,
        std::optional<std::chrono::milliseconds> retryDelay = std::chrono::seconds(5),
        QObject *parent = nullptr);
    // Lets a publish in flight finish; a state still waiting is dropped (the journal has it).
    ~PublishQueue() override;

    void submit(SheetPublication publication);

    // The revision the last successful publish made; the next publish expects it in the database.
    std::optional<int> publishedRevision() const;

signals:
    // Every publish that ended, with all the server said.
    void finished(const digitrace::PublishResult &result);
    void published(int revision);
    // `retrying`: the same state goes again after the retry delay (the server did not answer or
    // gave up midway); otherwise only a newer state is tried (a conflict, a refused login).
    void failed(const QString &error, bool retrying);

private:
    void run();
    bool retryable(PublishFailure failure) const;

    Publish publish_;
    std::optional<std::chrono::milliseconds> retryDelay_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<SheetPublication> waiting_;
    std::optional<int> revision_;
    quint64 submitted_ = 0; // counts submits, so that a retry yields to a newer state
    bool failing_ = false;
    bool stopping_ = false;
    std::thread worker_;
};

// A publish for a queue through one SheetPublisher, which a queue's worker alone uses: after its
// first commit of a sheet, each state writes only the features that changed. Shared with another
// queue that runs after this one (never at the same time), it carries what was committed on.
PublishQueue::Publish publishingThrough(std::shared_ptr<SheetPublisher> publisher);

} // namespace digitrace
