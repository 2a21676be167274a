#include "app/window/publish_feature.h"

#include "app/window/operator_settings.h"
#include "app/window/sheet_registration.h"
#include "app/window/window_dialogs.h"
#include "app/window/window_host.h"
#include "export/publish_queue.h"
#include "export/publish_sql.h"
#include "job/job_journal.h"
#include "model/trace_model.h"
#include "tracing/tracing_session.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QMainWindow>

#include <utility>

namespace digitrace {
namespace {

// Who published the sheet's content, when in the operator's own time zone, and what it holds.
QString holderText(const SheetHolder &holder) {
    const QString when =
        holder.publishedUtc.isValid()
            ? holder.publishedUtc.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss t"))
            : holder.publishedAt;
    return QCoreApplication::translate("digitrace::PublishFeature",
                                       "版 %1（%2 が %3 に送信）: 点 %4、線 %5、多角形 %6")
        .arg(QString::number(holder.revision), holder.operatorName, when,
             QString::number(holder.points), QString::number(holder.lines),
             QString::number(holder.polygons));
}

} // namespace

PublishFeature::PublishFeature(WindowHost &host, TracingSession &session, SheetRegistration &sheet,
                               const TraceModel &model)
    : QObject(&host.mainWindow()), host_(host), session_(session), sheet_(sheet), model_(model),
      action_(new QAction(tr("データベースへ送信…"), this)) {
    const OperatorSettings settings;
    connection_ = settings.publishConnection();
    operatorName_ = settings.publishOperator();
    connect(action_, &QAction::triggered, this, &PublishFeature::openPublish);
    connect(&session_.journal(), &JobJournal::applied, this, &PublishFeature::jobChanged);
    host_.addMenuAction(MenuGroup::FilePublish, action_);
}

PublishFeature::~PublishFeature() {
    if (worker_) {
        worker_.reset();
        QApplication::restoreOverrideCursor();
    }
}

void PublishFeature::useConnection(const QString &connection) {
    connection_ = connection;
    OperatorSettings().setPublishConnection(connection);
}

void PublishFeature::openPublish() {
    if (!host_.readyForOutput(true))
        return;
    const std::optional<PublishChoice> chosen = host_.dialogs().choosePublish(
        {connection_, operatorName_, session_.job().sheetName, liveWanted_});
    if (!chosen)
        return;
    connection_ = chosen->connection;
    operatorName_ = chosen->operatorName;
    OperatorSettings settings;
    settings.setPublishConnection(connection_);
    settings.setPublishOperator(operatorName_);
    if (chosen->sheet != session_.job().sheetName) {
        // A name that could not be published is not given to the job either.
        if (const QString refused = checkSheetName(chosen->sheet); !refused.isEmpty()) {
            host_.dialogs().warn(refused);
            return;
        }
        sheet_.nameSheet(chosen->sheet);
    }
    liveWanted_ = chosen->live;
    resumeOnUndo_ = false;
    // The connection may have changed: the live publishing starts again after this publish.
    stopLive({});
    publishNow();
}

QString PublishFeature::refusal() const {
    if (const QString refused = checkSheetName(session_.job().sheetName); !refused.isEmpty())
        return refused;
    const std::optional<Registration> &registration = session_.job().registration;
    if (!registration || registration->points.empty())
        return tr("シート %1 は基準点で登録されていないので送信できません。ツール → 基準点の登録… "
                  "で登録してから送信してください。")
            .arg(session_.job().sheetName);
    return {};
}

SheetPublication PublishFeature::publication(bool force) const {
    SheetPublication p;
    p.sheet = session_.job().sheetName;
    p.operatorName = operatorName_;
    p.jobId = session_.job().jobId();
    p.registration = session_.job().registration;
    p.store = model_.store();
    p.knownRevision = session_.job().publishedRevision();
    p.force = force;
    p.setClasses(session_.job().classes.forOutput());
    p.repair =
        host_.outputRepair({sheet_.mapTransform(), p.store.ScaleDenom, p.store.tabletUnitMm});
    return p;
}

bool PublishFeature::publishNow(bool force) {
    if (worker_)
        return false;
    if (const QString refused = refusal(); !refused.isEmpty()) {
        host_.dialogs().warn(refused);
        emit publishEnded(false);
        return false;
    }
    SheetPublication sent = publication(force);
    // One publish on the queue's worker, not tried again: the operator decides what follows.
    worker_ = std::make_unique<PublishQueue>(publishingThrough(publisher()), std::nullopt);
    connect(worker_.get(), &PublishQueue::finished, this, [this](const PublishResult &result) {
        // The worker has nothing more to do; it goes once this signal is through.
        worker_.release()->deleteLater();
        QApplication::restoreOverrideCursor();
        action_->setEnabled(true);
        takeResult(result);
    });
    changedMeanwhile_ = false;
    changes_.reset(model_.store());
    action_->setEnabled(false);
    QApplication::setOverrideCursor(Qt::BusyCursor);
    showState(tr("シート %1 をデータベースへ送信しています…").arg(session_.job().sheetName));
    worker_->submit(std::move(sent));
    return true;
}

void PublishFeature::takeResult(const PublishResult &result) {
    if (result.ok()) {
        journalRevision(result.revision);
        QString sent = tr("シート %1 をデータベースへ送信しました（版 %2）。\n"
                          "点 %3、線 %4、多角形 %5")
                           .arg(session_.job().sheetName, QString::number(result.revision),
                                QString::number(result.points), QString::number(result.lines),
                                QString::number(result.polygons));
        for (const QString &note : result.notes)
            sent += u'\n' + note;
        // Cleared while this first publish was on its way: sending stays stopped, and says so.
        if (resumeOnUndo_ && !liveWanted_)
            sent += u'\n' + stoppedByClear(QString::number(result.revision));
        showState(sent);
        if (liveWanted_)
            startLive();
        emit publishEnded(true);
        return;
    }
    if (result.failure == PublishFailure::Conflict) {
        // Replacing a colleague's sheet takes a deliberate click, never a stray Enter.
        if (host_.dialogs().askPreferring(overwriteQuestion(result),
                                          {tr("上書き"), tr("キャンセル")}, 1) == 0 &&
            publishNow(true))
            return;
        showState(tr("シート %1 は送信しませんでした。データベースのシートは版 %2 のままです。")
                      .arg(session_.job().sheetName,
                           QString::number(result.holder ? result.holder->revision : 0)));
    } else {
        showState({});
        host_.dialogs().warn(result.error);
    }
    emit publishEnded(false);
}

QString PublishFeature::overwriteQuestion(const PublishResult &result) const {
    if (!result.holder)
        return result.error;
    return tr("データベースのシート %1 は、このジョブが送信したものではありません。\n"
              "いまの内容: %2\n"
              "上書きすると、このジョブの内容（点 %3、線 %4、多角形 %5）に置き換わります。")
        .arg(session_.job().sheetName, holderText(*result.holder), QString::number(result.points),
             QString::number(result.lines), QString::number(result.polygons));
}

void PublishFeature::showState(const QString &text, bool routine) {
    const QString before = std::exchange(stateNotice_, text);
    if (before == text)
        return;
    // The state's earlier notice is taken back, so that what it said never stands beside what
    // holds now.
    if (routine && host_.replaceNotice(before, text))
        return;
    if (routine || text.isEmpty()) {
        host_.withdrawNotice(before);
        return;
    }
    host_.showNotice(text);
    if (!before.isEmpty())
        host_.withdrawNotice(before);
}

bool PublishFeature::settleClear() {
    const QString revision = session_.job().publishedRevision()
                                 ? QString::number(*session_.job().publishedRevision())
                                 : QStringLiteral("—");
    const int answer = host_.dialogs().askPreferring(
        tr("シート %1 をデータベースへ送信し続けています（データベースは版 %2）。\n"
           "クリアしたあと、データベースのシートをどうしますか？\n\n"
           "送信をやめる: データベースのシートは版 %2 のまま残ります。"
           "ファイル → 直前のクリアを取り消す で送信を再開します。\n"
           "シートも空にする: データベースのシートからも図形をすべて消します。")
            .arg(session_.job().sheetName, revision),
        {tr("送信をやめる"), tr("シートも空にする"), tr("キャンセル")}, 0);
    if (answer == 2)
        return false;
    if (answer == 0) {
        liveWanted_ = false;
        resumeOnUndo_ = true;
        const QString why = stoppedByClear(revision);
        // The first publish may still be on its way: it then ends without taking sending up.
        if (isLive())
            stopLive(why);
        else
            showState(why);
    }
    return true;
}

QString PublishFeature::stoppedByClear(const QString &revision) const {
    return tr("クリアしたので、データベースへの送信を続けるのをやめました。シート %1 は"
              "データベースで版 %2 のままです。直前のクリアを取り消すと送信を再開します。")
        .arg(session_.job().sheetName, revision);
}

std::shared_ptr<SheetPublisher> PublishFeature::publisher() {
    if (!publisher_ || publisherConnection_ != connection_) {
        publisher_ = std::make_shared<SheetPublisher>(connection_);
        publisherConnection_ = connection_;
    }
    return publisher_;
}

void PublishFeature::journalRevision(int revision) {
    liveRevision_ = revision;
    session_.published(revision);
}

void PublishFeature::startLive() {
    queue_ = std::make_unique<PublishQueue>(
        [publish = publishingThrough(publisher())](const SheetPublication &p) {
            PublishResult result = publish(p);
            // Said in a notice, which has room for who and when, and no button to overwrite.
            if (result.failure == PublishFailure::Conflict && result.holder)
                result.error = tr("シート %1 はほかの送信で替わりました。%2")
                                   .arg(p.sheet, holderText(*result.holder));
            return result;
        });
    connect(queue_.get(), &PublishQueue::published, this, [this](int revision) {
        journalRevision(revision);
        // After a failure the news is that it is over; otherwise only the revision moves on.
        const bool recovered = failing_;
        failing_ = false;
        showState(tr("送信を続けています: シート %1 はデータベースの版 %2 と同じです。")
                      .arg(session_.job().sheetName, QString::number(revision)),
                  !recovered);
        emit livePublished(revision);
    });
    connect(queue_.get(), &PublishQueue::failed, this, [this](const QString &error, bool retrying) {
        if (retrying) {
            failing_ = true;
            showState(tr("データベースへ送信できませんでした。記録は作業記録に残っており、"
                         "送信を続けます。\n%1")
                          .arg(error));
            return;
        }
        // Another publish of the sheet or a refused login: sending on would only fail
        // again, and overwriting is the operator's decision.
        liveWanted_ = false;
        stopLive(tr("データベースへの送信を続けるのをやめました。\n%1").arg(error));
    });
    if (changedMeanwhile_)
        queue_->submit(publication(false));
}

void PublishFeature::stopLive(const QString &why) {
    if (!queue_)
        return;
    queue_.reset();
    failing_ = false;
    if (!why.isEmpty())
        showState(why);
}

void PublishFeature::jobChanged(const JournalEntry &entry) {
    if (const auto *connect = std::get_if<entry::Connect>(&entry); connect && connect->newJob) {
        liveWanted_ = resumeOnUndo_ = false;
        stopLive(tr("新しいジョブになったので、データベースへの送信を続けるのをやめました。"));
        return;
    }
    if (is<entry::Record>(entry))
        resumeOnUndo_ = false;
    if (is<entry::ClearUndone>(entry) && std::exchange(resumeOnUndo_, false) &&
        session_.job().publishedRevision() == liveRevision_) {
        liveWanted_ = true;
        showState(tr("クリアを取り消したので、シート %1 のデータベースへの送信を再開します。")
                      .arg(session_.job().sheetName));
        // The first publish may still be on its way; it takes live sending up when it ends.
        changedMeanwhile_ = true;
        changes_.reset(model_.store());
        if (!worker_)
            startLive();
        return;
    }
    if (!queue_ && !worker_)
        return;
    // A revision belongs to the sheet it was published as: a renamed sheet is another one, asked
    // about at its own first publish.
    if (is<entry::Sheet>(entry)) {
        liveWanted_ = resumeOnUndo_ = false;
        stopLive(tr("シート名が替わったので、データベースへの送信を続けるのをやめました。"
                    "新しい名前で送るには ファイル → データベースへ送信… を選んでください。"));
        return;
    }
    if (!changes_.changedBy(entry, model_.store()))
        return;
    if (worker_) {
        changedMeanwhile_ = true;
        return;
    }
    // Another job was opened: the queue's revision is not the one this job expects.
    if (session_.job().publishedRevision() != liveRevision_) {
        liveWanted_ = false;
        stopLive(tr("ジョブが替わったので、データベースへの送信を続けるのをやめました。"));
        return;
    }
    queue_->submit(publication(false));
}

} // namespace digitrace
