#pragma once

#include "acquisition/serial_port.h"

#include <QByteArray>
#include <QByteArrayView>

#include <utility>

namespace digitrace::fuzz {

// A serial line held in memory: each deliver() is one read's worth of bytes, announced at once,
// as a real port announces a read on the window's thread.
class MemoryPort : public SerialPort {
public:
    using SerialPort::SerialPort;

    void setPortName(const QString &name) override { name_ = name; }
    QString portName() const override { return name_; }
    void setSettings(const LineSettings &) override {}
    bool open(QString *error) override {
        if (refuseOpen) {
            if (error)
                *error = QStringLiteral("No such file or directory");
            return false;
        }
        open_ = true;
        return true;
    }
    void close() override {
        open_ = false;
        waiting_.clear();
    }
    bool isOpen() const override { return open_; }
    qint64 bytesWaiting() const override { return open_ ? waiting_.size() : 0; }
    QByteArray readAll() override { return std::exchange(waiting_, {}); }

    // A closed line receives nothing.
    void deliver(QByteArrayView bytes) {
        if (!open_)
            return;
        waiting_ += bytes;
        emit dataArrived();
    }
    // As a real port does when the device goes away: closed first, then told.
    void breakDown() {
        close();
        emit failed(QStringLiteral("Input/output error"));
    }

    bool refuseOpen = false;

private:
    QString name_ = QStringLiteral("/dev/ttyS0");
    QByteArray waiting_;
    bool open_ = false;
};

} // namespace digitrace::fuzz
