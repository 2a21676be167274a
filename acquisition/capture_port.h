#pragma once

#include "acquisition/serial_port.h"

#include <QByteArrayView>
#include <QIODevice>

namespace digitrace {

// A tablet played from recorded bytes as fast as they can be read, so that a capture can be
// replayed headlessly through the same session as a live connection. The source is read in
// pieces: a capture may be larger than the memory, or come down a pipe.
class CapturePort : public SerialPort {
    Q_OBJECT
public:
    static constexpr qint64 kChunkSize = 4096;

    // `source` must outlive the port; reads block until data or the end (a file, pipe or buffer).
    explicit CapturePort(QIODevice &source, QObject *parent = nullptr);

    void setPortName(const QString &name) override { name_ = name; }
    QString portName() const override { return name_; }
    // The capture holds characters already framed: line settings change nothing.
    void setSettings(const LineSettings &) override {}
    // Fails when the source is not open for reading.
    bool open(QString *error) override;
    void close() override;
    bool isOpen() const override { return open_; }
    qint64 bytesWaiting() const override { return open_ ? waiting_.size() : 0; }
    QByteArray readAll() override;

    // Hands over the rest of the source, announcing each piece as it is read, until the source
    // ends or the port is closed. False when the source could not be read to its end;
    // errorString() then says why, and what came before has been handed over.
    bool playAll();
    QString errorString() const { return error_; }
    qint64 bytesPlayed() const { return played_; }
    // Characters after the last carriage return (a line feed straight after it aside): the part
    // of a record that the capture ends inside of, which no session takes.
    qint64 unfinishedRecordLength() const { return unfinished_; }

private:
    void noteLineEnds(QByteArrayView chunk);

    QIODevice &source_;
    QByteArray waiting_;
    QString name_;
    QString error_;
    qint64 played_ = 0;
    qint64 unfinished_ = 0;
    bool afterCarriageReturn_ = false;
    bool open_ = false;
};

} // namespace digitrace
