#pragma once

#include "acquisition/formats/record_decoder.h"
#include "acquisition/serial_port.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

namespace digitrace {

// Reception from the tablet's line: the port opened and closed, its bytes read as the chosen
// tablet format, and the records handed on in order. It is driven by the port's notifications
// on the window's thread, so an idle line costs nothing and the window's other handlers act
// between notifications. A backlog is handed on a slice at a time, returning to the event loop in
// between, so that the window keeps answering. What a record means is not its business.
class Reception : public QObject {
    Q_OBJECT
public:
    // Good reports in a row after which a format that stopped fitting is told again.
    static constexpr int kReportsToRecover = 20;

    using RecordSink = std::function<void(const TabletRecord &record)>;

    // `line` must outlive this object. At most `queueLimit` records wait to be handed on.
    Reception(SerialPort &line, qsizetype queueLimit, QObject *parent = nullptr);

    // Where each record goes, in order.
    void setSink(RecordSink sink) { sink_ = std::move(sink); }

    // Opens the line with the line settings and starts reading it as the format; false, with
    // problem() told why, when it cannot be opened.
    bool open();
    // Closes the line. A record received only in part is dropped.
    void close();
    bool isOpen() const { return open_; }

    // From the next byte on; what was received in part is forgotten.
    void setFormat(const TabletFormat &format);
    const TabletFormat &format() const { return decoder_.format(); }
    // The line settings the next open uses.
    void setLineSettings(const LineSettings &settings) { lineSettings_ = settings; }
    const LineSettings &lineSettings() const { return lineSettings_; }
    // The line itself, for whoever listens to it while reception is closed.
    SerialPort &line() { return line_; }
    qint64 refusedRecords() const { return refused_; }
    qint64 unmappedButtons() const { return decoder_.unmappedButtons(); }
    qint64 skippedBytes() const { return decoder_.skippedBytes(); }
    // A line or report received in part, which the end of the input would cut.
    qsizetype pendingBytes() const { return decoder_.pendingBytes(); }

    // Records read but not yet handed on: held by a dialog, or behind in a backlog.
    bool hasWaitingRecords() const { return !pending_.isEmpty(); }
    // While held, arriving bytes are still read, but the records wait, as they wait while a
    // handler of the window runs; the last release hands them on. A dialog that runs its own event
    // loop holds reception so that no record slips in between the question and the action.
    // Records beyond the queue's limit are dropped, and the operator is told.
    void hold() { ++holds_; }
    void release();
    // Hands every waiting record on now, without returning to the event loop: for a run without a
    // window, which hands over its next bytes only when the last ones are taken.
    void takeBacklog();
    // While diverted, each record goes to recordDiverted instead of the sink.
    void setDiverted(bool diverted) { diverted_ = diverted; }

signals:
    // Once the line is open.
    void opened();
    // By close() or by the loss of the line.
    void closed();
    // The line could not be opened or was lost, or records were dropped behind a backlog: the
    // text names the device and the reason, for the operator.
    void problem(const QString &message);
    // A record handed on while diverted.
    void recordDiverted(const QString &record);
    // The latest cursor position of a read, in tablet counts.
    void positionReported(qint64 x, qint64 y, bool inProximity);
    // Bytes that did not become a record, as received, and why.
    void recordRefused(const QString &text, const QString &reason);
    // The line no longer fits the format; told once until it fits again for a while.
    void formatMismatch(const QString &message);
    // The line's bytes as received, before they are read as the format.
    void lineBytesArrived(const QByteArray &bytes);

private:
    void readLine();
    void noteFit(const DecodedRecords &decoded);
    void queue(QList<TabletRecord> records);
    void takeSlice();
    void handOn(const TabletRecord &record);
    void tellDrops();
    void endAfterFailure(const QString &reason);

    SerialPort &line_;
    RecordDecoder decoder_;
    qsizetype queueLimit_;
    RecordSink sink_;
    LineSettings lineSettings_;
    // Read but not yet handed on: held, behind in a backlog, or read by a nested event loop of a
    // listener while an earlier record is being taken.
    QList<TabletRecord> pending_;
    // Hands on the next slice of a backlog once the event loop has had its turn.
    QTimer nextSlice_;
    qint64 untoldDrops_ = 0;
    qint64 refused_ = 0;
    int goodInRow_ = 0;
    int holds_ = 0;
    bool mismatchTold_ = false;
    bool taking_ = false;
    bool open_ = false;
    bool diverted_ = false;
};

} // namespace digitrace
