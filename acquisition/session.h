#pragma once

#include "acquisition/record_framer.h"
#include "acquisition/serial_port.h"
#include "model/rgb.h"
#include "model/trace_model.h"

#include <QObject>
#include <QString>
#include <QStringList>

namespace digitrace {

// The window as a connection sees it. Implementations may run a nested event loop (a modal
// message box, say); the session stays consistent when they do.
class SessionView {
public:
    virtual ~SessionView() = default;
    virtual QString scaleText() const = 0;
    virtual void setScaleEnabled(bool enabled) = 0;
    virtual void setConnectEnabled(bool enabled) = 0;
    virtual void setDisconnectEnabled(bool enabled) = 0;
    // Sets the drawing area's background, which erases it.
    virtual void setDrawingBackground(Rgb colour) = 0;
    virtual void Redraw(Rgb background) = 0;
    // The port could not be opened, or was lost; the text names the device and the reason.
    virtual void showProblem(const QString &message) = 0;
    // The model refused a record: the table is full or a coordinate is beyond single precision.
    virtual void recordRefused(RecordOutcome outcome) = 0;
};

// A connection to the tablet: connect, the records as they arrive, disconnect. Reception is
// driven by the port's notifications on the window's thread, so an idle line costs nothing and
// the window's other handlers act on the live trace between notifications.
class Session : public QObject {
    Q_OBJECT
public:
    Session(TraceModel &model, SerialPort &port, SessionView &view, QObject *parent = nullptr);

    // Connect. False, with the window left disconnected and the operator told why, when the port
    // cannot be opened.
    bool Command1_Click();
    // Disconnect. A record received only in part is dropped.
    void Command2_Click();
    bool Connected() const { return connected_; }

    // While held, arriving bytes wait in the port, as they wait while a handler of the window
    // runs; the last release takes them. A dialog that runs its own event loop holds the session
    // so that no record slips in between the question and the action (Clear, Save).
    void hold() { ++holds_; }
    void release();

signals:
    // After the record was handed to the model, PtCount advanced and the trace redrawn.
    void recordTaken(digitrace::RecordOutcome outcome);
    // By Command2_Click or by the loss of the port.
    void connectionEnded();

private:
    void takeWaitingBytes();
    void take(const QString &record);
    void endAfterFailure(const QString &reason);

    TraceModel &model_;
    SerialPort &port_;
    SessionView &view_;
    RecordFramer framer_;
    // Framed but not yet taken: a view that runs a nested event loop can let more bytes in
    // while an earlier chunk's records are still being taken.
    QStringList pending_;
    bool taking_ = false;
    int holds_ = 0;
    bool connected_ = false;
};

} // namespace digitrace
