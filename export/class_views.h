#pragma once

#include "classes/class_catalogue.h"
#include "export/gis_features.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace digitrace {

class PublishConnection;

// The kind of feature a class's features are, whose table its view shows.
constexpr FeatureKind featureKindOf(ClassKind kind) {
    switch (kind) {
    case ClassKind::Point:
        return FeatureKind::Point;
    case ClassKind::Line:
        return FeatureKind::Line;
    case ClassKind::Polygon:
        break;
    }
    return FeatureKind::Polygon;
}

// The longest name the server keeps, in bytes of UTF-8; a longer one it would cut without a word.
inline constexpr int kIdentifierBytes = 63;

// What a class's view and its fields' columns are called in the shared database.
struct ClassViewNames {
    QString view;
    QStringList columns; // one a field, in the class's order
};

// The names of the views of `catalogue`'s classes, in its order: "digitrace_" and the class's
// name, and each field's own name, where that can be one. A name too long for the server, with
// control characters, or taken by a table or column of digitrace's own or by another name cut to
// the same bytes, is cut and given a tag made from the whole name, so that it stays unique and the
// same at every publish; *notes tells each.
std::vector<ClassViewNames> classViewNames(const ClassCatalogue &catalogue, QStringList *notes);

// Creates the view of each class of `catalogue` that is missing or made from another catalogue,
// inside the publish's transaction: the features of the class's kind with the designed columns
// and each field as a column of its type (integer as bigint, real as double precision, date as
// date, text and choice as text). A value that is not of its field's type, as one entered before
// the field's type changed, shows as NULL. Views of classes no longer in the catalogue stay, for
// sheets published with them. "" or the server's reason.
QString ensureClassViews(PublishConnection &db, const ClassCatalogue &catalogue,
                         QStringList *notes);

} // namespace digitrace
