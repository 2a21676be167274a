#include "acquisition/qt_serial_port.h"
#include "tests/support/tracing_connection.h"
#include "tracing/tracing_session.h"

#include "fakes.h"
#include "tests/support/pseudo_terminal.h"
#include "tests/support/record_text.h"

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QLockFile>
#include <QSignalSpy>
#include <QTimer>

#include <algorithm>
#include <ctime>
#include <memory>
#include <random>
#include <utility>
#include <vector>

#include <csignal>

#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace digitrace {
namespace {

using test::PseudoTerminal;
using test::waitForCount;

// CPU time this process spends while its event loop runs with nothing to do for `ms`.
double cpuSecondsWhileIdle(int ms) {
    const std::clock_t start = std::clock();
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    return double(std::clock() - start) / CLOCKS_PER_SEC;
}

// A session on the device end of a pseudo-terminal, with the real port.
class PseudoTerminalSession : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(far.isValid());
        port.setPortName(far.device());
        ASSERT_TRUE(session.connectTablet(test::at(1000))) << log.join(u'\n').toStdString();
    }

    PseudoTerminal far;
    QStringList log;
    TraceModel model{QLocale::c()};
    QtSerialPort port;
    TracingSession session{port, model};
    test::FakeView view{log, model, session};
    QSignalSpy taken{&session, &TracingSession::recordTaken};
    QSignalSpy ended{&session, &TracingSession::connectionEnded};
};

struct Sent {
    float x, y, code;
};

class PseudoTerminalStream : public PseudoTerminalSession,
                             public testing::WithParamInterface<const char *> {};

