#pragma once

#include "acquisition/memory_port.h"
#include "model/rgb.h"
#include "model/trace_display.h"
#include "tracing/tracing_session.h"

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

// A window listening to the session: logs what it is told, with PtCount where a window redraws.
class FakeView {
public:
    FakeView(QStringList &log, const TraceModel &model, TracingSession &session) : log_(log) {
        QObject::connect(&session, &TracingSession::connected, &session, [this](bool newJob) {
            log_ << QStringLiteral("connected %1").arg(newJob);
        });
        QObject::connect(&session, &TracingSession::connectionEnded, &session, [this, &model] {
            log_ << QStringLiteral("ended @%1").arg(model.store().PtCount);
        });
        QObject::connect(&session, &TracingSession::recordTaken, &session,
                         [this, &model](RecordOutcome o) {
                             log_ << QStringLiteral("taken @%1").arg(model.store().PtCount);
                             if (onRedraw)
                                 onRedraw();
                             if (isRefused(o))
                                 log_ << QStringLiteral("refused %1").arg(int(o));
                         });
        QObject::connect(&session.reception(), &Reception::problem, &session,
                         [this](const QString &message) { log_ << "problem " + message; });
    }

    // Runs as a record is reported, as a window's nested event loop would.
    std::function<void()> onRedraw;

private:
    QStringList &log_;
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
