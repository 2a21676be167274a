#pragma once

#include "classes/class_catalogue.h"
#include "classes/classed_feature.h"
#include "export/gis_features.h"
#include "model/trace_store.h"
#include "registration/registration.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace digitrace {

// One sheet's state as it goes to the shared database.
struct SheetPublication {
    QString sheet;        // the map-series tile id the operator entered
    QString operatorName; // "" for the database login's own name
    // What makes the feature ids of this job its own: the same job, sheet, kind and first slot
    // give the same fid in every publish.
    QString jobId;
    std::optional<Registration> registration; // none: the sheet is refused, it has no map place
    TraceStore store;
    // The revision this job last published of the sheet; none when it never did.
    std::optional<int> knownRevision;
    bool force = false; // replace whatever another publish left
    // The classes the features were traced into, held here whole: a publication goes to another
    // thread while the job moves on. No catalogue: every feature goes without a class.
    std::optional<ClassCatalogue> catalogue;
    ClassedFeatures classedFeatures;
    // Called on the collected features before they are written (empty: none); the changes it
    // names come back in the result's notes.
    std::function<QStringList(FeatureSet &)> repair;

    void setClasses(const TraceClasses &classes);
    TraceClasses classes() const;
};

enum class PublishFailure {
    None,
    Request,        // the sheet, the connection string or the database's tables cannot take it
    Connection,     // no server answered
    Authentication, // the server refused the login
    Conflict,       // someone else published the sheet since this job last did
    Database,       // the server refused a statement or stopped midway; nothing was changed
};

// Who published the sheet's current content.
struct SheetHolder {
    QString operatorName;
    QString publishedAt; // as the server gives it, with its time zone
    int revision = 0;
    // The same moment, for the operator's own time zone; invalid when the server gave none.
    QDateTime publishedUtc;
    // What the sheet holds now.
    int points = 0;
    int lines = 0;
    int polygons = 0;
};

struct [[nodiscard]] PublishResult {
    PublishFailure failure = PublishFailure::None;
    QString error;                     // a whole message for the operator; "" on success
    std::optional<SheetHolder> holder; // with Conflict
    int revision = 0;                  // the sheet's revision after the publish
    // What the sheet holds after the publish; with Conflict, what it would have held.
    int points = 0;
    int lines = 0;
    int polygons = 0;
    // What the operator should know of a publish that went: names the database could not take as
    // they are, features left out of their class's view.
    QStringList notes;
    // Feature rows the publish deleted and inserted: the sheet's all, or only what changed.
    int rowsDeleted = 0;
    int rowsInserted = 0;
    bool incremental = false; // only what changed since this publisher's last commit went
    bool ok() const { return failure == PublishFailure::None; }
};

// Replaces the sheet's features and its row in the digitrace_* tables of the database that
// `connection` names ("PG:" and libpq's keyword/value or postgresql:// URI form, optionally with
// active_schema=NAME), in one transaction: either all of it is there afterwards or the database
// is as it was. Creates the tables with their spatial indexes when missing, in that transaction;
// refuses tables of another shape before writing. Each feature keeps its class and values, and
// each class of the catalogue has a view (class_views.h). The rows go by COPY, one statement a
// kind; every value goes to the server as a parameter or as COPY's data, never as statement text.
// The connection's password is never part of a message.
PublishResult publishSheet(const QString &connection, const SheetPublication &publication);

// Publishes through one connection kept open from one publish to the next (opened again when its
// server went away), remembering what its last commit of a sheet wrote: each feature's row by its
// fid. The next publish of that job's sheet that finds the revision it made there writes only
// the features that changed since (deleted and inserted by fid) with the same conflict check,
// revision and sheet row as a whole publish, in one transaction. A forced or first publish, one
// after a lost commit, or one that finds another revision or rows taken away by other means
// writes the sheet whole. One thread at a
// time.
class SheetPublisher {
public:
    explicit SheetPublisher(QString connection);
    ~SheetPublisher();
    SheetPublisher(const SheetPublisher &) = delete;
    SheetPublisher &operator=(const SheetPublisher &) = delete;

    PublishResult publish(const SheetPublication &publication);

private:
    struct State;
    std::unique_ptr<State> state_;
};

// The connection string with any password replaced by "***", for messages and settings.
QString connectionWithoutPassword(const QString &connection);

} // namespace digitrace
