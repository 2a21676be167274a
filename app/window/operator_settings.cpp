#include "app/window/operator_settings.h"

#include "export/sheet_publisher.h"
#include "registration/registration.h"

#include <QRegularExpression>

#include <cmath>

namespace digitrace {
namespace {

const QString kWindowGeometry = QStringLiteral("window/geometry");
const QString kLastRegistration = QStringLiteral("registration/last");
const QString kWindowState = QStringLiteral("window/state");
const QString kPortName = QStringLiteral("port/name");
const QString kPortLine = QStringLiteral("port/line");
const QString kTabletUnit = QStringLiteral("port/tabletUnitMm");
const QString kLanguage = QStringLiteral("window/language");
const QString kLastScale = QStringLiteral("window/lastScale");
const QString kPublishConnection = QStringLiteral("publish/connection");
const QString kPublishOperator = QStringLiteral("publish/operator");

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

QString OperatorSettings::lastScale() const {
    return settings_.value(kLastScale).toString();
}

void OperatorSettings::setLastScale(const QString &scaleText) {
    if (scaleText.isEmpty())
        settings_.remove(kLastScale);
    else
        settings_.setValue(kLastScale, scaleText);
}

std::optional<Registration> OperatorSettings::lastRegistration() const {
    return parseRegistrationText(settings_.value(kLastRegistration).toString());
}

void OperatorSettings::setLastRegistration(const Registration &registration) {
    settings_.setValue(kLastRegistration, registrationText(registration));
}

QByteArray OperatorSettings::windowState() const {
    return settings_.value(kWindowState).toByteArray();
}

void OperatorSettings::setWindowState(const QByteArray &state) {
    settings_.setValue(kWindowState, state);
}

PortChoice OperatorSettings::portChoice() const {
    PortChoice choice;
    choice.portName = settings_.value(kPortName).toString();
    if (const auto line = LineSettings::fromText(settings_.value(kPortLine).toString()))
        choice.line = *line;
    bool ok = false;
    const double mm = settings_.value(kTabletUnit).toDouble(&ok);
    if (ok && mm > 0 && std::isfinite(mm))
        choice.tabletUnitMm = mm;
    return choice;
}

void OperatorSettings::setPortChoice(const PortChoice &choice) {
    settings_.setValue(kPortName, choice.portName);
    settings_.setValue(kPortLine, choice.line.toText());
    settings_.setValue(kTabletUnit, choice.tabletUnitMm);
}

QString OperatorSettings::language() const {
    return settings_.value(kLanguage).toString();
}

void OperatorSettings::setLanguage(const QString &language) {
    settings_.setValue(kLanguage, language);
}

QString OperatorSettings::publishConnection() const {
    return settings_.value(kPublishConnection).toString();
}

void OperatorSettings::setPublishConnection(const QString &connection) {
    // The masked password would be taken for one at the next publish: the field goes whole.
    static const QRegularExpression masked(QStringLiteral("\\s*password\\s*=\\s*\\*\\*\\*"));
    settings_.setValue(kPublishConnection,
                       connectionWithoutPassword(connection).remove(masked).trimmed());
}

QString OperatorSettings::publishOperator() const {
    return settings_.value(kPublishOperator).toString();
}

void OperatorSettings::setPublishOperator(const QString &name) {
    settings_.setValue(kPublishOperator, name);
}

} // namespace digitrace
