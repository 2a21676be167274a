#include "acquisition/simulated_port.h"

#include <QBuffer>
#include <QFile>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace digitrace {
namespace {

// A UART hands over what its FIFO collected: a few characters at a time.
constexpr int kLargestChunk = 16;

std::unique_ptr<QIODevice> bufferHolding(QByteArray bytes) {
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(std::move(bytes));
    buffer->open(QIODevice::ReadOnly);
    return buffer;
}

} // namespace

SimulatedPort::SimulatedPort(QByteArray capture, QObject *parent)
    : SimulatedPort(bufferHolding(std::move(capture)), parent) {}

SimulatedPort::SimulatedPort(std::unique_ptr<QIODevice> source, QObject *parent)
    : MemoryPort(parent), source_(std::move(source)) {
    setPortName(QStringLiteral("demo"));
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &SimulatedPort::handOverChunk);
}

std::unique_ptr<QIODevice> SimulatedPort::openCapture(const QString &path, QString *error) {
    auto file = std::make_unique<QFile>(path);
#ifdef Q_OS_UNIX
    // Without O_NONBLOCK, opening a pipe would wait for a writer; a device then never stalls a
    // read either.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *error = qt_error_string(errno);
        return nullptr;
    }
    struct stat status {};
    const bool statted = ::fstat(fd, &status) == 0;
    const int statError = errno;
    QString refusal;
    if (!statted)
        refusal = qt_error_string(statError);
    else if (S_ISDIR(status.st_mode))
        refusal = QStringLiteral("it is a folder");
    else if (!S_ISREG(status.st_mode) && !S_ISCHR(status.st_mode) && !S_ISBLK(status.st_mode))
        refusal = QStringLiteral("it is a pipe or a socket; save the capture to a file first");
    if (!refusal.isEmpty() || !file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        if (refusal.isEmpty())
            refusal = file->errorString();
        ::close(fd);
        *error = refusal;
        return nullptr;
    }
#else
    if (!file->open(QIODevice::ReadOnly)) {
        *error = file->errorString();
        return nullptr;
    }
#endif
    return file;
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
    QString problem;
    if (!source_ || !source_->isReadable())
        problem = QStringLiteral("the capture is not open for reading");
    else if (!source_->isSequential() && !source_->seek(0))
        problem = source_->errorString();
    if (!problem.isEmpty()) {
        if (error)
            *error = problem;
        return false;
    }
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
    chunkSize_ = chunkSizes_.bounded(1, kLargestChunk + 1);
    const double dueMs =
        double(played_ + chunkSize_ - clockOrigin_) * 1000.0 / (kCharactersPerSecond * speed_);
    const double waitMs = std::ceil(dueMs) - double(clock_.elapsed());
    timer_.start(int(std::clamp(waitMs, 0.0, double(std::numeric_limits<int>::max()))));
}

void SimulatedPort::handOverChunk() {
    char chunk[kLargestChunk];
    const qint64 got = source_->read(chunk, std::min<qint64>(chunkSize_, kLargestChunk));
    if (got < 0) {
        breakDown(QStringLiteral("The capture could not be read: %1").arg(source_->errorString()));
        return;
    }
    played_ += got;
    if (got > 0)
        deliver(QByteArrayView(chunk, got));
    // The receiver may have closed, reopened or rescheduled the port meanwhile.
    if (!isOpen() || timer_.isActive())
        return;
    // A pipe or a device tells its end only by a read that returns nothing.
    if (got == 0 || (!source_->isSequential() && source_->atEnd()))
        emit playedAll();
    else
        scheduleNextChunk();
}

} // namespace digitrace
