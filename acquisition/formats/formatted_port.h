#pragma once

#include "acquisition/formats/record_decoder.h"
#include "acquisition/serial_port.h"

namespace digitrace {

// A tablet line read through a tablet format: the reader receives the designed records, as if
// the tablet sent them, and hears of cursor positions and of what did not fit beside them.
class FormattedPort : public SerialPort {
    Q_OBJECT
public:
    // Good reports in a row after which a format that stopped fitting is told again.
    static constexpr int kReportsToRecover = 20;

    // `line` must outlive this port.
    FormattedPort(SerialPort &line, const TabletFormat &format, QObject *parent = nullptr);

    // From the next byte on; what was received in part is forgotten.
    void setFormat(const TabletFormat &format);
    const TabletFormat &format() const { return decoder_.format(); }
    // The line itself, for whoever listens to it while this port is closed.
    SerialPort &line() { return line_; }
    qint64 refusedRecords() const { return refused_; }
    qint64 unmappedButtons() const { return decoder_.unmappedButtons(); }
    qint64 skippedBytes() const { return decoder_.skippedBytes(); }
    // A line or report received in part, which the end of the input would cut.
    qsizetype pendingBytes() const { return decoder_.pendingBytes(); }

    void setPortName(const QString &name) override { line_.setPortName(name); }
    QString portName() const override { return line_.portName(); }
    void setSettings(const LineSettings &settings) override { line_.setSettings(settings); }
    bool open(QString *error) override;
    void close() override;
    bool isOpen() const override { return reading_ && line_.isOpen(); }
    qint64 bytesWaiting() const override { return isOpen() ? records_.size() : 0; }
    QByteArray readAll() override;

signals:
    // The latest cursor position of a read, in tablet counts.
    void positionReported(qint64 x, qint64 y, bool inProximity);
    // Bytes that did not become a record, as received, and why.
    void recordRefused(const QString &text, const QString &reason);
    // The line no longer fits the format; told once until it fits again for a while.
    void formatMismatch(const QString &message);
    // The line's bytes as received, before they are read as the format.
    void lineBytesArrived(const QByteArray &bytes);

private:
    void decodeWaiting();

    SerialPort &line_;
    RecordDecoder decoder_;
    QByteArray records_;
    qint64 refused_ = 0;
    int goodInRow_ = 0;
    bool mismatchTold_ = false;
    bool reading_ = false; // opened through this port, so its bytes are decoded here
};

} // namespace digitrace
