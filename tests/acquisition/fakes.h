#pragma once

#include "acquisition/memory_port.h"
#include "acquisition/session.h"
#include "model/trace_display.h"

#include <QSignalSpy>
#include <QStringList>

#include <functional>
#include <utility>

namespace digitrace::test {

// Waits for `spy` to reach `count`, giving up when nothing arrives for five seconds.
inline bool waitForCount(QSignalSpy &spy, qsizetype count) {
    while (spy.count() < count)
        if (!spy.wait(5000))
            return false;
    return true;
}

inline QString rgbText(Rgb c) {
    return QStringLiteral("%1,%2,%3").arg(c.r).arg(c.g).arg(c.b);
}

// A port that hands over exactly the chunks a test gives it, and logs what is done to it.
class FakePort : public MemoryPort {
public:
    explicit FakePort(QStringList &log) : log_(log) { setPortName(QStringLiteral("/dev/ttyS0")); }

    void setSettings(const LineSettings &s) override {
        log_ << "settings " + s.toText();
        MemoryPort::setSettings(s);
    }
    bool open(QString *error) override {
        log_ << QStringLiteral("open");
        return MemoryPort::open(error);
    }
    void close() override {
        log_ << QStringLiteral("close");
        MemoryPort::close();
    }
    // One read's worth of bytes. Announced even when closed, to show the session ignores it.
    void deliver(QByteArrayView bytes) {
        if (isOpen())
            MemoryPort::deliver(bytes);
        else
            emit dataArrived();
    }

private:
    QStringList &log_;
};

// The window: logs each call, with PtCount at the time of a redraw.
class FakeView : public SessionView {
public:
    FakeView(QStringList &log, const TraceModel &model) : log_(log), model_(model) {}

    QString scaleText() const override { return scale; }
    void setScaleEnabled(bool on) override { log_ << QStringLiteral("scale %1").arg(on); }
    void setConnectEnabled(bool on) override { log_ << QStringLiteral("connect %1").arg(on); }
    void setDisconnectEnabled(bool on) override { log_ << QStringLiteral("disconnect %1").arg(on); }
    void setDrawingBackground(Rgb c) override { log_ << "background " + rgbText(c); }
    void Redraw(Rgb c) override {
        log_ << QStringLiteral("Redraw %1 @%2").arg(rgbText(c)).arg(model_.store().PtCount);
        if (onRedraw)
            onRedraw();
    }
    void showProblem(const QString &message) override { log_ << "problem " + message; }
    void recordRefused(RecordOutcome o) override {
        log_ << QStringLiteral("refused %1").arg(int(o));
    }

    QString scale = QStringLiteral("1000");
    // Runs inside Redraw, as a window's nested event loop would.
    std::function<void()> onRedraw;

private:
    QStringList &log_;
    const TraceModel &model_;
};

// ResetTrace's erasing of the drawing area, in the same log.
class LoggingDisplay : public TraceDisplay {
public:
    explicit LoggingDisplay(QStringList &log) : log_(log) {}
    void showText(DisplayField, const QString &) override {}
    void clearDrawingArea() override { log_ << QStringLiteral("reset"); }

private:
    QStringList &log_;
};

} // namespace digitrace::test
