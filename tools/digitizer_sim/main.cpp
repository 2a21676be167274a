// Plays a tablet capture on a new pseudo-terminal, so that the tracing program can be tried end
// to end without a tablet: digitrace --port <the printed device>.

#include "acquisition/formats/format_option.h"
#include "acquisition/formats/format_registry.h"
#include "acquisition/simulated_port.h"
#include "tools/digitizer_sim/capture_encoder.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <utility>

#include <pty.h>
#include <termios.h>
#include <unistd.h>

using digitrace::CaptureEncoder;
using digitrace::SimulatedPort;
using digitrace::TabletFormat;
using digitrace::TabletProgram;

namespace {

[[noreturn]] void fail(const QString &message) {
    std::cerr << "digitizer-sim: " << message.toLocal8Bit().constData() << '\n';
    std::exit(1);
}

bool writeAll(int fd, QByteArrayView bytes) {
    while (!bytes.isEmpty()) {
        const ssize_t written = ::write(fd, bytes.data(), std::size_t(bytes.size()));
        if (written < 0 && errno != EINTR)
            return false;
        if (written > 0)
            bytes = bytes.sliced(written);
    }
    return true;
}

// The capture is read as it is played: it may be larger than the memory, or have no end.
std::unique_ptr<SimulatedPort> makePlayer(const QString &path, const QByteArray &sample) {
    if (path.isEmpty())
        return std::make_unique<SimulatedPort>(sample);
    QString error;
    std::unique_ptr<QIODevice> capture = SimulatedPort::openCapture(path, &error);
    if (!capture)
        fail(QStringLiteral("cannot read %1: %2").arg(path, error));
    return std::make_unique<SimulatedPort>(std::move(capture));
}

// Ends every line with CR LF, chunk by chunk: a CR gains an LF, and an LF that already followed a
// CR, perhaps at the start of the next chunk, is dropped.
class CrLfLineEnds {
public:
    QByteArray convert(QByteArrayView chunk) {
        QByteArray out;
        for (const char byte : chunk) {
            const bool lineFeedOfCr = afterCarriageReturn_ && byte == '\n';
            afterCarriageReturn_ = byte == '\r';
            if (byte == '\r')
                out += "\r\n";
            else if (!lineFeedOfCr)
                out += byte;
        }
        return out;
    }

private:
    bool afterCarriageReturn_ = false;
};

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("digitizer-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Makes a pseudo-terminal, prints its device path and plays a tablet capture on it at "
        "9600 baud (960 characters a second). When the capture has played, waits for Enter or "
        "the end of standard input before closing the pseudo-terminal."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("capture"),
                                 QStringLiteral("Raw capture to play; the bundled sample sheet "
                                                "when none is given."),
                                 QStringLiteral("[capture]"));
    const QCommandLineOption speedOption = digitrace::playbackSpeedOption(TabletProgram::Simulator);
    const QCommandLineOption crlfOption(QStringLiteral("crlf"),
                                        QStringLiteral("End every record with CR LF."));
    const digitrace::TabletFormatOptions formatOptions(TabletProgram::Simulator);
    parser.addOption(speedOption);
    parser.addOption(crlfOption);
    formatOptions.addTo(parser);
    parser.process(app);

    const digitrace::TabletFormatArguments given = formatOptions.read(parser);
    const bool buttonsGiven = formatOptions.buttonsGiven(parser);
    QString formatError;
    std::optional<TabletFormat> format =
        digitrace::formatFromCommandLine(given.formatName, given.layoutPath, &formatError);
    if (!format)
        fail(formatError);
    if (buttonsGiven) {
        const auto buttons = digitrace::buttonsFromCommandLine(given.buttons, &formatError);
        if (!buttons)
            fail(formatError);
        format->buttons = *buttons;
    }
    // A format of the designed records is sent as the capture holds it.
    const bool encoding = !digitrace::describe(format->kind).carriesCodes;
    if (const QString refused = digitrace::buttonsNotRead(*format);
        buttonsGiven && !refused.isEmpty())
        fail(refused);
    if (encoding && parser.isSet(crlfOption))
        fail(QStringLiteral("--crlf is for fixed19: other formats end their lines themselves"));

    bool speedOk = false;
    const double speed = parser.value(speedOption).toDouble(&speedOk);
    if (!speedOk || !(speed > 0) || !std::isfinite(speed))
        fail(QStringLiteral("--speed wants a number above 0, not \"%1\"")
                 .arg(parser.value(speedOption)));
    if (parser.positionalArguments().size() > 1)
        fail(QStringLiteral("one capture at a time"));
    const QString capturePath = parser.positionalArguments().value(0);
    const QByteArray sample = capturePath.isEmpty() ? SimulatedPort::bundledSample() : QByteArray();
    const std::unique_ptr<SimulatedPort> player = makePlayer(capturePath, sample);
    player->setSpeedFactor(speed);
    const bool crlf = parser.isSet(crlfOption);

    // Raw mode from the start: bytes written before the reader opens its end are processed with
    // the settings of that moment, and the default ones would turn CR into LF.
    termios raw{};
    cfmakeraw(&raw);
    int master = -1, slave = -1;
    char device[256] = {};
    if (::openpty(&master, &slave, device, &raw, nullptr) != 0)
        fail(QStringLiteral("cannot make a pseudo-terminal: %1").arg(std::strerror(errno)));
    ::close(slave);
    std::cout << device << std::endl;

    CrLfLineEnds lineEnds;
    CaptureEncoder encoder(*format);
    if (encoding && !buttonsGiven)
        encoder.chooseButtons(sample);
    qint64 written = 0;
    QObject::connect(player.get(), &SimulatedPort::dataArrived, [&] {
        QByteArray chunk = player->readAll();
        if (encoding) {
            chunk = encoder.convert(chunk);
            if (!encoder.error().isEmpty())
                fail(QStringLiteral("cannot send the capture as %1: %2")
                         .arg(format->name(), encoder.error()));
        } else if (crlf) {
            chunk = lineEnds.convert(chunk);
        }
        if (!writeAll(master, chunk))
            fail(QStringLiteral("cannot write to %1: %2").arg(device, std::strerror(errno)));
        written += chunk.size();
    });
    QObject::connect(player.get(), &SimulatedPort::playedAll, &app, &QCoreApplication::quit);
    QObject::connect(player.get(), &SimulatedPort::failed,
                     [&](const QString &reason) { fail(reason); });
    QString error;
    if (!player->open(&error))
        fail(error);
    app.exec();

    if (encoder.roundedCoordinates() > 0)
        std::cerr << encoder.roundedCoordinates()
                  << " coordinates were rounded to whole tablet counts.\n";
    if (const QString table = encoder.chosenTable(); !table.isEmpty())
        std::cerr << "Codes that no button gives by default were sent with other buttons; read "
                     "them with --buttons \""
                  << table.toStdString() << "\".\n";
    std::cerr << "Played " << written << " bytes. Press Enter to close " << device << ".\n";
    std::string line;
    std::getline(std::cin, line);
    ::close(master);
    return 0;
}
