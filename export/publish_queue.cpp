#include "export/publish_queue.h"

namespace digitrace {

PublishQueue::PublishQueue(Publish publish, std::optional<std::chrono::milliseconds> retryDelay,
                           QObject *parent)
    : QObject(parent), publish_(std::move(publish)), retryDelay_(retryDelay) {
    worker_ = std::thread([this] { run(); });
}

PublishQueue::~PublishQueue() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    worker_.join();
}

void PublishQueue::submit(SheetPublication publication) {
    {
        const std::lock_guard lock(mutex_);
        waiting_ = std::move(publication);
        ++submitted_;
    }
    wake_.notify_all();
}

std::optional<int> PublishQueue::publishedRevision() const {
    const std::lock_guard lock(mutex_);
    return revision_;
}

bool PublishQueue::retryable(PublishFailure failure) const {
    return retryDelay_ &&
           (failure == PublishFailure::Connection || failure == PublishFailure::Database);
}

void PublishQueue::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || waiting_; });
        if (stopping_)
            return;
        SheetPublication publication = std::move(*waiting_);
        waiting_.reset();
        const quint64 taken = submitted_;
        if (revision_)
            publication.knownRevision = revision_;
        lock.unlock();
        const PublishResult result = publish_(publication);
        lock.lock();
        const bool tell = !result.ok() && !failing_;
        if (result.ok())
            revision_ = result.revision;
        failing_ = !result.ok();
        lock.unlock();
        emit finished(result);
        if (result.ok())
            emit published(result.revision);
        else if (tell)
            emit failed(result.error, retryable(result.failure));
        lock.lock();
        if (result.ok() || !retryable(result.failure))
            continue;
        // The same state once more after the delay, unless a newer one comes meanwhile.
        if (wake_.wait_for(lock, *retryDelay_, [&] { return stopping_ || submitted_ != taken; }))
            continue;
        waiting_ = std::move(publication);
    }
}

PublishQueue::Publish publishingThrough(std::shared_ptr<SheetPublisher> publisher) {
    return [publisher = std::move(publisher)](const SheetPublication &publication) {
        return publisher->publish(publication);
    };
}

} // namespace digitrace
