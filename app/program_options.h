#pragma once

#include "app/window/port_choice.h"

#include <QString>
#include <QStringList>

namespace digitrace {

struct ProgramOptions {
    QString portName;    // empty: port 1
    bool demo = false;   // the simulated tablet instead of a port
    QString demoCapture; // empty: the bundled sample sheet
    bool unattended = false;
    double speed = 1.0;        // demo playback, times the line rate
    double tabletUnitMm = 1.0; // millimetres per tablet unit
    QString dxfPath;           // unattended: save here when the capture has been played
    QString pngPath;           // unattended: picture of the whole window
    QString language;          // of the user interface; empty: the one chosen in the window
    QString sheet;             // the job's sheet name, journalled; empty: the job's own
    bool exitNow = false;      // --help or --version was answered, or the options were wrong
    int exitCode = 0;
    // --tablet-unit was given: it overrides the unit kept for the next start.
    bool tabletUnitSet = false;
    // --tablet-format: a format's name that overrides the one kept for the next start; empty when
    // not given.
    QString tabletFormat;
    // --snap: presses snap within this many millimetres on the sheet, journalled; 0 when not given.
    double snapMm = 0;
};

// Reads the command line; answers --help and --version itself (on standard output) and reports
// wrong options on standard error.
ProgramOptions parseProgramOptions(const QStringList &arguments);

// The port this run uses: the one kept for the next start, with what the command line says for
// this run only (--port, --tablet-unit).
PortChoice portChoiceForRun(PortChoice kept, const ProgramOptions &options);

} // namespace digitrace
