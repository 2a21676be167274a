#include "soak_support.h"
#include "tests/support/pseudo_terminal.h"
#include "tests/support/record_text.h"
#include "tests/support/tracing_connection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <unistd.h>

namespace digitrace {
namespace {

using test::runUntil;

TEST(MissingPort, ConnectFailsNamingTheDeviceAndLeavesTheWindowDisconnected) {
    TraceModel model{QLocale::c()};
    test::RecordingView view;
    test::Receiver receiver(model, view);
    const QString device = QStringLiteral("/dev/does-not-exist");
    receiver.port.setPortName(device);

    EXPECT_FALSE(receiver.session.connectTablet(test::at(1000)));
    ASSERT_EQ(view.problems.size(), 1);
    EXPECT_TRUE(view.problems[0].contains(device)) << view.problems[0].toStdString();
    EXPECT_TRUE(view.problems[0].contains(QString::fromLocal8Bit(std::strerror(ENOENT))))
        << view.problems[0].toStdString();
    EXPECT_FALSE(receiver.session.isConnected());
    EXPECT_FALSE(receiver.port.isOpen());
    EXPECT_TRUE(view.connectEnabled);
    EXPECT_FALSE(view.disconnectEnabled);

    // Nothing of the failure stays behind: the next connect, to a line that exists, works.
    test::PseudoTerminal far;
    ASSERT_TRUE(receiver.connectTo(far));
    const QByteArray record = test::recordText(1.5, 2.5, 4).toLatin1();
    ASSERT_EQ(::write(far.fd(), record.constData(), std::size_t(record.size())), record.size());
    ASSERT_TRUE(runUntil([&] { return receiver.taken == 1; }));
    EXPECT_EQ(test::tableMismatch(model.store(), {{1.5f, 2.5f, 4.0f}}), "");
    EXPECT_EQ(view.problems.size(), 1);
}

// A live connection on a fresh pseudo-terminal.
class LiveLine : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(receiver.connectTo(far)) << view.problems.join(u'\n').toStdString();
    }

    test::PseudoTerminal far;
    TraceModel model{QLocale::c()};
    test::RecordingView view;
    test::Receiver receiver{model, view};
};

// What must hold after every record, whatever the line carried; empty when it all does.
std::string BrokenInvariant(const TraceModel &model) {
    const TraceStore &s = model.store();
    if (s.PtCount < 0 || s.PtCount > kSlotCount)
        return "PtCount " + std::to_string(s.PtCount);
    for (const std::int16_t counter : {s.PointCount, s.LineCount, s.PolyCount, s.SeqVertices})
        if (counter < 0)
            return "a counter is " + std::to_string(counter);
    for (int field = 0; field < kDisplayFieldCount; ++field) {
        const QString text = model.text(DisplayField(field)).toLower();
        if (text.contains(QStringLiteral("inf")) || text.contains(QStringLiteral("nan")))
            return "field " + std::to_string(field) + " shows " + text.toStdString();
    }
    return {};
}

QByteArray UniformNoise(std::mt19937 &random) {
    std::uniform_int_distribution<int> byte(0, 255);
    QByteArray noise(256 * 1024, '\0');
    for (char &c : noise)
        c = char(byte(random));
    return noise;
}

// Mostly the characters of numbers, so that records fill the table and their values reach the
// ends of the float range, with a stray byte of any kind now and then.
QByteArray NumberLikeNoise(std::mt19937 &random) {
    constexpr QByteArrayView kAlphabet = "0123456789.+-eE \t\n";
    std::uniform_int_distribution<int> pick(0, int(kAlphabet.size()) - 1), byte(0, 255),
        percent(0, 99);
    QByteArray noise;
    for (int i = 0; i < 320 * 1024; ++i) {
        const int p = percent(random);
        noise += p < 5 ? '\r' : p < 7 ? char(byte(random)) : kAlphabet[pick(random)];
    }
    return noise;
}

