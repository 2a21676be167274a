#include "app/window/class_status.h"

#include "job/feature_classes.h"
#include "model/trace_store.h"

#include <QCoreApplication>
#include <QLocale>

namespace digitrace {
namespace {

QString valueText(const QVariant &value) {
    if (value.isNull())
        return QStringLiteral("—");
    if (value.typeId() == QMetaType::Double)
        return QLocale().toString(value.toDouble(), 'g', 15);
    return value.toString();
}

} // namespace

QString classStatusText(const FeatureClasses &classes, const TraceStore &store) {
    if (!classes.catalogue())
        return {};
    const auto open =
        store.SeqOpen ? classes.features().constFind(store.SeqStart) : classes.features().cend();
    const bool tracing = open != classes.features().cend();
    const QString className = tracing ? open->className : classes.current();
    const QVariantMap values = tracing ? open->values : classes.nextValues(className);
    QString text =
        tracing
            ? QCoreApplication::translate("digitrace::ClassFeature", "作図中: %1").arg(className)
            : QCoreApplication::translate("digitrace::ClassFeature", "次の地物: %1").arg(className);
    if (const FeatureClass *c = classes.catalogue()->find(className))
        for (const ClassField &field : c->fields)
            if (field.step > 0)
                return text + QStringLiteral("  %1 %2").arg(field.name,
                                                            valueText(values.value(field.name)));
    return text;
}

} // namespace digitrace
