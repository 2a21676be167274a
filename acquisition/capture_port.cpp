#include "acquisition/capture_port.h"

namespace digitrace {

CapturePort::CapturePort(QIODevice &source, QObject *parent)
    : MemoryPort(parent), source_(source) {}

bool CapturePort::open(QString *error) {
    if (!source_.isReadable()) {
        if (error)
            *error = QStringLiteral("the capture is not open for reading");
        return false;
    }
    return MemoryPort::open(error);
}

bool CapturePort::playAll() {
    while (isOpen() && playSome(kChunkSize)) {
    }
    return error_.isEmpty();
}

bool CapturePort::playSome(qint64 bytes) {
    QByteArray chunk(bytes, Qt::Uninitialized);
    const qint64 got = source_.read(chunk.data(), bytes);
    if (got < 0)
        error_ = source_.errorString();
    if (got <= 0)
        return false;
    played_ += got;
    noteLineEnds(QByteArrayView(chunk.constData(), got));
    deliver(QByteArrayView(chunk.constData(), got));
    return true;
}

void CapturePort::noteLineEnds(QByteArrayView chunk) {
    for (const char byte : chunk) {
        if (byte == '\r')
            unfinished_ = 0;
        else if (!(afterCarriageReturn_ && byte == '\n'))
            ++unfinished_;
        afterCarriageReturn_ = byte == '\r';
    }
}

} // namespace digitrace
