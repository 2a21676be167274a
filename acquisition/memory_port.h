#pragma once

#include "acquisition/serial_port.h"

#include <QByteArray>
#include <QByteArrayView>

namespace digitrace {

// A serial line whose bytes the program hands over itself: a recorded capture, a simulated tablet,
// a test's script. Each deliver() is one read's worth, announced at once, on the owner's thread.
class MemoryPort : public SerialPort {
    Q_OBJECT
public:
    using SerialPort::SerialPort;

    void setPortName(const QString &name) override { name_ = name; }
    QString portName() const override { return name_; }
    // The bytes are characters already: line settings change nothing.
    void setSettings(const LineSettings &) override {}
    // Opening fails with this reason while it is set: a line that cannot be opened.
    void setOpenError(const QString &reason) { openError_ = reason; }
    bool open(QString *error) override;
    void close() override;
    bool isOpen() const override { return open_; }
    qint64 bytesWaiting() const override { return open_ ? waiting_.size() : 0; }
    QByteArray readAll() override;

    // A closed line receives nothing.
    void deliver(QByteArrayView bytes);
    // As a real port does when its device goes away: closed first, then told.
    void breakDown(const QString &reason);

private:
    QString name_;
    QString openError_;
    QByteArray waiting_;
    bool open_ = false;
};

} // namespace digitrace
