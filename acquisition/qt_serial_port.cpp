#include "acquisition/qt_serial_port.h"

#include "acquisition/abandoned_line.h"

#include <QCoreApplication>
#include <QFile>

#ifdef Q_OS_UNIX
#include <grp.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace digitrace {
namespace {

QSerialPort::Parity toQtParity(char parity) {
    switch (parity) {
    case 'e':
        return QSerialPort::EvenParity;
    case 'o':
        return QSerialPort::OddParity;
    case 'm':
        return QSerialPort::MarkParity;
    case 's':
        return QSerialPort::SpaceParity;
    default:
        return QSerialPort::NoParity;
    }
}

// A line that was hung up (an unplugged adapter, a closed pseudo-terminal) reads as end of file,
// and QSerialPort then gives whatever errno happened to hold as its reason.
bool isHungUp(const QSerialPort &port) {
#ifdef Q_OS_UNIX
    pollfd device{port.handle(), POLLIN, 0};
    return ::poll(&device, 1, 0) == 1 && (device.revents & POLLHUP);
#else
    Q_UNUSED(port);
    return false;
#endif
}

#ifdef Q_OS_UNIX
// The group that may open the device, as the system names it (dialout for serial ports).
QString deviceGroup(const QByteArray &path) {
    struct stat info {};
    if (::stat(path.constData(), &info) != 0)
        return {};
    const group *g = ::getgrgid(info.st_gid);
    return g ? QString::fromLocal8Bit(g->gr_name) : QString::number(info.st_gid);
}
#endif

// What went wrong and what to do, in the operator's language; the system's own words follow.
// Qt says "Permission error while locking the device" both when the operator may not open the
// device and when another program holds it; the fix differs, so the reason says which.
QString openFailure(QSerialPort::SerialPortError error, const QString &qtReason,
                    const QString &name, const LineSettings &settings) {
    QString advice;
#ifdef Q_OS_UNIX
    // A device gone (a pseudo-terminal whose program ended, an adapter pulled) can still fail at
    // its lock file, which Qt reports as a permission error.
    if (error == QSerialPort::PermissionError &&
        ::access(QFile::encodeName(devicePath(name)).constData(), F_OK) != 0 && errno == ENOENT)
        error = QSerialPort::DeviceNotFoundError;
#endif
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        advice = QCoreApplication::translate(
            "digitrace::QtSerialPort",
            "デバイスが見つかりません。タブレットのケーブルがつながっているか、"
            "ポート名が正しいかを確かめてください。");
        break;
    case QSerialPort::PermissionError: {
#ifdef Q_OS_UNIX
        const QByteArray path = QFile::encodeName(devicePath(name));
        if (::access(path.constData(), R_OK) != 0 && errno == EACCES) {
            advice = QCoreApplication::translate(
                         "digitrace::QtSerialPort",
                         "このデバイスを開く権限がありません。デバイスのグループ「%1」に"
                         "入ってください（sudo adduser $USER %1 のあと、ログインし直す）。")
                         .arg(deviceGroup(path));
            break;
        }
#else
        Q_UNUSED(name);
#endif
        advice = QCoreApplication::translate(
            "digitrace::QtSerialPort",
            "他のプログラムが使用中です。そのプログラムを終了してから接続して"
            "ください。");
        break;
    }
    case QSerialPort::UnsupportedOperationError:
        advice = QCoreApplication::translate(
                     "digitrace::QtSerialPort",
                     "デバイスが回線の設定 %1 を受け付けませんでした。ポートの設定で"
                     "タブレットに合った設定を選んでください。")
                     .arg(settings.toText());
        break;
    default:
        advice = QCoreApplication::translate(
            "digitrace::QtSerialPort",
            "デバイスを開けませんでした。タブレットの電源とケーブルを確かめて"
            "から、もう一度接続してください。");
        break;
    }
    return qtReason.isEmpty() ? advice : advice + QStringLiteral(" (") + qtReason + u')';
}

} // namespace

QtSerialPort::QtSerialPort(QObject *parent) : SerialPort(parent) {
    // A device that outruns the reader waits in the line instead of in memory.
    port_.setReadBufferSize(kReadBufferSize);
    // QSerialPort stays silent about new bytes while a slot of its readyRead runs a nested event
    // loop (a message box about a record, say): announced from the event loop instead, every
    // arrival is heard.
    connect(&port_, &QSerialPort::readyRead, this, &SerialPort::dataArrived, Qt::QueuedConnection);
    connect(&port_, &QSerialPort::errorOccurred, this, &QtSerialPort::onError);
}

void QtSerialPort::setPortName(const QString &name) {
    name_ = name;
    port_.setPortName(name);
}

bool QtSerialPort::open(QString *error) {
    if (!settings_.isValid()) {
        if (error)
            *error = QStringLiteral("unsupported line settings %1").arg(settings_.toText());
        return false;
    }
    // All framing before open(): a pseudo-terminal refuses data bits and parity once open.
    port_.setBaudRate(settings_.baudRate);
    port_.setParity(toQtParity(settings_.parity));
    port_.setDataBits(static_cast<QSerialPort::DataBits>(settings_.dataBits));
    port_.setStopBits(settings_.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
    port_.setFlowControl(settings_.flowControl == 'h'   ? QSerialPort::HardwareControl
                         : settings_.flowControl == 's' ? QSerialPort::SoftwareControl
                                                        : QSerialPort::NoFlowControl);
    if (port_.open(QIODevice::ReadOnly))
        return true;
    // A line that a killed program left set up refuses settings it cannot take; once put back
    // as a normal close leaves it, it opens as it did the first time.
    if (port_.error() == QSerialPort::UnsupportedOperationError && resetAbandonedLine(name_) &&
        port_.open(QIODevice::ReadOnly))
        return true;
    if (error)
        *error = openFailure(port_.error(), port_.errorString(), name_, settings_);
    return false;
}

void QtSerialPort::close() {
    // Closing a closed QSerialPort reports an error of its own.
    if (port_.isOpen())
        port_.close();
}

qint64 QtSerialPort::bytesWaiting() const {
    return port_.isOpen() ? port_.bytesAvailable() : 0;
}

void QtSerialPort::onError(QSerialPort::SerialPortError error) {
    // Errors of a failed open() are answered by open() itself.
    if (error == QSerialPort::NoError || !port_.isOpen())
        return;
    const bool hungUp = isHungUp(port_);
    const QString said = hungUp ? QStringLiteral("The line was hung up.") : port_.errorString();
    const QString advice =
        hungUp || error == QSerialPort::ResourceError
            ? QCoreApplication::translate("digitrace::QtSerialPort",
                                          "タブレットとの回線が切れました。ケーブルと電源を"
                                          "確かめてから、もう一度接続してください。")
            : QCoreApplication::translate("digitrace::QtSerialPort",
                                          "回線から読めなくなりました。もう一度接続してください。");
    // Close before telling anyone: a device whose far end has gone repeats the error many
    // thousand times a second for as long as it stays open.
    port_.close();
    emit failed(advice + QStringLiteral(" (") + said + u')');
}

} // namespace digitrace
