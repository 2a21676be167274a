#include "job/feature_classes.h"

#include <QDate>

namespace digitrace {
namespace {

QString valueText(const QVariant &value) {
    if (value.typeId() == QMetaType::QDate)
        return value.toDate().toString(Qt::ISODate);
    if (value.typeId() == QMetaType::Double)
        return QString::number(value.toDouble(), 'g', 17);
    return value.toString();
}

} // namespace

QVariantMap FeatureClasses::nextValues(const QString &className) const {
    const auto last = last_.constFind(className);
    // The first feature of a class takes the defaults, whatever was asked.
    if (last == last_.cend())
        return defaults_.value(className);
    const int direction = steps_.value(className, 0);
    const FeatureClass *featureClass = catalogue_->find(className);
    if (direction == 0 || !featureClass)
        return *last; // shared, not copied: most features take the last values as they are
    QVariantMap values = *last;
    for (const ClassField &field : featureClass->fields) {
        const auto value = values.find(field.name);
        if (field.step <= 0 || value == values.end())
            continue;
        const double moved = value->toDouble() + direction * field.step;
        *value =
            field.type == ClassField::Type::Integer ? QVariant(qlonglong(moved)) : QVariant(moved);
    }
    return values;
}

bool FeatureClasses::useCatalogue(const QString &text) {
    std::optional<ClassCatalogue> catalogue = ClassCatalogue::read(text);
    if (!catalogue)
        return false;
    catalogue_ = std::move(catalogue);
    current_ = catalogue_->classes().front().name;
    last_.clear();
    steps_.clear();
    defaults_.clear();
    for (const FeatureClass &featureClass : catalogue_->classes()) {
        QVariantMap values;
        for (const ClassField &field : featureClass.fields)
            if (!field.defaultValue.isNull())
                values.insert(field.name, field.defaultValue);
        defaults_.insert(featureClass.name, values);
    }
    return true;
}

bool FeatureClasses::choose(const QString &className) {
    if (!catalogue_ || !catalogue_->find(className))
        return false;
    current_ = className;
    return true;
}

void FeatureClasses::step(int direction) {
    if (!current_.isEmpty())
        steps_.insert(current_, direction);
}

void FeatureClasses::featureStarted(int slot) {
    if (current_.isEmpty())
        return;
    const QVariantMap values = nextValues(current_);
    features_.insert(slot, {current_, values});
    last_.insert(current_, values);
    steps_.remove(current_);
}

bool FeatureClasses::changeClass(int slot, const QString &className) {
    const auto feature = features_.find(slot);
    const FeatureClass *featureClass = catalogue_ ? catalogue_->find(className) : nullptr;
    if (feature == features_.end() || !featureClass)
        return false;
    QVariantMap values = defaults_.value(className);
    for (const ClassField &field : featureClass->fields) {
        const auto kept = feature->values.constFind(field.name);
        if (kept == feature->values.cend())
            continue;
        // Read as the new field reads it: a value that does not fit takes the default.
        if (const std::optional<QVariant> read = field.read(valueText(*kept));
            read && !read->isNull())
            values.insert(field.name, *read);
    }
    *feature = {className, values};
    return true;
}

bool FeatureClasses::setValues(int slot, const QVariantMap &values) {
    const auto feature = features_.find(slot);
    if (feature == features_.end())
        return false;
    for (auto v = values.cbegin(); v != values.cend(); ++v)
        feature->values.insert(v.key(), v.value());
    // The next feature starts with the values given, an emptied one left out.
    QVariantMap kept = feature->values;
    kept.removeIf([](const auto &v) { return v.value().isNull(); });
    last_.insert(feature->className, kept);
    return true;
}

QString valuesText(const QVariantMap &values) {
    QString text;
    for (auto v = values.cbegin(); v != values.cend(); ++v)
        text += v.key() + u'=' + valueText(v.value()) + u'\n';
    return text;
}

std::optional<QVariantMap> valuesFromText(const FeatureClass &featureClass, const QString &text) {
    QVariantMap values;
    for (const QStringView line : QStringView(text).split(u'\n', Qt::SkipEmptyParts)) {
        const qsizetype equals = line.indexOf(u'=');
        const ClassField *field =
            equals < 0 ? nullptr : featureClass.field(line.first(equals).toString());
        if (!field)
            return std::nullopt;
        const std::optional<QVariant> value = field->read(line.sliced(equals + 1).toString());
        if (!value)
            return std::nullopt;
        values.insert(field->name, *value);
    }
    return values;
}

} // namespace digitrace
