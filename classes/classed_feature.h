#pragma once

#include <QMap>
#include <QString>
#include <QVariantMap>

namespace digitrace {

class ClassCatalogue;

// A feature's class and attribute values.
struct ClassedFeature {
    QString className;
    QVariantMap values; // by field name
    bool operator==(const ClassedFeature &) const = default;
};

// Features by the slot of the record that started them.
using ClassedFeatures = QMap<int, ClassedFeature>;

// What a trace's features are, for whatever draws, exports or publishes them: the catalogue and
// each classed feature by its first record's slot. No catalogue: the designed, unclassified job.
struct TraceClasses {
    const ClassCatalogue *catalogue = nullptr;
    const ClassedFeatures *features = nullptr;
    bool inUse() const { return catalogue && features; }
    // The feature begun at `firstSlot`; null for one traced without a class.
    const ClassedFeature *featureAt(int firstSlot) const {
        if (!inUse())
            return nullptr;
        const auto found = features->constFind(firstSlot);
        return found == features->cend() ? nullptr : &*found;
    }
};

} // namespace digitrace
