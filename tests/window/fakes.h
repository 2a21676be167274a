#pragma once

#include "acquisition/serial_port.h"
#include "display/window/window_dialogs.h"

#include <QStringList>

namespace digitrace::test {

// A port that opens (or not) on demand and hands over exactly the bytes a test gives it.
class FakePort : public SerialPort {
public:
    void setPortName(const QString &name) override { name_ = name; }
    QString portName() const override { return name_; }
    void setSettings(const LineSettings &) override {}
    bool open(QString *error) override {
        if (!openSucceeds) {
            if (error)
                *error = QStringLiteral("No such file or directory");
            return false;
        }
        open_ = true;
        return true;
    }
    void close() override {
        open_ = false;
        pending_.clear();
    }
    bool isOpen() const override { return open_; }
    qint64 bytesWaiting() const override { return pending_.size(); }
    QByteArray readAll() override { return std::exchange(pending_, {}); }

    void deliver(const QByteArray &bytes) {
        pending_ += bytes;
        emit dataArrived();
    }

    bool openSucceeds = true;

private:
    QString name_ = QStringLiteral("/dev/ttyS0");
    bool open_ = false;
    QByteArray pending_;
};

class FakeDialogs : public WindowDialogs {
public:
    QString chooseSaveFile(const QString &filter) override {
        filters << filter;
        return saveName;
    }
    bool confirm(const QString &text, const QString &title) override {
        confirmations << title + u'|' + text;
        return confirmAnswer;
    }
    void warn(const QString &text) override { warnings << text; }

    QString saveName;
    bool confirmAnswer = true;
    QStringList filters, confirmations, warnings;
};

} // namespace digitrace::test
