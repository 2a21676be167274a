#include "acquisition/qt_serial_port.h"
#include "tests/support/files.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <sys/stat.h>

namespace digitrace {
namespace {

// digitizer-sim on `arguments`, and what its pseudo-terminal carries.
class Simulator {
public:
    explicit Simulator(const QStringList &arguments) {
        process_.start(QStringLiteral(DIGITRACE_SIM), arguments);
    }
    ~Simulator() {
        process_.kill();
        process_.waitForFinished();
    }

    // Its pseudo-terminal, opened; false when it printed none.
    bool connect() {
        while (!process_.canReadLine())
            if (!process_.waitForReadyRead(10000))
                return false;
        port_.setPortName(QString::fromLocal8Bit(process_.readLine().trimmed()));
        return port_.open(nullptr);
    }
    // The first `size` bytes it played, or fewer when nothing more came for five seconds.
    QByteArray received(qsizetype size) {
        QByteArray bytes = port_.readAll();
        QSignalSpy arrived(&port_, &SerialPort::dataArrived);
        while (bytes.size() < size && (port_.bytesWaiting() > 0 || arrived.wait(5000)))
            bytes += port_.readAll();
        return bytes;
    }
    // Exit code and standard error once it ends; -1 when it does not end within ten seconds.
    std::pair<int, QString> finished() {
        process_.closeWriteChannel();
        if (!process_.waitForFinished(10000))
            return {-1, {}};
        return {process_.exitCode(), QString::fromLocal8Bit(process_.readAllStandardError())};
    }

private:
    QProcess process_;
    QtSerialPort port_;
};

TEST(DigitizerSim, PlaysACaptureWithoutEnd) {
    Simulator sim({QStringLiteral("--speed"), QStringLiteral("1000"), QStringLiteral("/dev/zero")});
    ASSERT_TRUE(sim.connect()) << sim.finished().second.toStdString();
    const QByteArray bytes = sim.received(8192);
    EXPECT_GE(bytes.size(), 8192);
    EXPECT_EQ(bytes.count('\0'), bytes.size());
}

TEST(DigitizerSim, EndsEveryLineWithCrLfAcrossChunks) {
    QTemporaryDir dir;
    const QString capture = dir.filePath(QStringLiteral("lines.cap"));
    test::writeFile(capture, QByteArray("12\r\n3\r4\n").repeated(60));
    Simulator sim(
        {QStringLiteral("--speed"), QStringLiteral("1000"), QStringLiteral("--crlf"), capture});
    ASSERT_TRUE(sim.connect());
    const QByteArray expected = QByteArray("12\r\n3\r\n4\n").repeated(60);
    EXPECT_EQ(sim.received(expected.size()), expected);
    const auto [exitCode, err] = sim.finished();
    EXPECT_EQ(exitCode, 0);
    EXPECT_TRUE(err.contains(QStringLiteral("Played %1 bytes").arg(expected.size())))
        << err.toStdString();
}

TEST(DigitizerSim, RefusesAPipeAtOnce) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    Simulator sim({fifo});
    const auto [exitCode, err] = sim.finished();
    EXPECT_EQ(exitCode, 1);
    EXPECT_TRUE(err.contains(QStringLiteral("cannot read %1: it is a pipe").arg(fifo)))
        << err.toStdString();
}

} // namespace
} // namespace digitrace