struct NoiseCase {
    const char *name;
    QByteArray (*make)(std::mt19937 &);
    bool fillsTheTable;
};

void PrintTo(const NoiseCase &c, std::ostream *os) {
    *os << c.name;
}

class NoiseOnTheLine : public LiveLine, public testing::WithParamInterface<NoiseCase> {};

TEST_P(NoiseOnTheLine, EveryCarriageReturnEndsARecordAndNothingBreaks) {
    std::mt19937 random(256);
    const QByteArray noise = GetParam().make(random);
    std::string broken;
    int refusedOutcomes = 0;
    QObject::connect(&receiver.session, &TracingSession::recordTaken, [&](RecordOutcome outcome) {
        refusedOutcomes += isRefused(outcome);
        if (broken.empty())
            broken = BrokenInvariant(model);
    });

    const int records = int(noise.count('\r'));
    const test::ChunkedWriter writer(far.fd(), noise, 512, 256);
    ASSERT_TRUE(runUntil([&] { return receiver.taken >= records && writer.isDone(); }))
        << receiver.taken << " of " << records << " records arrived";
    EXPECT_EQ(receiver.taken, records);
    EXPECT_EQ(broken, "");
    EXPECT_EQ(int(view.refusals.size()), refusedOutcomes);
    EXPECT_TRUE(view.problems.isEmpty()) << view.problems.join(u'\n').toStdString();
    EXPECT_TRUE(receiver.session.isConnected());
    RecordProperty("records", records);
    RecordProperty("PtCount", model.store().PtCount);
    if (GetParam().fillsTheTable) {
        EXPECT_EQ(model.store().PtCount, kSlotCount);
        const auto reported = [&](RecordOutcome o) {
            return std::count(view.refusals.begin(), view.refusals.end(), o) > 0;
        };
        EXPECT_TRUE(reported(RecordOutcome::RefusedFull));
        EXPECT_TRUE(reported(RecordOutcome::RefusedOutOfRange));
    }
}

INSTANTIATE_TEST_SUITE_P(Captures, NoiseOnTheLine,
                         testing::Values(NoiseCase{"uniform_bytes", UniformNoise, false},
                                         NoiseCase{"number_like", NumberLikeNoise, true}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(LiveLine, MegabyteWithoutCarriageReturnKeepsMemoryBoundedAndTheNextRecordWhole) {
    constexpr qint64 kGrowthBoundKiB = 512;
    const QByteArray warmUp = test::recordText(1, 2, 4).toLatin1();
    ASSERT_EQ(::write(far.fd(), warmUp.constData(), std::size_t(warmUp.size())), warmUp.size());
    ASSERT_TRUE(runUntil([&] { return receiver.taken == 1; }));

    // A record's first columns, then a megabyte more before its carriage return.
    const QByteArray line = test::recordText(12.5, 34.5, 6).toLatin1().chopped(1) +
                            QByteArray(1 << 20, '7') + "\r\n" +
                            test::recordText(100, -200, 1).toLatin1() + "\n";
    const test::ChunkedWriter writer(far.fd(), line, 4096, 1);
    const qint64 before = test::residentKiB();
    ASSERT_TRUE(test::resetPeakResident());
    ASSERT_TRUE(runUntil([&] { return receiver.taken == 3 && writer.isDone(); }))
        << receiver.taken << " records arrived";
    const qint64 growth = test::peakResidentKiB() - before;

    RecordProperty("peak_resident_growth_kib", int(growth));
    if (test::kResidentMemoryIsMeaningful) {
        EXPECT_LT(growth, kGrowthBoundKiB);
    }
    EXPECT_EQ(test::tableMismatch(model.store(), {{1, 2, 4}, {12.5f, 34.5f, 6}, {100, -200, 1}}),
              "");
    EXPECT_TRUE(view.problems.isEmpty());
}

} // namespace
} // namespace digitrace
