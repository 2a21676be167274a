#pragma once

#include "acquisition/record_framer.h"
#include "acquisition/serial_port.h"
#include "model/rgb.h"
#include "model/trace_model.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>

namespace digitrace {

// Where a connection's changes go: straight into the trace model, or through a job that journals
// each change first. Either may run a nested event loop (a modal message box, say); the session
// stays consistent when it does.
struct RecordIntake {
    // Once the port is open: a new job (the trace to be reset) or the one in the table continued,
    // at the scale 1:scaleDenom.
    std::function<void(bool newJob, float scaleDenom)> start;
    std::function<RecordOutcome(const QString &record)> take;
};

// The trace model itself, for a connection that keeps no journal.
RecordIntake modelIntake(TraceModel &model);

// A connection to the tablet: connect, the records as they arrive, disconnect. Reception is
// driven by the port's notifications on the window's thread, so an idle line costs nothing and
// the window's other handlers act on the live trace between notifications. A backlog is taken a
// slice at a time, returning to the event loop in between, so that the window keeps answering.
class Session : public QObject {
    Q_OBJECT
public:
    // Records read but not yet taken, at most: one more than the table holds, so that even after
    // a Clear no record that could still enter the table is dropped, and the one beyond it still
    // brings the notice that the table is full.
    static constexpr qsizetype kQueueLimit = kSlotCount + 1;

    Session(SerialPort &port, RecordIntake intake, QObject *parent = nullptr);

    // Connect at the scale 1:scaleDenom: a new job (the trace reset once the port is open) or,
    // with newJob false, the records going on after those in the table. False, with the session
    // left disconnected, the trace untouched and problem() told why, when the port cannot be
    // opened.
    bool connectTablet(float scaleDenom, bool newJob = true);
    // Disconnect. A record received only in part is dropped.
    void disconnectTablet();
    bool isConnected() const { return connected_; }
    // Records framed but not yet taken: held by a dialog, or behind in a backlog.
    bool hasWaitingRecords() const { return !pending_.isEmpty(); }
    // The line settings the next connect opens the port with.
    void setLineSettings(const LineSettings &settings) { lineSettings_ = settings; }
    const LineSettings &lineSettings() const { return lineSettings_; }

    // While held, arriving bytes are still read and framed, but the records wait, as they wait
    // while a handler of the window runs; the last release takes them. A dialog that runs its own
    // event loop holds the session so that no record slips in between the question and the
    // action (Clear, Save). Records beyond kQueueLimit are dropped, and the operator is told.
    void hold() { ++holds_; }
    void release();

    // Takes every waiting record now, without returning to the event loop: for a run without a
    // window, which hands over its next bytes only when the last ones are taken.
    void takeBacklog();

    // While diverted, each record is handed to recordDiverted instead of the trace: it is neither
    // taken by the model nor drawn, and recordArriving does not see it.
    void setDiverted(bool diverted) { diverted_ = diverted; }

signals:
    // Once the port is open and the intake has started the job.
    void connected(bool newJob);
    // A record as framed, before it is handed to the model: the moment to journal it.
    void recordArriving(const QString &record);
    // After the intake took the record; a refused one too, with why it was refused.
    void recordTaken(digitrace::RecordOutcome outcome);
    // By disconnectTablet() or by the loss of the port.
    void connectionEnded();
    // The port could not be opened or was lost, or records were dropped behind a backlog: the
    // text names the device and the reason, for the operator.
    void problem(const QString &message);
    // A record taken while diverted, as framed.
    void recordDiverted(const QString &record);

private:
    void takeWaitingBytes();
    void queue(QStringList records);
    void takeSlice();
    void take(const QString &record);
    void tellDrops();
    void endAfterFailure(const QString &reason);

    SerialPort &port_;
    RecordIntake intake_;
    RecordFramer framer_;
    // Framed but not yet taken: held, behind in a backlog, or read by a nested event loop of a
    // listener while an earlier record is being taken.
    QStringList pending_;
    // Takes the next slice of a backlog once the event loop has had its turn.
    QTimer nextSlice_;
    qint64 untoldDrops_ = 0;
    bool taking_ = false;
    int holds_ = 0;
    bool connected_ = false;
    bool diverted_ = false;
    LineSettings lineSettings_;
};

} // namespace digitrace