TEST_P(PseudoTerminalStream, EveryRecordIsStoredExactlyAsSent) {
    constexpr int kRecords = 2500;
    std::mt19937 random(2500);
    std::uniform_int_distribution<int> tenths(-999'999, 9'999'999), code(0, 9);
    std::vector<Sent> sent;
    QByteArray stream;
    int previous = 0;
    for (int i = 0; i < kRecords; ++i) {
        const double x = tenths(random) / 10.0, y = tenths(random) / 10.0;
        int c = code(random);
        if (c == 2 && previous != 1 && previous != 2)
            c = 1; // a vertex needs a line to extend
        previous = c;
        sent.push_back({float(x), float(y), float(c)});
        stream += test::recordText(x, y, c).toLatin1().chopped(1) + GetParam();
    }

    const test::ChunkedWriter writer(far.fd(), stream, 60, 17);
    ASSERT_TRUE(waitForCount(taken, kRecords)) << taken.count() << " records arrived";
    EXPECT_TRUE(writer.isDone());
    const TraceStore &s = model.store();
    ASSERT_EQ(s.PtCount, kRecords);
    for (std::size_t i = 0; i < sent.size(); ++i) {
        ASSERT_EQ(s.Pt.X[i], sent[i].x) << "slot " << i;
        ASSERT_EQ(s.Pt.Y[i], sent[i].y) << "slot " << i;
        ASSERT_EQ(s.Pt.Code[i], sent[i].code) << "slot " << i;
    }
    EXPECT_TRUE(log.filter(QStringLiteral("problem")).isEmpty())
        << log.filter("problem").join(u'\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(LineEnds, PseudoTerminalStream, testing::Values("\r", "\r\n"),
                         [](const auto &info) { return info.index == 0 ? "cr" : "crlf"; });

TEST_F(PseudoTerminalSession, IdleConnectionCostsNoCpu) {
    const double cpu = cpuSecondsWhileIdle(1000);
    RecordProperty("cpu_ms_per_idle_second", int(cpu * 1000));
    EXPECT_LT(cpu, 0.05);
    EXPECT_TRUE(session.isConnected());
}

TEST_F(PseudoTerminalSession, FarEndClosingMidRecordEndsTheConnectionOnce) {
    const QByteArray records = test::recordText(1, 1, 1).toLatin1() +
                               test::recordText(2, 2, 2).toLatin1() +
                               test::recordText(3, 3, 2).toLatin1() + "      4.0";
    ASSERT_EQ(::write(far.fd(), records.constData(), std::size_t(records.size())), records.size());
    ASSERT_TRUE(waitForCount(taken, 3));

    far.hangUp();
    ASSERT_TRUE(waitForCount(ended, 1));
    EXPECT_FALSE(session.isConnected());
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(model.store().PtCount, 3);
    EXPECT_EQ(model.store().LineCount, 1);
    const QStringList problems = log.filter(QStringLiteral("problem"));
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems[0].contains(far.device())) << problems[0].toStdString();
    EXPECT_TRUE(problems[0].contains(QStringLiteral("hung up"))) << problems[0].toStdString();
    EXPECT_TRUE(problems[0].contains(QStringLiteral("もう一度接続"))) << problems[0].toStdString();

    // A port left open on a hung-up line reports errors in a busy loop.
    EXPECT_LT(cpuSecondsWhileIdle(300), 0.05);
    EXPECT_EQ(ended.count(), 1);
    EXPECT_EQ(log.filter(QStringLiteral("problem")).size(), 1);
}

// A record's repaint or message box may run a nested event loop; bytes that arrive meanwhile are
// announced all the same.
TEST_F(PseudoTerminalSession, ArrivalsDuringANestedEventLoopOfTheViewAreHeard) {
    bool nested = false;
    bool heard = false;
    view.onRedraw = [&] {
        if (std::exchange(nested, true))
            return;
        const QByteArray second = test::recordText(2, 2, 3).toLatin1();
        ASSERT_EQ(::write(far.fd(), second.constData(), std::size_t(second.size())), second.size());
        QSignalSpy arrived(&port, &SerialPort::dataArrived);
        heard = arrived.wait(5000);
    };
    const QByteArray first = test::recordText(1, 1, 3).toLatin1();
    ASSERT_EQ(::write(far.fd(), first.constData(), std::size_t(first.size())), first.size());
    ASSERT_TRUE(waitForCount(taken, 2)) << taken.count() << " records arrived";
    EXPECT_TRUE(heard);
}

// A reader that falls behind finds at most the read buffer waiting; the rest waits in the line
// and none of it is lost.
TEST(QtSerialPort, HoldsNoMoreThanItsReadBufferAndLosesNothing) {
    PseudoTerminal far;
    QtSerialPort port;
    port.setPortName(far.device());
    ASSERT_TRUE(port.open(nullptr));
    QByteArray sent;
    for (qint64 i = 0; i < 4 * QtSerialPort::kReadBufferSize; ++i)
        sent += char('a' + i % 26);
    QByteArray received;
    qint64 mostWaiting = 0;
    QObject::connect(&port, &SerialPort::dataArrived, [&] {
        mostWaiting = std::max(mostWaiting, port.bytesWaiting());
        if (port.bytesWaiting() >= QtSerialPort::kReadBufferSize)
            received += port.readAll();
    });
    QSignalSpy arrived(&port, &SerialPort::dataArrived);
    const test::ChunkedWriter writer(far.fd(), sent, 4096, 5);
    while (received.size() + port.bytesWaiting() < sent.size())
        ASSERT_TRUE(arrived.wait(5000)) << received.size() + port.bytesWaiting() << " arrived";
    received += port.readAll();
    EXPECT_EQ(mostWaiting, QtSerialPort::kReadBufferSize);
    EXPECT_TRUE(received == sent);
}

TEST(QtSerialPort, OpenFailureGivesTheReason) {
    QtSerialPort port;
    QString reason;
    port.setPortName(QStringLiteral("/dev/digitrace-no-such-port"));
    EXPECT_FALSE(port.open(&reason));
    // The operator's language says what to do; the system's own words follow.
    EXPECT_TRUE(reason.contains(QStringLiteral("見つかりません"))) << reason.toStdString();
    EXPECT_TRUE(reason.contains(QStringLiteral("No such file"))) << reason.toStdString();
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.bytesWaiting(), 0);

    PseudoTerminal far;
    port.setPortName(far.device());
    port.setSettings({9600, 'x', 7, 1});
    EXPECT_FALSE(port.open(&reason));
    EXPECT_TRUE(reason.contains(QStringLiteral("9600,x,7,1"))) << reason.toStdString();
}

