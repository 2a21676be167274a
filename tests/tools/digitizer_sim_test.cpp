#include "acquisition/formats/record_decoder.h"
#include "acquisition/qt_serial_port.h"
#include "tests/support/files.h"
#include "tests/support/whole_count_sheet.h"
#include "tools/digitizer_sim/capture_encoder.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <sys/stat.h>

namespace digitrace {
namespace {

const QString kData = QStringLiteral(DIGITRACE_TOOLS_DATA);

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

// The bundled sheet in whole counts.
QByteArray wholeCountSheet() {
    return test::wholeCountSheet(
        test::readFile(kData + QStringLiteral("/../../../acquisition/sample/map_sheet.cap")));
}

std::pair<int, QString> replayed(const QStringList &arguments, const QString &folder) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(folder);
    process.start(QStringLiteral(DIGITRACE_REPLAY), arguments);
    if (!process.waitForFinished(60000))
        return {-1, {}};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput())};
}

// The sheet sent in every format over a pseudo-terminal and replayed in that format gives the
// trace, the values and the DXF of the sheet replayed as it is.
TEST(DigitizerSim, EveryFormatCarriesTheSheetToTheSameTrace) {
    QTemporaryDir dir;
    const QString sheet = dir.filePath(QStringLiteral("sheet.cap"));
    test::writeFile(sheet, wholeCountSheet());
    // The sheet uses codes 0 to 5 and 7, which fit even the three button bits of summa-mm.
    const QString buttons = QStringLiteral("1=1 2=2 3=3 4=4 5=5 6=0 7=7");
    const auto [exitCode, expected] =
        replayed({QStringLiteral("--dxf"), QStringLiteral("fixed19.dxf"), sheet}, dir.path());
    ASSERT_EQ(exitCode, 0);
    ASSERT_TRUE(expected.contains(QStringLiteral("PtCount\t167"))) << expected.toStdString();
    ASSERT_FALSE(test::readFile(dir.filePath(QStringLiteral("fixed19.dxf"))).isEmpty());
    const QStringList formats = builtInFormatNames().mid(1) << QStringLiteral("custom");
    for (const QString &name : formats) {
        SCOPED_TRACE(name.toStdString());
        const QString layout = dir.filePath(QStringLiteral("layout.txt"));
        test::writeFile(layout, "order = button,y,x\nseparator = ;\nline-end = lf\n");
        QStringList formatArguments{QStringLiteral("--buttons"), buttons};
        if (name == u"custom")
            formatArguments << QStringLiteral("--layout") << layout;
        TabletFormat format = name == u"custom" ? TabletFormat{} : *TabletFormat::named(name);
        format.buttons = *ButtonTable::fromText(buttons);
        if (name == u"custom") {
            format.kind = FormatKind::Custom;
            format.layout = *CustomLayout::fromText(test::readFile(layout), nullptr);
        }
        const QByteArray encoded = CaptureEncoder(format).convert(wholeCountSheet());
        ASSERT_FALSE(encoded.isEmpty());

        Simulator sim(QStringList{QStringLiteral("--speed"), QStringLiteral("1000"),
                                  QStringLiteral("--format"), name}
                      << formatArguments << sheet);
        ASSERT_TRUE(sim.connect()) << sim.finished().second.toStdString();
        const QByteArray received = sim.received(encoded.size());
        ASSERT_EQ(received, encoded);
        const QString capture = dir.filePath(name + QStringLiteral(".cap"));
        test::writeFile(capture, received);
        // A binary format is told by its bytes alone.
        const QString readAs = isBinaryFormat(format.kind) ? QStringLiteral("auto") : name;
        const auto [code, values] =
            replayed(QStringList{QStringLiteral("--tablet-format"), readAs, QStringLiteral("--dxf"),
                                 name + QStringLiteral(".dxf")}
                         << formatArguments << capture,
                     dir.path());
        EXPECT_EQ(code, 0);
        EXPECT_EQ(values, expected);
        EXPECT_EQ(test::readFile(dir.filePath(name + QStringLiteral(".dxf"))),
                  test::readFile(dir.filePath(QStringLiteral("fixed19.dxf"))));
    }
}

// The bundled sheet uses code 0, which no button gives by default: the simulator sends it with
// a button the table leaves free, says which table reads it back, and the sheet arrives whole.
TEST(DigitizerSim, PlaysTheBundledSheetInEveryFormatWithoutOptions) {
    QTemporaryDir dir;
    const QByteArray sample =
        test::readFile(kData + QStringLiteral("/../../../acquisition/sample/map_sheet.cap"));
    for (const QString &name : builtInFormatNames().mid(1)) {
        SCOPED_TRACE(name.toStdString());
        CaptureEncoder encoder(*TabletFormat::named(name));
        encoder.chooseButtons(sample);
        const QByteArray encoded = encoder.convert(sample);
        ASSERT_FALSE(encoded.isEmpty()) << encoder.error().toStdString();
        Simulator sim(
            {QStringLiteral("--speed"), QStringLiteral("1000"), QStringLiteral("--format"), name});
        ASSERT_TRUE(sim.connect()) << sim.finished().second.toStdString();
        const QByteArray received = sim.received(encoded.size());
        const auto [exitCode, err] = sim.finished();
        EXPECT_EQ(exitCode, 0) << err.toStdString();
        ASSERT_EQ(received, encoded);
        const QString table = encoder.chosenTable();
        EXPECT_TRUE(err.contains(QStringLiteral("--buttons \"%1\"").arg(table)))
            << err.toStdString();
        const QString capture = dir.filePath(name + QStringLiteral(".cap"));
        test::writeFile(capture, received);
        const auto [code, values] = replayed(
            {QStringLiteral("--tablet-format"), name, QStringLiteral("--buttons"), table, capture},
            dir.path());
        EXPECT_EQ(code, 0);
        EXPECT_TRUE(values.startsWith(QStringLiteral("PtCount\t167\n"))) << values.toStdString();
    }
}

} // namespace
} // namespace digitrace
