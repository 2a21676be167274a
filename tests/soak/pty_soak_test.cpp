#include "app/window/dxf_export_feature.h"
#include "full_table_run.h"
#include "soak_support.h"
#include "tests/support/pseudo_terminal.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <algorithm>
#include <iterator>
#include <random>
#include <vector>

#include <unistd.h>

namespace digitrace {
namespace {

using test::FullTableRun;
using test::runUntil;

class FullTable : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(run.failure, "");
        ASSERT_TRUE(run.finished) << "only " << run.taken << " records arrived";
    }

    const FullTableRun &run = test::theFullTableRun();
};

TEST_F(FullTable, HoldsEveryRecordSentInOrder) {
    RecordProperty("soak_ms", int(run.elapsedMs));
    RecordProperty("bytes", int(run.capture.bytes.size()));
    const std::vector<test::SentRecord> sent = run.tableRecords();
    EXPECT_EQ(test::tableMismatch(run.model.store(), sent), "");
    EXPECT_TRUE(run.view.problems.isEmpty()) << run.view.problems.join(u'\n').toStdString();
    const test::EntityCounts shapes = test::predictEntities(sent);
    EXPECT_EQ(run.model.store().PolyCount, shapes.polygons);
    EXPECT_EQ(run.model.store().PointCount, shapes.points);
}

TEST_F(FullTable, RecordBeyondItIsRefusedAndReported) {
    EXPECT_EQ(run.taken, kSlotCount + 1);
    EXPECT_EQ(run.lastOutcome, RecordOutcome::RefusedFull);
    EXPECT_EQ(run.view.refusals, std::vector<RecordOutcome>{RecordOutcome::RefusedFull});
    EXPECT_EQ(run.model.store().PtCount, kSlotCount);
}

TEST_F(FullTable, ExportReadBackByEzdxfHoldsThePredictedEntities) {
    TraceModel model = run.model;
    QTemporaryDir appDir; // without a template of the operator's: the built-in one is used
    QTemporaryDir outDir;
    model.setAppDir(appDir.path());
    const QString path = QDir(outDir.path()).filePath(QStringLiteral("soak.dxf"));
    test::FixedChooser chooser(path);

    const SaveOutcome outcome = saveTrace(model, chooser);
    ASSERT_TRUE(outcome.result.ok()) << outcome.result.error.toStdString();
    EXPECT_EQ(model.store().SaveFileName, path);
    const QByteArray written = test::ReadFile(path);
    RecordProperty("dxf_bytes", int(written.size()));
    EXPECT_TRUE(written.startsWith(test::ReadFile(DIGITRACE_SOURCE_DIR "/export/DxfHead.txt")));

    const test::EntityCounts expected = test::predictEntities(run.tableRecords());
    EXPECT_EQ(test::countDxfEntities(path).toStdString(),
              QStringLiteral("LINE %1\nPOINT %2\nproblems 0\n")
                  .arg(expected.lines)
                  .arg(expected.points)
                  .toStdString());
}

