#pragma once

#include "app/window/port_choice.h"
#include "model/record_check.h"

#include <QObject>
#include <QTimer>

#include <memory>

namespace digitrace {

class FormatDetector;
class Reception;
class RecordMonitor;
class TracingSession;
class StatusFeature;
class TraceModel;
class WindowHost;

// The tablet's port: the port settings, the record monitor, and what the operator is told about a
// line that stays silent or stops fitting its tablet format, records that look wrong or that the
// format refuses, and a scale read unlike a person would.
class PortFeature : public QObject {
    Q_OBJECT
public:
    PortFeature(WindowHost &host, TracingSession &session, TraceModel &model,
                const StatusFeature &status);
    // The panel reads the status line's record rate: it goes first.
    ~PortFeature() override;

    // The tablet's port, line, unit and format to connect with (the settings kept, or what the
    // command line says for this run). While connected it applies from the next connect; the unit
    // from the next new job.
    void usePortChoice(const PortChoice &choice);
    const PortChoice &portChoice() const { return portChoice_; }
    // The chosen device and its line, e.g. "/dev/ttyUSB0  9600,E,7,1".
    QString portSummary() const;
    // The port settings dialog: an accepted choice is used and kept for the next start.
    void choosePort();
    // Asks before connecting when the scale rule reads the box unlike a person. False to cancel.
    bool confirmScale();
    // With no record this long after a connect, the operator is told once (10 s).
    void setSilenceInterval(int ms) { silence_.setInterval(ms); }
    RecordMonitor *recordMonitor() const { return monitor_; }
    // A new job: malformed records are worth telling again.
    void startJob() { toldMalformed_ = false; }
    // The record monitor of a job restored or opened: its records as they were received.
    void showRecordsOfJob();

signals:
    // A new port, line or unit was chosen: portSummary() has changed.
    void portChoiceChanged();

private:
    void applyPortChoice();
    void noteRecordArriving(const QString &record);
    void noteRecordTaken(RecordOutcome outcome);
    void noteRecordRefused(const QString &text, const QString &reason);
    void noteFormatMismatch(const QString &message);
    // Reads the line since the connect under every built-in format, to name the one it fits
    // when it does not fit the chosen one.
    void readLineAside(const QByteArray &bytes);
    void offerFormat(FormatKind kind);

    WindowHost &host_;
    TracingSession &session_;
    Reception &port_; // the tablet's line, read as its format
    TraceModel &model_;
    PortChoice portChoice_;
    // Chosen while connected: applied when the connection ends.
    bool portChoiceWaits_ = false;
    RecordMonitor *monitor_ = nullptr;
    QTimer silence_;
    bool toldMalformed_ = false;
    QString arriving_;
    TraceCounts countsBefore_;
    std::unique_ptr<FormatDetector> lineAside_;
    bool mismatchTold_ = false; // since the connect
    int takenSinceConnect_ = 0;
};

} // namespace digitrace
