#include "acquisition/session.h"

#include <QElapsedTimer>
#include <QScopedValueRollback>

#include <chrono>
#include <utility>

#ifdef Q_OS_UNIX
#include <time.h>
#endif

namespace digitrace {
namespace {

using std::chrono::nanoseconds;

// A slice ends after this many records or this much work, whichever comes first, well inside a
// frame: a click waiting behind a backlog acts at once.
constexpr int kSliceRecords = 256;
constexpr nanoseconds kSliceWork = std::chrono::milliseconds(8);

nanoseconds threadCpuTime() {
#ifdef Q_OS_UNIX
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return std::chrono::seconds(t.tv_sec) + nanoseconds(t.tv_nsec);
#else
    return std::chrono::steady_clock::now().time_since_epoch();
#endif
}

// Work is counted as CPU time of this thread, so that neither a busy machine nor a modal box
// that a record brings up cuts a slice short. That clock is slow to read, so the wall clock,
// which never falls behind it, is asked first.
class SliceWork {
public:
    SliceWork() : cpuStart_(threadCpuTime()) { wall_.start(); }
    bool done() const {
        return wall_.nsecsElapsed() >= kSliceWork.count() &&
               threadCpuTime() - cpuStart_ >= kSliceWork;
    }

private:
    QElapsedTimer wall_;
    nanoseconds cpuStart_;
};

} // namespace

RecordIntake modelIntake(TraceModel &model) {
    return {[&model](bool newJob, float scaleDenom) {
                if (newJob)
                    model.ResetTrace();
                model.setScaleDenom(scaleDenom);
            },
            [&model](const QString &record) { return model.takeRecord(record); }};
}

Session::Session(SerialPort &port, RecordIntake intake, QObject *parent)
    : QObject(parent), port_(port), intake_(std::move(intake)) {
    connect(&port_, &SerialPort::dataArrived, this, &Session::takeWaitingBytes);
    connect(&port_, &SerialPort::failed, this, &Session::endAfterFailure);
    nextSlice_.setSingleShot(true);
    nextSlice_.setInterval(0);
    connect(&nextSlice_, &QTimer::timeout, this, &Session::takeSlice);
}

bool Session::connectTablet(float scaleDenom, bool newJob) {
    if (connected_)
        return true;
    port_.setSettings(lineSettings_);
    QString reason;
    if (!port_.open(&reason)) {
        emit problem(
            tr("シリアルポート %1 を開けませんでした。\n%2").arg(port_.portName(), reason));
        return false;
    }
    framer_.clear();
    pending_.clear();
    untoldDrops_ = 0;
    intake_.start(newJob, scaleDenom);
    connected_ = true;
    emit connected(newJob);
    return true;
}

void Session::disconnectTablet() {
    if (!connected_)
        return;
    port_.close();
    connected_ = false;
    framer_.clear();
    pending_.clear();
    nextSlice_.stop();
    emit connectionEnded();
    if (untoldDrops_ > 0)
        tellDrops();
}

void Session::release() {
    if (holds_ > 0 && --holds_ == 0)
        takeSlice();
}

void Session::takeBacklog() {
    while (connected_ && holds_ == 0 && !taking_ && !pending_.isEmpty())
        takeSlice();
}

void Session::takeWaitingBytes() {
    if (!connected_)
        return;
    // Read even while held: bytes left in the port would pile up there without bound.
    queue(framer_.feed(port_.readAll()));
    takeSlice();
}

void Session::queue(QStringList records) {
    const qsizetype room = kQueueLimit - pending_.size();
    if (records.size() > room) {
        untoldDrops_ += records.size() - room;
        records.resize(room);
    }
    pending_.append(std::move(records));
}

void Session::takeSlice() {
    // An outer call, interrupted by the view's nested event loop, goes on in order.
    if (!connected_ || holds_ > 0 || taking_)
        return;
    {
        const QScopedValueRollback busy(taking_, true);
        const SliceWork work;
        for (int taken = 0; taken < kSliceRecords && !work.done(); ++taken) {
            if (!connected_ || holds_ > 0 || pending_.isEmpty())
                break;
            take(pending_.takeFirst());
        }
        if (connected_ && holds_ == 0 && pending_.isEmpty() && untoldDrops_ > 0)
            tellDrops();
    }
    if (connected_ && holds_ == 0 && !pending_.isEmpty())
        nextSlice_.start();
}

void Session::take(const QString &record) {
    if (diverted_) {
        emit recordDiverted(record);
        return;
    }
    emit recordArriving(record);
    emit recordTaken(intake_.take(record));
}

// Once the backlog that overflowed is taken, or at the end of the connection: one notice for the
// whole run of drops rather than one per chunk.
void Session::tellDrops() {
    const qint64 dropped = std::exchange(untoldDrops_, 0);
    emit problem(tr("受信した記録が多すぎて取り込みが追いつかず、%1 件の記録を"
                    "捨てました。\n取り込みを待てる記録は %2 件までです。")
                     .arg(dropped)
                     .arg(kQueueLimit));
}

void Session::endAfterFailure(const QString &reason) {
    if (!connected_)
        return;
    const QString device = port_.portName();
    disconnectTablet();
    emit problem(
        tr("シリアルポート %1 との接続が切れました。\n%2\n受信した記録はそのまま残っています。")
            .arg(device, reason));
}

} // namespace digitrace
