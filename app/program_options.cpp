#include "app/program_options.h"

#include "acquisition/formats/format_option.h"
#include "acquisition/formats/format_registry.h"
#include "export/publish_sql.h"
#include "i18n/languages.h"
#include "job/journal_format.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

namespace digitrace {
namespace {

// "--demo" may stand alone or carry a capture as "--demo=FILE" or "--demo FILE"; the parser wants
// a value, so a bare one gets an empty value. A following argument that is not an option is its
// file: the program takes no other arguments.
QStringList withDemoValue(const QStringList &arguments) {
    QStringList out;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        if (a == QLatin1String("--")) {
            out += arguments.mid(i);
            break;
        }
        if (i == 0 || (a != QLatin1String("--demo") && a != QLatin1String("-demo"))) {
            out << a;
            continue;
        }
        const bool fileFollows = i + 1 < arguments.size() && !arguments[i + 1].startsWith(u'-');
        out << QStringLiteral("--demo=") + (fileFollows ? arguments[++i] : QString());
    }
    return out;
}

} // namespace

ProgramOptions parseProgramOptions(const QStringList &arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Traces paper maps and drawings with a serial digitizer tablet."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("Serial device of the tablet (default: port 1, "
                                                 "/dev/ttyS0 or COM1)."),
                                  QStringLiteral("DEVICE"));
    const QCommandLineOption demo(QStringLiteral("demo"),
                                  QStringLiteral("Use the simulated tablet, playing FILE (a raw "
                                                 "capture) or, without FILE, the sample sheet."),
                                  QStringLiteral("FILE"));
    const QCommandLineOption unattended(
        QStringLiteral("unattended"),
        QStringLiteral("With --demo: connect at start; when the capture has been played, "
                       "disconnect, save and picture as asked, print the results and quit."));
    const QCommandLineOption speed = playbackSpeedOption(TabletProgram::Tracing);
    const QCommandLineOption dxf(QStringLiteral("dxf"),
                                 QStringLiteral("Unattended: save the trace as this DXF file."),
                                 QStringLiteral("FILE"));
    const QCommandLineOption png(QStringLiteral("png"),
                                 QStringLiteral("Unattended: write a picture of the window."),
                                 QStringLiteral("FILE"));
    const QCommandLineOption tabletUnit = tabletUnitOption(TabletProgram::Tracing);
    const QCommandLineOption language(
        QStringLiteral("lang"),
        QStringLiteral("Language of the window: %1 (default: the one chosen in the window, "
                       "else ja).")
            .arg(uiLanguages().join(QStringLiteral(", "))),
        QStringLiteral("LANG"));
    const QCommandLineOption sheet(
        QStringLiteral("sheet"),
        QStringLiteral("Sheet name (map-series tile id) of the job, as published to the shared "
                       "database."),
        QStringLiteral("NAME"));
    const QCommandLineOption tabletFormat = tabletFormatOption(TabletProgram::Tracing);
    const QCommandLineOption snap(
        QStringLiteral("snap"),
        QStringLiteral("Snap presses within MM millimetres on the sheet to what is traced "
                       "already; journalled as the job's setting."),
        QStringLiteral("MM"));
    parser.addOptions(
        {port, demo, unattended, speed, dxf, png, tabletUnit, tabletFormat, language, sheet, snap});

    // Before the application object exists the parser cannot name the program.
    const QString helpText = parser.helpText().replace(QLatin1String("<executable_name>"),
                                                       QCoreApplication::applicationName());
    ProgramOptions o;
    auto fail = [&](const QString &message) {
        QTextStream(stderr) << message << "\n" << helpText;
        o.exitNow = true;
        o.exitCode = 2;
        return o;
    };
    if (!parser.parse(withDemoValue(arguments)))
        return fail(parser.errorText());
    const bool wantsHelp = parser.isSet(help) || parser.isSet(QStringLiteral("help-all"));
    if (wantsHelp || parser.isSet(version)) {
        QTextStream(stdout) << (wantsHelp ? helpText
                                          : QCoreApplication::applicationName() + u' ' +
                                                QCoreApplication::applicationVersion() + u'\n');
        o.exitNow = true;
        return o;
    }
    if (!parser.positionalArguments().isEmpty())
        return fail(
            QStringLiteral("Unexpected argument: %1").arg(parser.positionalArguments().first()));
    o.portName = parser.value(port);
    o.demo = parser.isSet(demo);
    o.demoCapture = parser.value(demo);
    o.unattended = parser.isSet(unattended);
    bool speedOk = false;
    o.speed = parser.value(speed).toDouble(&speedOk);
    if (!speedOk || o.speed <= 0)
        return fail(QStringLiteral("--speed needs a positive number, not \"%1\".")
                        .arg(parser.value(speed)));
    bool unitOk = false;
    o.tabletUnitMm = parser.value(tabletUnit).toDouble(&unitOk);
    // A unit the journal would refuse at the next restore is refused now.
    if (!unitOk || !isSaneTabletUnit(o.tabletUnitMm))
        return fail(QStringLiteral("--tablet-unit needs a positive number of millimetres up to "
                                   "%1, not \"%2\".")
                        .arg(kLargestTabletUnitMm)
                        .arg(parser.value(tabletUnit)));
    o.tabletUnitSet = parser.isSet(tabletUnit);
    o.tabletFormat = parser.value(tabletFormat);
    if (parser.isSet(tabletFormat) && !tabletFormatNames().contains(o.tabletFormat))
        return fail(QStringLiteral("--tablet-format is one of %1, not \"%2\".")
                        .arg(tabletFormatNames().join(QStringLiteral(", ")), o.tabletFormat));
    o.language = parser.value(language);
    if (parser.isSet(language) && !uiLanguages().contains(o.language))
        return fail(QStringLiteral("--lang is one of %1, not \"%2\".")
                        .arg(uiLanguages().join(QStringLiteral(", ")), o.language));
    o.sheet = parser.value(sheet);
    if (parser.isSet(sheet))
        if (const QString refused = checkSheetName(o.sheet); !refused.isEmpty())
            return fail(QStringLiteral("--sheet: %1").arg(refused));
    if (parser.isSet(snap)) {
        bool snapOk = false;
        o.snapMm = parser.value(snap).toDouble(&snapOk);
        if (!snapOk || !isSaneSnapMm(o.snapMm) || o.snapMm == 0)
            return fail(QStringLiteral("--snap needs millimetres on the sheet above 0 up to %1, "
                                       "not \"%2\".")
                            .arg(kLargestSnapMm)
                            .arg(parser.value(snap)));
    }
    o.dxfPath = parser.value(dxf);
    o.pngPath = parser.value(png);
    if (o.unattended && !o.demo)
        return fail(QStringLiteral("--unattended plays the simulated tablet: add --demo."));
    if (o.demo && !o.portName.isEmpty())
        return fail(QStringLiteral("--port and --demo exclude each other."));
    return o;
}

PortChoice portChoiceForRun(PortChoice kept, const ProgramOptions &options) {
    if (!options.portName.isEmpty())
        kept.portName = options.portName;
    if (options.tabletUnitSet)
        kept.tabletUnitMm = options.tabletUnitMm;
    if (options.tabletFormat.isEmpty() || options.tabletFormat == kept.format.name())
        return kept;
    // Another format with its usual strictness; the site's buttons and layout stay.
    const TabletFormatDescription &d = describe(*formatKindFromName(options.tabletFormat));
    kept.format = {d.kind, d.strict, kept.format.buttons, kept.format.layout};
    return kept;
}

} // namespace digitrace
