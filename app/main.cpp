#include "acquisition/qt_serial_port.h"
#include "acquisition/simulated_port.h"
#include "app/program_options.h"
#include "app/unattended_demo.h"
#include "app/window/frm_trace1.h"
#include "app/window/job_files.h"
#include "app/window/operator_settings.h"
#include "app/window/port_feature.h"
#include "app/window/sheet_registration.h"
#include "i18n/languages.h"

#include <QApplication>
#include <QIcon>
#include <QTextStream>

#include <algorithm>
#include <memory>
#include <utility>

using namespace digitrace;

namespace {

std::unique_ptr<SerialPort> makePort(const ProgramOptions &o) {
    if (!o.demo) {
        auto port = std::make_unique<QtSerialPort>();
        port->setPortName(o.portName.isEmpty() ? defaultPortName() : o.portName);
        return port;
    }
    std::unique_ptr<SimulatedPort> port;
    if (o.demoCapture.isEmpty()) {
        port = std::make_unique<SimulatedPort>(SimulatedPort::bundledSample());
    } else {
        QString error;
        std::unique_ptr<QIODevice> capture = SimulatedPort::openCapture(o.demoCapture, &error);
        if (!capture) {
            QTextStream(stderr) << "Cannot read the capture " << o.demoCapture << ": " << error
                                << Qt::endl;
            return nullptr;
        }
        port = std::make_unique<SimulatedPort>(std::move(capture));
    }
    port->setSpeedFactor(o.speed);
    return port;
}

} // namespace

int main(int argc, char *argv[]) {
    QApplication::setApplicationName(QStringLiteral("digitrace"));
    QApplication::setApplicationVersion(QStringLiteral(DIGITRACE_VERSION));
    // --help and --version need no display: answer them before the GUI starts.
    QStringList rawArguments;
    for (int i = 0; i < argc; ++i)
        rawArguments << QString::fromLocal8Bit(argv[i]);
    const QStringList answeredEarly = {"-h", "--help", "-?", "--help-all", "-v", "--version"};
    if (std::any_of(rawArguments.begin(), rawArguments.end(),
                    [&](const QString &a) { return answeredEarly.contains(a); }))
        return parseProgramOptions(rawArguments).exitCode;
    const bool unattended = rawArguments.contains(QStringLiteral("--unattended"));
    const bool hasDisplay =
        qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
    if (unattended && !hasDisplay && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/digitrace/icons/digitrace-%1.png").arg(size));
    QApplication::setWindowIcon(icon);
    // Parsed after QApplication, which takes its own options (-platform, ...) out first.
    const ProgramOptions options = parseProgramOptions(QApplication::arguments());
    if (options.exitNow)
        return options.exitCode;
    // --lang, else the operator's choice in the window, else the designed Japanese.
    QString language = options.language;
    if (language.isEmpty())
        language = OperatorSettings().language();
    if (language.isEmpty())
        language = kJapanese;
    for (const QString &missing : installTranslations(language))
        QTextStream(stderr) << "No translation " << missing << Qt::endl;
    std::unique_ptr<SerialPort> port = makePort(options);
    if (!port)
        return 2;

    // The demo plays its own sheet: the operator's port and unit are no part of it.
    const PortChoice portChoice =
        portChoiceForRun(options.demo ? PortChoice{} : OperatorSettings().portChoice(), options);
    TraceModel model;
    model.setTabletUnitMm(portChoice.tabletUnitMm);
    std::unique_ptr<UnattendedDialogs> dialogs;
    if (options.unattended)
        dialogs = std::make_unique<UnattendedDialogs>(options.dxfPath);
    frmTrace1 window(model, *port, dialogs.get());
    if (!options.demo) {
        window.features().port.usePortChoice(portChoice);
    } else if (!options.tabletFormat.isEmpty()) {
        // A demo capture in another format: the simulated tablet keeps its own name.
        PortChoice demoChoice = portChoice;
        demoChoice.portName = port->portName();
        window.features().port.usePortChoice(demoChoice);
    }
    window.show();
    // The demo journals its own run but never takes over, or offers, another window's job.
    window.features().jobFiles.attachJournal(options.unattended
                                                 ? JournalSlot::Choice::AvoidUnsaved
                                                 : JournalSlot::Choice::PreferUnsaved);
    if (!options.sheet.isEmpty())
        window.features().sheet.nameSheet(options.sheet);
    if (options.snapMm > 0)
        window.features().session.setSnapping(options.snapMm);

    std::unique_ptr<UnattendedDemo> demo;
    if (options.unattended) {
        demo = std::make_unique<UnattendedDemo>(window, static_cast<SimulatedPort &>(*port),
                                                *dialogs, options.dxfPath, options.pngPath);
        demo->start();
    }
    return QApplication::exec();
}
