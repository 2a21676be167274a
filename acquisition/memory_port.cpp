#include "acquisition/memory_port.h"

#include <utility>

namespace digitrace {

bool MemoryPort::open(QString *error) {
    if (!openError_.isEmpty()) {
        if (error)
            *error = openError_;
        return false;
    }
    open_ = true;
    waiting_.clear();
    return true;
}

void MemoryPort::close() {
    open_ = false;
    waiting_.clear();
}

QByteArray MemoryPort::readAll() {
    return std::exchange(waiting_, {});
}

void MemoryPort::deliver(QByteArrayView bytes) {
    if (!open_)
        return;
    waiting_ += bytes;
    emit dataArrived();
}

void MemoryPort::breakDown(const QString &reason) {
    open_ = false;
    waiting_.clear();
    emit failed(reason);
}

} // namespace digitrace
