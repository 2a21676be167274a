#pragma once

#include "export/sheet_publisher.h"

#include <QString>

#include <vector>

namespace digitrace {

// A catalogue as the shared database keeps it, in the table digitrace_classes, so that every
// operator of a map series traces into the same classes.
struct StoredCatalogue {
    QString name;
    QString text;   // "" in a list of names
    QString sentBy; // the operator or, when none was named, the login
    QString sentAt; // as the server gives it, with its time zone
};

struct [[nodiscard]] CatalogueResult {
    PublishFailure failure = PublishFailure::None;
    QString error; // a whole message for the operator; "" on success
    // The catalogues listed, by name; the one loaded or sent.
    std::vector<StoredCatalogue> catalogues;
    bool ok() const { return failure == PublishFailure::None; }
};

// Keeps `catalogueText` under `name`, in place of a catalogue of that name, with who sent it
// (`operatorName`, or the login when "") and when. A text that does not read as a catalogue is
// refused with the line and the reason, and the table is made when missing, in the same
// transaction. `connection` is as publishSheet() takes it.
CatalogueResult sendCatalogue(const QString &connection, const QString &name,
                              const QString &catalogueText, const QString &operatorName = {});
// The catalogue kept under `name`; a Request failure when there is none.
CatalogueResult loadCatalogue(const QString &connection, const QString &name);
// The names of the catalogues kept, with who sent each and when, by name; none when no catalogue
// was ever sent.
CatalogueResult listCatalogues(const QString &connection);

} // namespace digitrace
