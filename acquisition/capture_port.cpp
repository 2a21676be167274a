#include "acquisition/capture_port.h"

#include <utility>

namespace digitrace {

CapturePort::CapturePort(QIODevice &source, QObject *parent)
    : SerialPort(parent), source_(source) {}

bool CapturePort::open(QString *error) {
    if (!source_.isReadable()) {
        if (error)
            *error = QStringLiteral("the capture is not open for reading");
        return false;
    }
    open_ = true;
    waiting_.clear();
    return true;
}

void CapturePort::close() {
    open_ = false;
    waiting_.clear();
}

QByteArray CapturePort::readAll() {
    return std::exchange(waiting_, {});
}

bool CapturePort::playAll() {
    QByteArray chunk(kChunkSize, Qt::Uninitialized);
    while (open_) {
        const qint64 got = source_.read(chunk.data(), kChunkSize);
        if (got < 0) {
            error_ = source_.errorString();
            return false;
        }
        if (got == 0)
            return true;
        played_ += got;
        noteLineEnds(QByteArrayView(chunk.constData(), got));
        waiting_.append(chunk.constData(), got);
        emit dataArrived();
    }
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
