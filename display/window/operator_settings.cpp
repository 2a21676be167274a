#include "display/window/operator_settings.h"

namespace digitrace {
namespace {

const QString kWindowGeometry = QStringLiteral("window/geometry");
const QString kLanguage = QStringLiteral("window/language");

} // namespace

// Named here rather than after the running program, so that tools and tests built on the window
// find the same file (tests switch QStandardPaths to its test mode first).
OperatorSettings::OperatorSettings()
    : settings_(QStringLiteral("digitrace"), QStringLiteral("digitrace")) {}

QByteArray OperatorSettings::windowGeometry() const {
    return settings_.value(kWindowGeometry).toByteArray();
}

void OperatorSettings::setWindowGeometry(const QByteArray &geometry) {
    if (geometry.isEmpty())
        settings_.remove(kWindowGeometry);
    else
        settings_.setValue(kWindowGeometry, geometry);
}

QString OperatorSettings::language() const {
    return settings_.value(kLanguage).toString();
}

void OperatorSettings::setLanguage(const QString &language) {
    settings_.setValue(kLanguage, language);
}

} // namespace digitrace
