#pragma once

#include "acquisition/formats/tablet_format.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>

#include <optional>

namespace digitrace {

// The format a command line names: a built-in name, or "custom" with the file of its layout.
// Nothing, with `error` saying why, when the name is unknown or the layout does not read.
std::optional<TabletFormat> formatFromCommandLine(const QString &name, const QString &layoutPath,
                                                  QString *error);

// The programs whose command lines speak of the tablet. The options are declared here once; each
// program keeps the names and help texts it has always had (the simulator says --format where
// the others say --tablet-format).
enum class TabletProgram {
    Tracing,   // digitrace
    Replay,    // digitrace-replay
    Simulator, // digitizer-sim
};

// Every format's name, the site's layout last.
QStringList tabletFormatNames();
// --tablet-format, or the simulator's --format, naming the registry's formats.
QCommandLineOption tabletFormatOption(TabletProgram program);
// --tablet-unit: millimetres per tablet count.
QCommandLineOption tabletUnitOption(TabletProgram program);
// --speed: playback as a multiple of the line rate, for the programs that play a capture live.
QCommandLineOption playbackSpeedOption(TabletProgram program);

// What a command line says of the tablet's bytes: the format's name, a custom layout's file and
// a button table, as given.
struct TabletFormatArguments {
    QString formatName = QStringLiteral("fixed19"); // or "auto", where the program detects it
    QString layoutPath;
    QString buttons;
};

// --tablet-format (--format), --layout and --buttons, for the programs that read or send a
// tablet's bytes from a file.
class TabletFormatOptions {
public:
    explicit TabletFormatOptions(TabletProgram program);
    void addTo(QCommandLineParser &parser) const;
    TabletFormatArguments read(const QCommandLineParser &parser) const;
    bool buttonsGiven(const QCommandLineParser &parser) const { return parser.isSet(buttons_); }

private:
    QCommandLineOption format_;
    QCommandLineOption layout_;
    QCommandLineOption buttons_;
};

// The table --buttons gives; nothing, with `error` saying why, when it does not read.
std::optional<ButtonTable> buttonsFromCommandLine(const QString &table, QString *error);
// Why --buttons is refused for `format`, whose records carry their codes; empty when it is read.
QString buttonsNotRead(const TabletFormat &format);

} // namespace digitrace
