#pragma once

#include "acquisition/memory_port.h"

#include <QByteArrayView>
#include <QIODevice>

namespace digitrace {

// A tablet played from recorded bytes as fast as they can be read, so that a capture can be
// replayed headlessly through the same session as a live connection. The source is read in
// pieces: a capture may be larger than the memory, or come down a pipe.
class CapturePort : public MemoryPort {
    Q_OBJECT
public:
    static constexpr qint64 kChunkSize = 4096;

    // `source` must outlive the port; reads block until data or the end (a file, pipe or buffer).
    explicit CapturePort(QIODevice &source, QObject *parent = nullptr);

    // Fails when the source is not open for reading.
    bool open(QString *error) override;

    // Hands over the rest of the source, announcing each piece as it is read, until the source
    // ends or the port is closed. False when the source could not be read to its end;
    // errorString() then says why, and what came before has been handed over.
    bool playAll();
    // Hands over at most `bytes` more of the source as one piece, so that a caller can pace
    // them; false once the source has ended or could not be read (errorString() says why).
    bool playSome(qint64 bytes);
    QString errorString() const { return error_; }
    qint64 bytesPlayed() const { return played_; }
    // Characters after the last carriage return (a line feed straight after it aside): the part
    // of a record that the capture ends inside of, which no session takes.
    qint64 unfinishedRecordLength() const { return unfinished_; }

private:
    void noteLineEnds(QByteArrayView chunk);

    QIODevice &source_;
    QString error_;
    qint64 played_ = 0;
    qint64 unfinished_ = 0;
    bool afterCarriageReturn_ = false;
};

} // namespace digitrace
