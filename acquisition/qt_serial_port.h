#pragma once

#include "acquisition/serial_port.h"

#include <QSerialPort>

namespace digitrace {

// A device of the operating system: a serial port, a USB adapter or a pseudo-terminal.
class QtSerialPort : public SerialPort {
    Q_OBJECT
public:
    // Bytes read from the device and not yet taken, at most: about 3,000 records.
    static constexpr qint64 kReadBufferSize = 64 * 1024;

    explicit QtSerialPort(QObject *parent = nullptr);

    void setPortName(const QString &name) override;
    QString portName() const override { return name_; }
    void setSettings(const LineSettings &settings) override { settings_ = settings; }
    bool open(QString *error) override;
    void close() override;
    bool isOpen() const override { return port_.isOpen(); }
    qint64 bytesWaiting() const override;
    QByteArray readAll() override { return port_.readAll(); }

private:
    void onError(QSerialPort::SerialPortError error);

    QSerialPort port_;
    QString name_;
    LineSettings settings_;
};

} // namespace digitrace
