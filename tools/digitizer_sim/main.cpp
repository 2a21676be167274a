// Plays a tablet capture on a new pseudo-terminal, so that the tracing program can be tried end
// to end without a tablet: digitrace --port <the printed device>.

#include "acquisition/simulated_port.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include <pty.h>
#include <termios.h>
#include <unistd.h>

using digitrace::SimulatedPort;

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

QByteArray readCapture(const QString &path) {
    if (path.isEmpty())
        return SimulatedPort::bundledSample();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    return file.readAll();
}

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
    const QCommandLineOption speedOption(
        {QStringLiteral("s"), QStringLiteral("speed")},
        QStringLiteral("Play <factor> times faster than the line rate."), QStringLiteral("factor"),
        QStringLiteral("1"));
    const QCommandLineOption crlfOption(QStringLiteral("crlf"),
                                        QStringLiteral("End every record with CR LF."));
    parser.addOption(speedOption);
    parser.addOption(crlfOption);
    parser.process(app);

    bool speedOk = false;
    const double speed = parser.value(speedOption).toDouble(&speedOk);
    if (!speedOk || !(speed > 0) || !std::isfinite(speed))
        fail(QStringLiteral("--speed wants a number above 0, not \"%1\"")
                 .arg(parser.value(speedOption)));
    if (parser.positionalArguments().size() > 1)
        fail(QStringLiteral("one capture at a time"));
    QByteArray capture = readCapture(parser.positionalArguments().value(0));
    if (parser.isSet(crlfOption))
        capture.replace("\r\n", "\r").replace("\r", "\r\n");

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

    SimulatedPort player(capture);
    player.setSpeedFactor(speed);
    QObject::connect(&player, &SimulatedPort::dataArrived, [&] {
        if (!writeAll(master, player.readAll()))
            fail(QStringLiteral("cannot write to %1: %2").arg(device, std::strerror(errno)));
    });
    QObject::connect(&player, &SimulatedPort::playedAll, &app, &QCoreApplication::quit);
    player.open(nullptr);
    app.exec();

    std::cerr << "Played " << capture.size() << " bytes. Press Enter to close " << device << ".\n";
    std::string line;
    std::getline(std::cin, line);
    ::close(master);
    return 0;
}
