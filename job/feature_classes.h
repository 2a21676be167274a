#pragma once

#include "classes/class_catalogue.h"
#include "classes/classed_feature.h"

#include <QHash>
#include <QMap>
#include <QString>
#include <QVariantMap>

#include <optional>

namespace digitrace {

// What a job knows of classes: its catalogue, the class chosen for the next feature, each
// feature's class and values, and the values the next feature of each class starts with.
class FeatureClasses {
public:
    const std::optional<ClassCatalogue> &catalogue() const { return catalogue_; }
    // The class the next feature takes; "" when none is chosen or no catalogue is in use.
    const QString &current() const { return current_; }
    const ClassedFeatures &features() const { return features_; }
    // What drawing, export and publishing are handed; not in use without a catalogue.
    TraceClasses forOutput() const {
        return catalogue_ ? TraceClasses{&*catalogue_, &features_} : TraceClasses{};
    }
    // The values the next feature of `className` starts with: the last ones of the class (or its
    // defaults), its stepped fields moved as asked.
    QVariantMap nextValues(const QString &className) const;

    // A catalogue taken: its first class is chosen. False, with nothing changed, when the text
    // does not read.
    bool useCatalogue(const QString &text);
    // False, with nothing changed, for a class the catalogue does not have.
    bool choose(const QString &className);
    // The next feature of the current class takes its stepped fields' last values plus (+1),
    // minus (-1) or equal to (0) their steps.
    void step(int direction);
    // A record at `slot` began a feature: it takes the current class.
    void featureStarted(int slot);
    // The record at `slot` was taken back: a feature it began is gone.
    void recordDropped(int slot) { features_.remove(slot); }
    // The feature begun at `from` is now begun at `to`: a start and the end that made it a point.
    void moveFeature(int from, int to) {
        if (const auto found = features_.constFind(from); found != features_.cend())
            features_.insert(to, features_.take(from));
    }
    // The features of a cleared or new trace are gone; those of a clear taken back come back.
    ClassedFeatures takeFeatures() { return std::exchange(features_, {}); }
    void restoreFeatures(ClassedFeatures features) { features_ = std::move(features); }
    // The feature begun at `slot` becomes one of `className`: it keeps the values that its new
    // class's fields of the same name read, the others take their defaults. False, with nothing
    // changed, when no classed feature begins there or the catalogue has no such class.
    bool changeClass(int slot, const QString &className);
    // Values entered for the feature begun at `slot`, kept as its class's last ones. False when
    // no classed feature begins there, or a value does not fit its field.
    bool setValues(int slot, const QVariantMap &values);

private:
    std::optional<ClassCatalogue> catalogue_;
    QString current_;
    ClassedFeatures features_;
    QHash<QString, QVariantMap> last_;     // by class, without null values
    QHash<QString, QVariantMap> defaults_; // by class
    QHash<QString, int> steps_;            // by class: the direction asked for its next feature
};

// The values as one text a journal entry keeps: a "name=value" line each, dates as yyyy-MM-dd.
QString valuesText(const QVariantMap &values);
// The values `text` gives for `featureClass`'s fields; nothing when a line does not read.
std::optional<QVariantMap> valuesFromText(const FeatureClass &featureClass, const QString &text);

} // namespace digitrace