// A program killed while it held the line leaves the line raw and its lock file behind. The next
// connection opens all the same, though the pseudo-terminal refuses the default 7E1 framing.
TEST(QtSerialPort, OpensALineAKilledProgramHeld) {
    PseudoTerminal far;
    ASSERT_TRUE(far.isValid());
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t holder = ::fork();
    if (holder == 0) {
        QtSerialPort port;
        port.setPortName(far.device());
        const char opened = port.open(nullptr) ? 'y' : 'n';
        if (::write(ready[1], &opened, 1) == 1)
            ::pause();
        ::_exit(0);
    }
    char opened = 0;
    const bool told = ::read(ready[0], &opened, 1) == 1;
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);
    ASSERT_TRUE(told && opened == 'y');

    QtSerialPort port;
    port.setPortName(far.device());
    QString reason;
    ASSERT_TRUE(port.open(&reason)) << reason.toStdString();
    QSignalSpy arrived(&port, &SerialPort::dataArrived);
    ASSERT_EQ(::write(far.fd(), "1\r", 2), 2);
    EXPECT_TRUE(arrived.wait(5000));
    EXPECT_EQ(port.readAll(), "1\r");
}

// The device opens with the line the operator chose, as the terminal settings show it. A
// pseudo-terminal always keeps 8 data bits and no parity, so those two are not seen here.
TEST(QtSerialPort, OpensWithTheChosenLine) {
    const struct {
        LineSettings line;
        speed_t speed;
        tcflag_t set, unset;
    } rows[] = {
        {{}, B9600, 0, CSTOPB | CRTSCTS},
        {{19200, 'o', 8, 2, 'h'}, B19200, CSTOPB | CRTSCTS, 0},
        {{115200, 'n', 8, 1, 'n'}, B115200, 0, CSTOPB | CRTSCTS},
        {{1200, 'e', 7, 2, 's'}, B1200, CSTOPB, CRTSCTS},
    };
    for (const auto &r : rows) {
        PseudoTerminal far;
        QtSerialPort port;
        port.setPortName(far.device());
        port.setSettings(r.line);
        QString reason;
        ASSERT_TRUE(port.open(&reason)) << reason.toStdString();
        termios t{};
        ASSERT_EQ(tcgetattr(far.fd(), &t), 0);
        const std::string row = r.line.toText().toStdString();
        EXPECT_EQ(cfgetispeed(&t), r.speed) << row;
        EXPECT_EQ(t.c_cflag & r.set, r.set) << row;
        EXPECT_EQ(t.c_cflag & r.unset, 0u) << row;
        EXPECT_EQ((t.c_iflag & (IXON | IXOFF)) != 0, r.line.flowControl == 's') << row;
        port.close();
    }
}

// The two faults Qt reports alike get their own fix in the reason.
TEST(QtSerialPortOpen, SaysWhetherThePortIsBusyOrForbidden) {
    // A pseudo-terminal whose lock file another user's killed process did not leave behind.
    std::vector<std::unique_ptr<PseudoTerminal>> held;
    do
        held.push_back(std::make_unique<PseudoTerminal>());
    while (held.back()->isValid() && test::hasLock(held.back()->device()) && held.size() < 16);
    PseudoTerminal &far = *held.back();
    ASSERT_TRUE(far.isValid());
    QtSerialPort holder;
    holder.setPortName(far.device());
    ASSERT_TRUE(holder.open(nullptr));
    QtSerialPort second;
    second.setPortName(far.device());
    QString reason;
    EXPECT_FALSE(second.open(&reason));
    EXPECT_TRUE(reason.contains(QStringLiteral("使用中"))) << reason.toStdString();
    holder.close();

    // A pseudo-terminal gone while its lock is still held is not in use: it is gone.
    QString gone;
    {
        const PseudoTerminal brief;
        gone = brief.device();
    }
    QLockFile lock(test::deviceLockPath(gone));
    if (lock.tryLock(0) && !QFile::exists(gone)) {
        QtSerialPort vanished;
        vanished.setPortName(gone);
        EXPECT_FALSE(vanished.open(&reason));
        EXPECT_TRUE(reason.contains(QStringLiteral("見つかりません"))) << reason.toStdString();
    }

    if (::geteuid() == 0)
        GTEST_SKIP() << "root may open any device";
    ASSERT_EQ(::chmod(far.device().toLocal8Bit().constData(), 0), 0);
    EXPECT_FALSE(second.open(&reason));
    EXPECT_TRUE(reason.contains(QStringLiteral("グループ"))) << reason.toStdString();
    EXPECT_TRUE(reason.contains(QStringLiteral("adduser"))) << reason.toStdString();
}

} // namespace
} // namespace digitrace
