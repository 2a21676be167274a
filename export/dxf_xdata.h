#pragma once

#include "classes/class_catalogue.h"

#include <QByteArray>
#include <QString>
#include <QVariantMap>

namespace digitrace {

// The application name a classed feature's entities carry their class and values under, declared
// in the header's APPID table.
inline constexpr char kDxfAppId[] = "DIGITRACE";

// The most bytes a string of extended data takes, and all of an entity's extended data.
inline constexpr qsizetype kDxfXdataStringBytes = 255;
inline constexpr qsizetype kDxfXdataBytes = 16000;

// `text` as a DXF string: characters outside ASCII, and the backslash that would start such an
// escape, as \U+XXXX, control characters and those beyond the escape's 16 bits as '?'. Cut
// between characters to `maxBytes`; `cut` says whether it was.
QByteArray dxfText(const QString &text, qsizetype maxBytes, bool *cut = nullptr);

// The extended data of the entities of a feature of `featureClass`: kDxfAppId, the class's name,
// then each field that has a value, its name and its value (1070 an integer of 16 bits, 1040 any
// other number, 1000 text, a choice and a date as yyyy-MM-dd). Lines end in CR LF. `cut` counts
// values cut to kDxfXdataStringBytes and fields left out beyond kDxfXdataBytes.
QByteArray dxfAttributes(const FeatureClass &featureClass, const QVariantMap &values, int &cut);

} // namespace digitrace
