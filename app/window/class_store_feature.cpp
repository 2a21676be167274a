#include "app/window/class_store_feature.h"

#include "app/window/publish_feature.h"
#include "app/window/window_dialogs.h"
#include "app/window/window_host.h"
#include "tracing/tracing_session.h"

#include <QAction>
#include <QInputDialog>
#include <QLineEdit>
#include <QMainWindow>
#include <QThread>

#include <algorithm>
#include <memory>

namespace digitrace {

ClassStoreFeature::ClassStoreFeature(WindowHost &host, TracingSession &session,
                                     PublishFeature &publish)
    : QObject(&host.mainWindow()), host_(host), session_(session), publish_(publish),
      load_(new QAction(tr("クラスをデータベースから読み込む…"), this)),
      send_(new QAction(tr("クラスをデータベースへ送る…"), this)) {
    connect(load_, &QAction::triggered, this, &ClassStoreFeature::loadCatalogue);
    connect(send_, &QAction::triggered, this, &ClassStoreFeature::sendCatalogue);
    host_.addMenuAction(MenuGroup::FileClasses, load_);
    host_.addMenuAction(MenuGroup::FileClasses, send_);
}

ClassStoreFeature::~ClassStoreFeature() {
    if (worker_) {
        worker_->wait();
        delete worker_;
    }
}

void ClassStoreFeature::inBackground(std::function<CatalogueResult()> call, Then then) {
    auto result = std::make_shared<CatalogueResult>();
    worker_ = QThread::create([call = std::move(call), result] { *result = call(); });
    connect(worker_, &QThread::finished, this, [this, result, then = std::move(then)] {
        worker_->deleteLater();
        worker_ = nullptr;
        load_->setEnabled(true);
        send_->setEnabled(true);
        then(*result);
    });
    load_->setEnabled(false);
    send_->setEnabled(false);
    worker_->start();
}

std::optional<QString> ClassStoreFeature::connection() {
    if (!publish_.connection().isEmpty())
        return publish_.connection();
    bool ok = false;
    const QString typed =
        QInputDialog::getText(&host_.mainWindow(), tr("共有データベース"),
                              tr("接続 (例: PG:host=server dbname=maps user=ann)。パスワードは "
                                 "~/.pgpass かサービスファイルで与えてください:"),
                              QLineEdit::Normal, QString(), &ok)
            .trimmed();
    if (!ok || typed.isEmpty())
        return std::nullopt;
    publish_.useConnection(typed);
    return typed;
}

void ClassStoreFeature::fail(const QString &error) {
    host_.dialogs().warn(error);
    emit ended(false);
}

void ClassStoreFeature::loadCatalogue() {
    const std::optional<QString> db = connection();
    if (!db || isBusy())
        return;
    inBackground([db = *db] { return listCatalogues(db); },
                 [this, db = *db](const CatalogueResult &listed) { chooseToLoad(db, listed); });
}

void ClassStoreFeature::chooseToLoad(const QString &db, const CatalogueResult &listed) {
    if (!listed.ok())
        return fail(listed.error);
    if (listed.catalogues.empty())
        return fail(tr("データベース %1 にはクラス一覧がありません。クラスをデータベースへ送る… "
                       "で送ってから読み込んでください。")
                        .arg(connectionWithoutPassword(db)));
    QString name = listed.catalogues.front().name;
    if (listed.catalogues.size() > 1) {
        QStringList items;
        int current = 0;
        for (const StoredCatalogue &stored : listed.catalogues) {
            if (stored.name == lastName_)
                current = int(items.size());
            items << tr("%1（%2 が %3 に送信）").arg(stored.name, stored.sentBy, stored.sentAt);
        }
        bool ok = false;
        const QString chosen =
            QInputDialog::getItem(&host_.mainWindow(), tr("クラスをデータベースから読み込む"),
                                  tr("クラス一覧:"), items, current, false, &ok);
        if (!ok)
            return;
        name = listed.catalogues.at(std::size_t(items.indexOf(chosen))).name;
    }
    inBackground([db, name] { return digitrace::loadCatalogue(db, name); },
                 [this, name](const CatalogueResult &loaded) {
                     if (!loaded.ok())
                         return fail(loaded.error);
                     const StoredCatalogue &stored = loaded.catalogues.at(0);
                     ClassCatalogue::Error error;
                     if (!session_.useCatalogue(stored.text, &error))
                         return fail(tr("データベースのクラス一覧 %1 が読めないので、クラスは"
                                        "いままでのままです: %2")
                                         .arg(name, error.text()));
                     lastName_ = name;
                     host_.showNotice(
                         tr("クラス一覧 %1 をデータベースから読み込みました（%2 が %3 に送信）。")
                             .arg(name, stored.sentBy, stored.sentAt));
                     emit ended(true);
                 });
}

void ClassStoreFeature::sendCatalogue() {
    const std::optional<ClassCatalogue> &catalogue = session_.job().classes.catalogue();
    if (!catalogue)
        return fail(tr("送るクラス一覧がありません。先にクラス一覧を開くか、データベースから"
                       "読み込んでください。"));
    const std::optional<QString> db = connection();
    if (!db || isBusy())
        return;
    inBackground([db = *db] { return listCatalogues(db); },
                 [this, db = *db, text = catalogue->text()](const CatalogueResult &listed) {
                     chooseToSend(db, text, listed);
                 });
}

void ClassStoreFeature::chooseToSend(const QString &db, const QString &text,
                                     const CatalogueResult &listed) {
    if (!listed.ok())
        return fail(listed.error);
    QStringList names;
    for (const StoredCatalogue &stored : listed.catalogues)
        names << stored.name;
    if (!lastName_.isEmpty() && !names.contains(lastName_))
        names.prepend(lastName_);
    bool ok = false;
    const QString name =
        QInputDialog::getItem(&host_.mainWindow(), tr("クラスをデータベースへ送る"),
                              tr("データベースでの名前 (図葉のシリーズなど):"), names,
                              int(std::max<qsizetype>(0, names.indexOf(lastName_))), true, &ok)
            .trimmed();
    if (!ok || name.isEmpty())
        return;
    const auto kept =
        std::find_if(listed.catalogues.begin(), listed.catalogues.end(),
                     [&](const StoredCatalogue &stored) { return stored.name == name; });
    // Replacing the series' catalogue changes it for every operator: a deliberate click.
    if (kept != listed.catalogues.end() &&
        host_.dialogs().askPreferring(tr("データベースのクラス一覧 %1（%2 が %3 に送信）を、"
                                         "このジョブのクラス一覧で置き換えますか？")
                                          .arg(name, kept->sentBy, kept->sentAt),
                                      {tr("置き換える"), tr("キャンセル")}, 1) != 0)
        return;
    inBackground(
        [db, name, text, who = publish_.operatorName()] {
            return digitrace::sendCatalogue(db, name, text, who);
        },
        [this, name](const CatalogueResult &sent) {
            if (!sent.ok())
                return fail(sent.error);
            lastName_ = name;
            host_.showNotice(tr("クラス一覧 %1 をデータベースへ送りました。").arg(name));
            emit ended(true);
        });
}

} // namespace digitrace