// Connections that end by the disconnect button and by the far end hanging up take turns.
TEST(PtyCycles, TenConnectionsLeaveNoMemoryOrDescriptorsBehind) {
    constexpr int kCycles = 10;
    constexpr int kRecordsPerCycle = kSlotCount;
    constexpr qint64 kGrowthBoundKiB = 1024;
    constexpr QByteArrayView kHalfRecord = "   12.3   ";

    TraceModel model{QLocale::c()};
    test::RecordingView view;
    test::Receiver receiver(model, view);
    bool dataArrived = false;
    QObject::connect(&receiver.port, &SerialPort::dataArrived, [&] { dataArrived = true; });
    std::mt19937 random(kCycles);
    const int descriptors = test::openDescriptors();
    std::vector<qint64> resident;
    int hangUps = 0;

    for (int cycle = 0; cycle < kCycles; ++cycle) {
        SCOPED_TRACE(cycle);
        test::PseudoTerminal far;
        ASSERT_TRUE(receiver.connectTo(far)) << view.problems.join(u'\n').toStdString();
        receiver.taken = 0;
        const test::Capture capture = test::randomRecords(kRecordsPerCycle, random);
        {
            const test::ChunkedWriter writer(far.fd(), capture.bytes, 64, unsigned(cycle));
            const auto allTaken = [&] {
                return receiver.taken == kRecordsPerCycle && writer.isDone();
            };
            ASSERT_TRUE(runUntil(allTaken)) << receiver.taken << " records arrived";
        }
        // Half a record, read before the connection ends, which must drop it.
        dataArrived = false;
        ASSERT_EQ(::write(far.fd(), kHalfRecord.data(), std::size_t(kHalfRecord.size())),
                  kHalfRecord.size());
        ASSERT_TRUE(runUntil([&] { return dataArrived; }));
        if (cycle % 2 == 0) {
            receiver.session.disconnectTablet();
        } else {
            far.hangUp();
            ++hangUps;
            ASSERT_TRUE(runUntil([&] { return !receiver.session.isConnected(); }));
            EXPECT_TRUE(view.problems.last().contains(far.device()))
                << view.problems.last().toStdString();
        }
        EXPECT_EQ(view.problems.size(), hangUps);
        EXPECT_EQ(test::tableMismatch(model.store(), capture.records), "");
        resident.push_back(test::residentKiB());
    }

    QStringList figures;
    for (const qint64 kib : resident)
        figures << QString::number(kib);
    RecordProperty("resident_kib_after_each_cycle", figures.join(u' ').toStdString());
    EXPECT_EQ(test::openDescriptors(), descriptors);
    // The first connection sets up what every later one reuses.
    if (test::kResidentMemoryIsMeaningful) {
        EXPECT_LT(resident.back() - resident.front(), kGrowthBoundKiB)
            << figures.join(u' ').toStdString();
    }
}

// A device far faster than the line (a pseudo-terminal, an adapter that ignores the baud rate)
// while a dialog holds reception: the records that can still enter the table wait, the rest are
// dropped and told of once, and memory stays bounded however much arrives.
TEST(PtyFlood, HeldReceptionKeepsWhatFitsInBoundedMemory) {
    constexpr qsizetype kFloodBytes = 32 << 20;
    constexpr qint64 kGrowthBoundKiB = 8 * 1024;

    TraceModel model{QLocale::c()};
    test::RecordingView view;
    test::Receiver receiver(model, view);
    test::PseudoTerminal far;
    ASSERT_TRUE(receiver.connectTo(far)) << view.problems.join(u'\n').toStdString();
    std::mt19937 random(5);
    const test::Capture fits = test::randomRecords(int(TracingSession::kQueueLimit), random);
    const QByteArray more = test::randomRecords(1000, random).bytes;
    QByteArray flood = fits.bytes;
    while (flood.size() < kFloodBytes)
        flood += more;

    const qint64 before = test::residentKiB();
    ASSERT_TRUE(test::resetPeakResident());
    receiver.session.reception().hold();
    {
        const test::ChunkedWriter writer(far.fd(), flood, 4096, 5);
        ASSERT_TRUE(runUntil([&] { return writer.isDone(); }));
    }
    const qint64 growth = test::peakResidentKiB() - before;
    RecordProperty("peak_growth_kib", int(growth));
    receiver.session.reception().release();
    ASSERT_TRUE(runUntil([&] { return !view.problems.isEmpty(); }));

    const std::vector<test::SentRecord> table(fits.records.begin(),
                                              fits.records.begin() + kSlotCount);
    EXPECT_EQ(test::tableMismatch(model.store(), table), "");
    ASSERT_FALSE(view.refusals.empty());
    EXPECT_EQ(std::count(view.refusals.begin(), view.refusals.end(), RecordOutcome::RefusedFull),
              std::ssize(view.refusals));
    ASSERT_EQ(view.problems.size(), 1);
    EXPECT_TRUE(view.problems[0].contains(QStringLiteral("件の記録を捨てました")))
        << view.problems[0].toStdString();
    if (test::kResidentMemoryIsMeaningful) {
        EXPECT_LT(growth, kGrowthBoundKiB);
    }
}

} // namespace
} // namespace digitrace
