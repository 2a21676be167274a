#include "acquisition/session.h"

#include "model/numeric_value.h"

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

Session::Session(TraceModel &model, SerialPort &port, SessionView &view, QObject *parent)
    : QObject(parent), model_(model), port_(port), view_(view) {
    connect(&port_, &SerialPort::dataArrived, this, &Session::takeWaitingBytes);
    connect(&port_, &SerialPort::failed, this, &Session::endAfterFailure);
    nextSlice_.setSingleShot(true);
    nextSlice_.setInterval(0);
    connect(&nextSlice_, &QTimer::timeout, this, &Session::takeSlice);
}

bool Session::connectTablet(bool newJob) {
    if (connected_)
        return true;
    port_.setSettings(lineSettings_);
    QString reason;
    if (!port_.open(&reason)) {
        view_.showProblem(
            tr("シリアルポート %1 を開けませんでした。\n%2").arg(port_.portName(), reason));
        return false;
    }
    if (newJob)
        model_.ResetTrace();
    framer_.clear();
    pending_.clear();
    untoldDrops_ = 0;
    // Includes the rule that a scale of 0.1 or less counts as 1.
    model_.setScaleDenom(scaleDenomFromText(view_.scaleText()));
    view_.setScaleEnabled(false);
    connected_ = true;
    view_.setConnectEnabled(false);
    view_.setDisconnectEnabled(true);
    view_.setDrawingBackground(kConnectedBackground);
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
    view_.setConnectEnabled(true);
    view_.setDisconnectEnabled(false);
    view_.setDrawingBackground(kDisconnectedBackground);
    view_.Redraw(kDisconnectedBackground);
    view_.setScaleEnabled(true);
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
    const RecordOutcome outcome = model_.takeRecord(record);
    view_.Redraw(kConnectedBackground);
    if (isRefused(outcome))
        view_.recordRefused(outcome);
    emit recordTaken(outcome);
}

// Once the backlog that overflowed is taken, or at the end of the connection: one notice for the
// whole run of drops rather than one per chunk.
void Session::tellDrops() {
    const qint64 dropped = std::exchange(untoldDrops_, 0);
    view_.showProblem(tr("受信した記録が多すぎて取り込みが追いつかず、%1 件の記録を"
                         "捨てました。\n取り込みを待てる記録は %2 件までです。")
                          .arg(dropped)
                          .arg(kQueueLimit));
}

void Session::endAfterFailure(const QString &reason) {
    if (!connected_)
        return;
    const QString device = port_.portName();
    disconnectTablet();
    view_.showProblem(
        tr("シリアルポート %1 との接続が切れました。\n%2\n受信した記録はそのまま残っています。")
            .arg(device, reason));
}

} // namespace digitrace
