#pragma once

#include "classes/classed_feature.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace digitrace {

// A template's lines as the writer copies them: a line ends at CR, optionally followed by LF, and
// a lone LF is text of its line; a template with no CR at all has its lines end at LF instead.
QList<QByteArrayView> dxfTemplateLines(QByteArrayView bytes);

// The most characters of a layer's name that a release-12 file, as the header declares, takes.
inline constexpr int kDxfLayerNameChars = 31;
// The most bytes such a name takes as written: each character as \U+XXXX at worst.
inline constexpr int kDxfLayerNameBytes = kDxfLayerNameChars * 7;

// A name as a DXF layer can have it.
struct DxfLayerName {
    QString shown;      // what a reader shows
    QByteArray written; // in the file: outside ASCII as \U+XXXX, the escape such a file takes
};

// `name` made valid: blanks around it dropped, characters no layer name may hold (control
// characters, <>/\":;?*|=`, and those beyond the 16-bit range an escape can name) replaced by
// '_', cut to kDxfLayerNameChars; "_" for a name with nothing left.
DxfLayerName dxfLayerName(const QString &name);

// The colour index nearest to `rgb` (0xrrggbb) among the 255 that readers without true colour
// show.
int nearestColourIndex(unsigned rgb);

// Where a classed trace's features go: a layer a class, declared in the header's LAYER table with
// the class's colour (true colour, and the nearest index for older readers); and what their
// entities carry: the class and values as extended data.
struct DxfClassLayers {
    QByteArray head;         // the template with the layers declared; CR LF lines
    QList<QByteArray> names; // the class layers' names as written
    // A classed feature's layer (its index in names) and its entities' extended data.
    struct Feature {
        qsizetype layer;
        QByteArray xdata;
        bool operator==(const Feature &) const = default;
    };
    QHash<int, Feature> features; // by first slot
    QStringList notes;            // names changed or shared, values cut, for the operator
    QString error;                // why the template cannot take the layers
};

// The layers for `classes`, which must be in use, added to `templateBytes`: into its LAYER table,
// into a LAYER table added to its TABLES section, or into a TABLES section added before its
// BLOCKS or ENTITIES section; kDxfAppId into its APPID table alike. A template that is not group
// codes and values up to its ENTITIES section cannot take them: error says so and the rest is
// left empty.
DxfClassLayers planDxfClassLayers(QByteArrayView templateBytes, const TraceClasses &classes);

} // namespace digitrace
