#pragma once

#include "classes/classed_feature.h"
#include "job/feature_classes.h"

#include <QStringList>

namespace digitrace::test {

// "slot class name=value …" for each feature, to compare a table's rows at a glance.
inline QStringList described(const ClassedFeatures &features) {
    QStringList out;
    for (auto f = features.cbegin(); f != features.cend(); ++f)
        out << QStringLiteral("%1 %2 %3")
                   .arg(f.key())
                   .arg(f->className, valuesText(f->values).trimmed().replace(u'\n', u' '));
    return out;
}

} // namespace digitrace::test
