#pragma once

#include "job/job_replay.h"
#include "job/journal_slot.h"

#include <QList>
#include <QObject>

#include <functional>

class QAction;
class QMenu;

namespace digitrace {

class JobJournal;
class PortFeature;
class TracingSession;
class TraceModel;
class WindowHost;

// The window's job as files: its journal and the restore at start, the job files of ファイル, the
// taking back of a clear, and the question that keeps unsaved records from being wiped.
class JobFiles : public QObject {
    Q_OBJECT
public:
    // The operator's unit, in which a journal that names none is measured, is the one `port` is
    // set to.
    JobFiles(WindowHost &host, TracingSession &session, const TraceModel &model,
             const PortFeature &port);

    // ジョブを開く…, ジョブを保存, 名前を付けてジョブを保存…, 直前のクリアを取り消す, for the
    // window to place in its ファイル menu.
    const QList<QAction *> &actions() const { return actions_; }
    QAction *undoClearAction() const { return actions_.constLast(); }
    // 最近のジョブ: the jobs this window's folder keeps that no job file holds, with their sheet,
    // record count and last change; filled as it opens.
    QMenu *recentMenu() const { return recent_; }

    // Takes the window's own journal in `dir` (the data folder when empty). With PreferUnsaved a
    // job that an earlier run left unsaved is offered back.
    void attachJournal(JournalSlot::Choice choice, const QString &dir = {});
    // False when the job was not saved (cancelled or failed).
    void openJob();
    bool saveJob();
    bool saveJobAs();
    void openJobFile(const QString &path);
    // Opens a recent job (JobJournal::reopenRecent) after the question for unsaved records.
    void openRecentJob(const QString &path);
    // 直前のクリアを取り消す: the job before the last clear, until a record follows that clear.
    void undoClear();
    // Asks whether to save unsaved records first. False when the operator cancels.
    bool settleUnsaved();

signals:
    // A job restored or opened replaced the trace.
    void jobReplaced(const digitrace::ReplayResult &restored);
    // The last clear was taken back: the trace is back as it was.
    void clearTakenBack();
    // The job was saved: its caption and saved state changed.
    void saved();

private:
    bool writeJob(const QString &path);
    void tellJournalsSetAside();
    QString restoreQuestion() const;
    void fillRecentMenu();

    WindowHost &host_;
    TracingSession &session_;
    JobJournal &job_; // the session's: its file, restore and content
    const TraceModel &model_;
    const PortFeature &port_;
    QList<QAction *> actions_;
    QMenu *recent_ = nullptr;
};

} // namespace digitrace
