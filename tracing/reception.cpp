#include "tracing/reception.h"

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

Reception::Reception(SerialPort &line, qsizetype queueLimit, QObject *parent)
    : QObject(parent), line_(line), decoder_(TabletFormat()), queueLimit_(queueLimit) {
    connect(&line_, &SerialPort::dataArrived, this, &Reception::readLine);
    connect(&line_, &SerialPort::failed, this, &Reception::endAfterFailure);
    nextSlice_.setSingleShot(true);
    nextSlice_.setInterval(0);
    connect(&nextSlice_, &QTimer::timeout, this, &Reception::takeSlice);
}

void Reception::setFormat(const TabletFormat &format) {
    decoder_ = RecordDecoder(format);
    mismatchTold_ = false;
    goodInRow_ = 0;
}

bool Reception::open() {
    if (open_)
        return true;
    line_.setSettings(lineSettings_);
    decoder_.clear();
    mismatchTold_ = false;
    goodInRow_ = 0;
    QString reason;
    if (!line_.open(&reason)) {
        emit problem(
            tr("シリアルポート %1 を開けませんでした。\n%2").arg(line_.portName(), reason));
        return false;
    }
    pending_.clear();
    untoldDrops_ = 0;
    open_ = true;
    emit opened();
    return true;
}

void Reception::close() {
    if (!open_)
        return;
    line_.close();
    open_ = false;
    decoder_.clear();
    pending_.clear();
    nextSlice_.stop();
    emit closed();
    if (untoldDrops_ > 0)
        tellDrops();
}

void Reception::release() {
    if (holds_ > 0 && --holds_ == 0)
        takeSlice();
}

void Reception::takeBacklog() {
    while (open_ && holds_ == 0 && !taking_ && !pending_.isEmpty())
        takeSlice();
}

void Reception::readLine() {
    // The line may be opened by someone else meanwhile (detection listening to it): its bytes are
    // theirs.
    if (!open_)
        return;
    // Read even while held: bytes left in the port would pile up there without bound.
    const QByteArray bytes = line_.readAll();
    emit lineBytesArrived(bytes);
    DecodedRecords decoded = decoder_.feed(bytes);
    refused_ += decoded.refused.size();
    // Records and refusals in the order they came: the records before a refusal go first.
    qsizetype handed = 0;
    const auto handOnUpTo = [&](qsizetype upTo) {
        if (upTo <= handed)
            return;
        queue(decoded.records.mid(handed, upTo - handed));
        handed = upTo;
        takeSlice();
    };
    for (const RefusedRecord &r : std::as_const(decoded.refused)) {
        handOnUpTo(r.recordsBefore);
        emit recordRefused(r.text, r.reason);
    }
    noteFit(decoded);
    if (!decoded.positions.isEmpty()) {
        const TabletPosition &last = decoded.positions.back();
        emit positionReported(last.x, last.y, last.inProximity);
    }
    handOnUpTo(decoded.records.size());
}

void Reception::noteFit(const DecodedRecords &decoded) {
    if (decoded.mismatches > 0) {
        goodInRow_ = 0;
        if (mismatchTold_)
            return;
        mismatchTold_ = true;
        emit formatMismatch(
            decoded.parityMismatches > 0
                ? tr("タブレットから届く行は 8 ビット目を除けば形式 %1 に合います。回線は"
                     "おそらく 7 データビット・パリティ付き (7E1 など) です。通信設定を"
                     "合わせてください。")
                      .arg(decoder_.format().name())
                : tr("タブレットから届くデータが形式 %1 に合いません。通信速度・フレーミング・"
                     "ケーブル・形式の設定を確かめてください。")
                      .arg(decoder_.format().name()));
    } else if (mismatchTold_) {
        goodInRow_ += int(decoded.positions.size() + decoded.records.size());
        if (goodInRow_ >= kReportsToRecover)
            mismatchTold_ = false;
    }
}

void Reception::queue(QList<TabletRecord> records) {
    const qsizetype room = queueLimit_ - pending_.size();
    if (records.size() > room) {
        untoldDrops_ += records.size() - room;
        records.resize(room);
    }
    pending_.append(std::move(records));
}

void Reception::takeSlice() {
    // An outer call, interrupted by a listener's nested event loop, goes on in order.
    if (!open_ || holds_ > 0 || taking_)
        return;
    {
        const QScopedValueRollback busy(taking_, true);
        const SliceWork work;
        for (int taken = 0; taken < kSliceRecords && !work.done(); ++taken) {
            if (!open_ || holds_ > 0 || pending_.isEmpty())
                break;
            handOn(pending_.takeFirst());
        }
        if (open_ && holds_ == 0 && pending_.isEmpty() && untoldDrops_ > 0)
            tellDrops();
    }
    if (open_ && holds_ == 0 && !pending_.isEmpty())
        nextSlice_.start();
}

void Reception::handOn(const TabletRecord &record) {
    if (diverted_)
        emit recordDiverted(record.text);
    else if (sink_)
        sink_(record);
}

// Once the backlog that overflowed is taken, or at the end of the connection: one notice for the
// whole run of drops rather than one per chunk.
void Reception::tellDrops() {
    const qint64 dropped = std::exchange(untoldDrops_, 0);
    emit problem(tr("受信した記録が多すぎて取り込みが追いつかず、%1 件の記録を"
                    "捨てました。\n取り込みを待てる記録は %2 件までです。")
                     .arg(dropped)
                     .arg(queueLimit_));
}

void Reception::endAfterFailure(const QString &reason) {
    if (!open_)
        return;
    const QString device = line_.portName();
    close();
    emit problem(
        tr("シリアルポート %1 との接続が切れました。\n%2\n受信した記録はそのまま残っています。")
            .arg(device, reason));
}

} // namespace digitrace
