#include "acquisition/simulated_port.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace digitrace {
namespace {

// A UART hands over what its FIFO collected: a few characters at a time.
constexpr int kLargestChunk = 16;

} // namespace

SimulatedPort::SimulatedPort(QByteArray capture, QObject *parent)
    : MemoryPort(parent), capture_(std::move(capture)) {
    setPortName(QStringLiteral("demo"));
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &SimulatedPort::handOverChunk);
}

QByteArray SimulatedPort::bundledSample() {
    QFile file(QStringLiteral(":/digitrace/sample/map_sheet.cap"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void SimulatedPort::setSpeedFactor(double factor) {
    if (!(factor > 0) || !std::isfinite(factor))
        return;
    speed_ = factor;
    clockOrigin_ = played_;
    clock_.start();
    if (timer_.isActive())
        scheduleNextChunk();
}

bool SimulatedPort::open(QString *error) {
    if (!MemoryPort::open(error))
        return false;
    played_ = 0;
    clockOrigin_ = 0;
    clock_.start();
    scheduleNextChunk();
    return true;
}

void SimulatedPort::close() {
    timer_.stop();
    MemoryPort::close();
}

void SimulatedPort::scheduleNextChunk() {
    chunkEnd_ = std::min(played_ + chunkSizes_.bounded(1, kLargestChunk + 1), capture_.size());
    const double dueMs =
        double(chunkEnd_ - clockOrigin_) * 1000.0 / (kCharactersPerSecond * speed_);
    const double waitMs = std::ceil(dueMs) - double(clock_.elapsed());
    timer_.start(int(std::clamp(waitMs, 0.0, double(std::numeric_limits<int>::max()))));
}

void SimulatedPort::handOverChunk() {
    const QByteArray chunk = capture_.sliced(played_, chunkEnd_ - played_);
    played_ = chunkEnd_;
    if (!chunk.isEmpty())
        deliver(chunk);
    // The receiver may have closed, reopened or rescheduled the port meanwhile.
    if (!isOpen() || timer_.isActive())
        return;
    if (played_ < capture_.size())
        scheduleNextChunk();
    else
        emit playedAll();
}

} // namespace digitrace
