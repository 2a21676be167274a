#include "export/publish_queue.h"
#include "tests/export/publish_samples.h"
#include "tests/export/sample_traces.h"
#include "tests/support/postgres_server.h"

#include <QSignalSpy>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>

namespace digitrace {
namespace {

using namespace std::chrono_literals;

SheetPublication stateWith(int records) {
    SheetPublication p;
    p.sheet = QStringLiteral("Q-1");
    p.store.PtCount = std::int16_t(records);
    return p;
}

// A publish that takes a while and notes what it was given.
struct SlowPublish {
    std::atomic<int> inFlight{0};
    std::atomic<int> mostInFlight{0};
    std::atomic<int> calls{0};
    std::atomic<int> lastRecords{-1};
    std::atomic<int> failuresLeft{0};

    PublishResult operator()(const SheetPublication &p) {
        const int now = ++inFlight;
        mostInFlight = std::max(mostInFlight.load(), now);
        QThread::msleep(5);
        --inFlight;
        PublishResult r;
        if (failuresLeft > 0) {
            --failuresLeft;
            r.failure = PublishFailure::Connection;
            r.error = QStringLiteral("no server");
            return r;
        }
        lastRecords = p.store.PtCount;
        r.revision = ++calls;
        return r;
    }
};

TEST(PublishQueue, AFloodIsCoalescedOneAtATimeAndTheNewestWins) {
    SlowPublish slow;
    PublishQueue queue([&](const SheetPublication &p) { return slow(p); }, 10ms);
    QSignalSpy published(&queue, &PublishQueue::published);
    constexpr int kStates = 2000;
    for (int i = 1; i <= kStates; ++i)
        queue.submit(stateWith(i));
    while (slow.lastRecords != kStates && published.wait(5000)) {
    }
    EXPECT_EQ(slow.lastRecords, kStates);
    EXPECT_EQ(slow.mostInFlight, 1);
    EXPECT_LT(slow.calls, kStates / 10);
}

TEST(PublishQueue, AnOutageIsToldOnceAndRetriedUntilItPublishes) {
    SlowPublish slow;
    slow.failuresLeft = 5;
    PublishQueue queue([&](const SheetPublication &p) { return slow(p); }, 10ms);
    QSignalSpy failed(&queue, &PublishQueue::failed);
    QSignalSpy published(&queue, &PublishQueue::published);
    queue.submit(stateWith(7));
    ASSERT_TRUE(published.wait(5000));
    EXPECT_EQ(failed.size(), 1);
}

// The dialog's single publish: its whole result comes back, and a failure is not tried again.
TEST(PublishQueue, WithoutARetryDelayAFailureIsTriedOnceAndComesBackWhole) {
    SlowPublish slow;
    slow.failuresLeft = 2;
    PublishQueue queue([&](const SheetPublication &p) { return slow(p); }, std::nullopt);
    QSignalSpy finished(&queue, &PublishQueue::finished);
    queue.submit(stateWith(7));
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_EQ(finished[0][0].value<PublishResult>().error, QStringLiteral("no server"));
    EXPECT_FALSE(finished.wait(200)) << "tried again";
}

// Live republishing into a real database: a record per millisecond, each one submitted.
TEST(PublishQueue, FollowsAFloodIntoTheDatabaseWithEveryPublishAccepted) {
    QString db;
    ASSERT_EQ(test::sharedPostgres().createDatabase(QStringLiteral("queue_flood"), &db), QString());
    const test::SampleTrace trace = test::fullTable();
    PublishQueue queue([&](const SheetPublication &p) { return publishSheet(db, p); }, 50ms);
    QSignalSpy failed(&queue, &PublishQueue::failed);
    QSignalSpy published(&queue, &PublishQueue::published);
    SheetPublication p =
        test::publicationOf(trace.model.store(), QStringLiteral("L-1"), QStringLiteral("ann"));
    constexpr int kRecords = 600;
    for (int n = 1; n <= kRecords; ++n) {
        p.store.PtCount = std::int16_t(n);
        queue.submit(p);
        QThread::msleep(1);
    }
    const FeatureSet expected = collectFeatures(p.store, {});
    const QString count = QStringLiteral("SELECT count(*) FROM digitrace_points");
    for (int i = 0; i < 100 && test::sharedPostgres().sql(QStringLiteral("queue_flood"), count) !=
                                   QString::number(expected.points);
         ++i)
        published.wait(200);
    EXPECT_EQ(test::sharedPostgres().sql(QStringLiteral("queue_flood"), count),
              QString::number(expected.points));
    EXPECT_EQ(failed.size(), 0);
    EXPECT_LT(queue.publishedRevision().value_or(0), kRecords);
}

} // namespace
} // namespace digitrace
