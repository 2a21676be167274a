#pragma once

#include "acquisition/line_settings.h"

#include <QByteArray>
#include <QObject>
#include <QString>

namespace digitrace {

// The serial line to the tablet, as the session uses it. Implementations deliver on the thread
// that owns them and announce arrivals, so that nobody has to poll.
class SerialPort : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual void setPortName(const QString &name) = 0;
    virtual QString portName() const = 0;
    // Takes effect at the next open: some devices refuse framing changes once open.
    virtual void setSettings(const LineSettings &settings) = 0;
    // On failure `error`, when given, receives the system's reason.
    virtual bool open(QString *error) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Received bytes not yet read; 0 when closed.
    virtual qint64 bytesWaiting() const = 0;
    virtual QByteArray readAll() = 0;

signals:
    void dataArrived();
    // The port has closed itself after an error; the connection is over.
    void failed(const QString &reason);
};

} // namespace digitrace
