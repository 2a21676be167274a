#pragma once

#include "export/class_store.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QAction;
class QThread;

namespace digitrace {

class PublishFeature;
class TracingSession;
class WindowHost;

// ファイル → クラスをデータベースから読み込む… and クラスをデータベースへ送る…: the catalogues a
// team shares in the database it publishes to, reached as publishing reaches it. The database is
// asked on a thread of its own, so that neither the window nor reception waits for it.
class ClassStoreFeature : public QObject {
    Q_OBJECT
public:
    ClassStoreFeature(WindowHost &host, TracingSession &session, PublishFeature &publish);
    // Waits for a call in flight: it would otherwise answer a freed feature.
    ~ClassStoreFeature() override;

    // Traces into a catalogue of the database, asking which one when it holds several.
    void loadCatalogue();
    // Keeps the job's catalogue in the database under a name the operator chooses.
    void sendCatalogue();
    bool isBusy() const { return worker_ != nullptr; }

signals:
    // A load or send has ended; `ok` when the catalogue is in use or kept.
    void ended(bool ok);

private:
    using Then = std::function<void(const CatalogueResult &)>;
    void inBackground(std::function<CatalogueResult()> call, Then then);
    // The publishing connection, asked for when none was chosen yet; none when cancelled.
    std::optional<QString> connection();
    void chooseToLoad(const QString &connection, const CatalogueResult &listed);
    void chooseToSend(const QString &connection, const QString &text,
                      const CatalogueResult &listed);
    void fail(const QString &error);

    WindowHost &host_;
    TracingSession &session_;
    PublishFeature &publish_;
    QAction *load_;
    QAction *send_;
    QThread *worker_ = nullptr;
    // The name last loaded or sent, offered first the next time.
    QString lastName_;
};

} // namespace digitrace
