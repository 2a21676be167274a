#pragma once

#include "export/publish_queue.h"
#include "export/sheet_publisher.h"
#include "tracing/live_changes.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTextStream>
#include <QTimer>

#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

class QEventLoop;

namespace digitrace {

class CapturePort;
class TracingSession;
struct TabletFormat;
struct TraceStore;

// How fast --live feeds a capture.
struct LivePace {
    // Records a second; 0 for the capture's characters at the line's own speed.
    double recordsPerSecond = 0;
};

// --live's value: "line", or a positive number of records a second; nothing, with why in *error.
std::optional<LivePace> readLivePace(const QString &text, QString *error);

// The characters a second a tablet of `format` sends at its usual 9600 baud: a start bit, the
// data bits, the parity bit and a stop bit make each character.
double lineCharactersPerSecond(const TabletFormat &format);

// A capture fed to the session at a pace, on the event loop's timers, while the sheet is sent
// live as the window sends it: the whole sheet first, then through one queue that keeps only the
// newest state, after each record that completes a feature and each change that takes one away
// or changes it, each state writing only the features that changed since the last commit. Once the
// capture has ended, its last state is sent too, so that the database ends with the whole capture.
// Each commit is printed as live<TAB>revision<TAB>records<TAB> latency in ms, the latency from the
// earliest record it is the first to hold; then live_summary<TAB>commits<TAB>median ms<TAB>95th
// percentile ms and the publish line.
class LivePublishing : public QObject {
public:
    using Publication = std::function<SheetPublication()>;

    LivePublishing(CapturePort &port, TracingSession &session, const TraceStore &store,
                   Publication publication, const QString &connection, QTextStream &out);
    ~LivePublishing() override;

    // Runs until the last state is committed or sending failed (told). Like
    // CapturePort::playAll(), false only when the capture could not be read to its end.
    bool run(LivePace pace, double charactersPerSecond);
    // Every state was committed.
    bool published() const { return published_; }

private:
    struct Sent {
        int records;
        qint64 atNs; // of the record that made it, or of the first publish's start
    };
    struct Commit {
        int records;
        qint64 atNs;
    };

    void feed();
    void captureEnded();
    void changed();
    void submit();
    void committed(const PublishResult &result);
    void failed(const QString &error, bool retrying);
    void finish(bool ok);
    void printSummary();

    CapturePort &port_;
    TracingSession &session_;
    const TraceStore &store_;
    Publication publication_;
    QTextStream &out_;
    LivePace pace_;
    double charactersPerSecond_ = 0;
    QElapsedTimer clock_;
    qint64 fedSinceNs_ = 0;
    QTimer ticks_;
    QEventLoop *loop_ = nullptr;
    qint64 taken_ = 0;
    bool feeding_ = false;
    bool captureEnded_ = false;
    bool published_ = false;
    LiveChanges changes_;
    int sentRecords_ = -1;
    std::deque<Sent> unconfirmed_;
    std::vector<double> latenciesMs_;
    std::optional<PublishResult> last_;
    // Filled by the worker as each publish returns, taken in order as the queue tells of it.
    std::mutex mutex_;
    std::deque<Commit> commits_;
    // Last, so that its worker has stopped before anything it fills goes.
    PublishQueue queue_;
};

} // namespace digitrace
