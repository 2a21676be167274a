#include "display/window/operator_settings.h"

#include "registration/registration.h"

namespace digitrace {
namespace {

const QString kWindowGeometry = QStringLiteral("window/geometry");
const QString kLastRegistration = QStringLiteral("registration/last");

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

std::optional<Registration> OperatorSettings::lastRegistration() const {
    return parseRegistrationText(settings_.value(kLastRegistration).toString());
}

void OperatorSettings::setLastRegistration(const Registration &registration) {
    settings_.setValue(kLastRegistration, registrationText(registration));
}

} // namespace digitrace
