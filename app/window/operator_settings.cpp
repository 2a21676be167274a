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
const QString kFormatName = QStringLiteral("port/format");
const QString kFormatStrict = QStringLiteral("port/formatStrict");
const QString kFormatButtons = QStringLiteral("port/formatButtons");
const QString kFormatLayout = QStringLiteral("port/formatLayout");
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
    choice.format = tabletFormat();
    return choice;
}

// Each value kept that does not read falls back to its default alone; a custom format whose
// layout does not read falls back to the designed record, since it could read nothing right.
TabletFormat OperatorSettings::tabletFormat() const {
    const QString name = settings_.value(kFormatName).toString();
    const std::optional<FormatKind> kind = formatKindFromName(name);
    if (!kind)
        return {};
    TabletFormat format = TabletFormat::named(name).value_or(TabletFormat{});
    format.kind = *kind;
    const QString strict = settings_.value(kFormatStrict).toString();
    if (strict == QLatin1String("true") || strict == QLatin1String("false"))
        format.strict = strict == QLatin1String("true");
    // An empty table is a choice too (every button ignored); a missing one is not.
    if (settings_.contains(kFormatButtons))
        if (const auto buttons = ButtonTable::fromText(settings_.value(kFormatButtons).toString()))
            format.buttons = *buttons;
    const QByteArray layoutText = settings_.value(kFormatLayout).toString().toUtf8();
    if (const auto layout = CustomLayout::fromText(layoutText, nullptr))
        format.layout = *layout;
    else if (*kind == FormatKind::Custom)
        return {};
    return format;
}

void OperatorSettings::setPortChoice(const PortChoice &choice) {
    settings_.setValue(kPortName, choice.portName);
    settings_.setValue(kPortLine, choice.line.toText());
    settings_.setValue(kTabletUnit, choice.tabletUnitMm);
    settings_.setValue(kFormatName, choice.format.name());
    settings_.setValue(kFormatStrict, choice.format.strict);
    settings_.setValue(kFormatButtons, choice.format.buttons.toText());
    settings_.setValue(kFormatLayout, QString::fromUtf8(choice.format.layout.toText()));
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
    // A masked password would be taken for one at the next publish: the field goes whole, in the
    // keyword form, a URI's user:password@ and its ?password= alike.
    static const QRegularExpression keyword(
        QStringLiteral("\\s*\\bpassword\\s*=\\s*('(?:[^'\\\\]|\\\\.)*'|\\S*)"));
    static const QRegularExpression userInfo(
        QStringLiteral("^(\\s*(?:PG:)?\\s*postgres(?:ql)?://[^:@/?]*):[^@/?]*@"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression query(QStringLiteral("([?&])password=[^&]*(&|$)"));
    QString kept = connection;
    const bool uri = userInfo.match(kept).hasMatch() ||
                     kept.contains(QStringLiteral("://"), Qt::CaseInsensitive);
    if (uri) {
        kept.replace(userInfo, QStringLiteral("\\1@"));
        kept.replace(query, QStringLiteral("\\1"));
        if (kept.endsWith(u'?') || kept.endsWith(u'&'))
            kept.chop(1);
    } else {
        kept.remove(keyword);
    }
    settings_.setValue(kPublishConnection, kept.trimmed());
}

QString OperatorSettings::publishOperator() const {
    return settings_.value(kPublishOperator).toString();
}

void OperatorSettings::setPublishOperator(const QString &name) {
    settings_.setValue(kPublishOperator, name);
}

} // namespace digitrace
