#pragma once

#include "export/sheet_publisher.h"

#include <QByteArray>
#include <QString>
#include <QUuid>

#include <vector>

namespace digitrace {

// What makes a feature's id: the same job, sheet, kind and first slot give the same fid in every
// publish.
QUuid featureId(const QString &jobId, const QString &sheet, const Feature &f);

// One feature's row as it goes into COPY, all but the fid, sheet and operator in front and the
// publish's time at the end.
struct EncodedFeature {
    FeatureKind kind;
    QUuid fid;
    QByteArray values;
};

// The attributes, the class and the geometry (in the SRID the columns are declared with) of each
// feature as COPY text, into *rows; "" or why one cannot go.
QString encodeFeatures(const SheetPublication &p, const FeatureSet &features, int srid,
                       std::vector<EncodedFeature> *rows);

} // namespace digitrace
