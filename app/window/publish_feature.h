#pragma once

#include "app/window/publish_dialog.h"
#include "export/sheet_publisher.h"
#include "job/journal_entries.h"
#include "tracing/live_changes.h"

#include <QObject>

#include <memory>
#include <optional>

class QAction;

namespace digitrace {

class TracingSession;
class PublishQueue;
class SheetRegistration;
class TraceModel;
class WindowHost;

// ファイル → データベースへ送信…: the registered sheet's features go to the shared database on a
// worker, so that the window and reception never wait for it. Each successful publish is
// journalled with the revision it made, which the next one expects to find. With 送信を続ける,
// every record that completes a feature, and every Back, Clear and undo of a clear, sends the
// sheet again through a queue that keeps only the newest state. One notice tells where publishing
// stands, and each new state takes the place of the last.
class PublishFeature : public QObject {
    Q_OBJECT
public:
    PublishFeature(WindowHost &host, TracingSession &session, SheetRegistration &sheet,
                   const TraceModel &model);
    // Waits for a publish in flight: leaving it would leave a worker running on a freed job.
    ~PublishFeature() override;

    QAction *publishAction() const { return action_; }
    // Where and as whom the shared database is reached, as last chosen: the class catalogues go
    // the same way. A password typed for this run is in it, and never shown.
    const QString &connection() const { return connection_; }
    const QString &operatorName() const { return operatorName_; }
    // A connection chosen elsewhere, for this run and, without its password, the next.
    void useConnection(const QString &connection);
    // Opens the dialog; 送信 publishes the sheet as chosen there.
    void openPublish();
    // Publishes the job's sheet on a worker; false when it is refused before connecting (told).
    bool publishNow(bool force = false);
    bool isPublishing() const { return worker_ != nullptr; }
    bool isLive() const { return queue_ != nullptr; }
    // 送信を続ける is on, and a publish is in flight or the queue follows the job.
    bool sendingLive() const { return liveWanted_ && (queue_ || worker_); }
    // Before a clear while sending live: asks what becomes of the shared sheet. By default live
    // sending stops and the sheet stays as published, until the clear is taken back; emptying
    // it is a choice of its own. False when the operator cancels the clear.
    bool settleClear();

signals:
    // A publish from the dialog has ended and no other follows it (an 上書き would).
    void publishEnded(bool ok);
    // 送信を続ける made `revision` of the sheet.
    void livePublished(int revision);

private:
    // Why the job's sheet cannot be published; "" when it can.
    QString refusal() const;
    SheetPublication publication(bool force) const;
    // The dialog's publish and live sending after it go through one publisher, so that live
    // sending writes only what changed since; another connection takes a new one.
    std::shared_ptr<SheetPublisher> publisher();
    void takeResult(const PublishResult &result);
    void jobChanged(const JournalEntry &entry);
    void startLive();
    void stopLive(const QString &why);
    void journalRevision(int revision);
    // The one notice that tells where publishing stands, in place of the one before. A
    // `routine` change updates it only while the operator keeps it open.
    void showState(const QString &text, bool routine = false);
    // What the overwrite question asks, from what the server said of the sheet.
    QString overwriteQuestion(const PublishResult &result) const;
    QString stoppedByClear(const QString &revision) const;

    WindowHost &host_;
    TracingSession &session_;
    SheetRegistration &sheet_;
    const TraceModel &model_;
    QAction *action_;
    // As typed, for this run: a password the operator typed is used, never kept.
    QString connection_;
    QString operatorName_;
    // Used by one worker at a time: the dialog's publish, then the live queue.
    std::shared_ptr<SheetPublisher> publisher_;
    QString publisherConnection_;
    bool liveWanted_ = false;
    // The dialog's publish in flight.
    std::unique_ptr<PublishQueue> worker_;
    bool changedMeanwhile_ = false;
    // Live sending told a failure and has not published since.
    bool failing_ = false;
    std::unique_ptr<PublishQueue> queue_;
    // The revision this feature last journalled: another one in the job means the job was
    // replaced, and the queue's revision is no longer the job's.
    std::optional<int> liveRevision_;
    // What the sheet was when last sent.
    LiveChanges changes_;
    QString stateNotice_;
    // A clear stopped live sending: taking it back takes sending up again, until a new record
    // makes the clear final.
    bool resumeOnUndo_ = false;
};

} // namespace digitrace
