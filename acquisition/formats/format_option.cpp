#include "acquisition/formats/format_option.h"

#include "acquisition/formats/format_registry.h"

#include <QFile>
#include <QFileInfo>

namespace digitrace {
namespace {

// A layout is a few lines; anything much larger is not one.
constexpr qint64 kLargestLayoutFile = 64 * 1024;

} // namespace

std::optional<TabletFormat> formatFromCommandLine(const QString &name, const QString &layoutPath,
                                                  QString *error) {
    if (name != QLatin1StringView("custom")) {
        if (!layoutPath.isEmpty()) {
            *error = QStringLiteral("a layout file is only read for the format custom");
            return std::nullopt;
        }
        std::optional<TabletFormat> format = TabletFormat::named(name);
        if (!format)
            *error = QStringLiteral("unknown tablet format \"%1\"; known: %2, custom")
                         .arg(name, builtInFormatNames().join(QStringLiteral(", ")));
        return format;
    }
    if (layoutPath.isEmpty()) {
        *error = QStringLiteral("the format custom needs a layout file");
        return std::nullopt;
    }
    // A pipe or a device would block the reading or never end.
    if (const QFileInfo info(layoutPath); info.exists() && !info.isFile()) {
        *error = QStringLiteral("cannot read the layout %1: not a regular file").arg(layoutPath);
        return std::nullopt;
    }
    QFile file(layoutPath);
    if (!file.open(QIODevice::ReadOnly)) {
        *error =
            QStringLiteral("cannot read the layout %1: %2").arg(layoutPath, file.errorString());
        return std::nullopt;
    }
    const QByteArray text = file.read(kLargestLayoutFile + 1);
    if (text.size() > kLargestLayoutFile) {
        *error = QStringLiteral("the layout %1 is larger than %2 bytes: not a layout")
                     .arg(layoutPath)
                     .arg(kLargestLayoutFile);
        return std::nullopt;
    }
    QString why;
    const std::optional<CustomLayout> layout = CustomLayout::fromText(text, &why);
    if (!layout) {
        *error = QStringLiteral("the layout %1 does not read: %2").arg(layoutPath, why);
        return std::nullopt;
    }
    TabletFormat format;
    format.kind = FormatKind::Custom;
    format.strict = true;
    format.layout = *layout;
    return format;
}

namespace {

// The names after fixed19, the default, which the help names first by itself.
QString namesAfterTheDefault() {
    return builtInFormatNames().mid(1).join(QStringLiteral(", "));
}

} // namespace

QStringList tabletFormatNames() {
    QStringList names;
    for (const TabletFormatDescription *d : tabletFormats())
        names << d->name;
    return names;
}

QCommandLineOption tabletFormatOption(TabletProgram program) {
    switch (program) {
    case TabletProgram::Tracing:
        return {QStringLiteral("tablet-format"),
                QStringLiteral("Record format the tablet sends: %1 (default: the one chosen in "
                               "the port settings, else fixed19; custom reads the layout kept "
                               "there).")
                    .arg(tabletFormatNames().join(QStringLiteral(", "))),
                QStringLiteral("NAME")};
    case TabletProgram::Replay:
        return {QStringLiteral("tablet-format"),
                QStringLiteral("Read the capture as a tablet of this format sends it: fixed19 "
                               "(the default), %1, custom (with --layout) or auto (detected from "
                               "the first bytes, then kept).")
                    .arg(namesAfterTheDefault()),
                QStringLiteral("name"), QStringLiteral("fixed19")};
    case TabletProgram::Simulator:
        break;
    }
    return {QStringLiteral("format"),
            QStringLiteral("Send the capture's records as a tablet of this format does: fixed19 "
                           "(as they are; the default), %1, or custom with --layout.")
                .arg(namesAfterTheDefault()),
            QStringLiteral("name"), QStringLiteral("fixed19")};
}

QCommandLineOption tabletUnitOption(TabletProgram program) {
    return {QStringLiteral("tablet-unit"),
            QStringLiteral("Millimetres per tablet unit, for tablets that count in 0.1 mm (0.1), "
                           "0.01 mm or 0.001 inch (0.0254). Default 1."),
            program == TabletProgram::Tracing ? QStringLiteral("MM") : QStringLiteral("mm"),
            QStringLiteral("1")};
}

QCommandLineOption playbackSpeedOption(TabletProgram program) {
    if (program == TabletProgram::Simulator)
        return {{QStringLiteral("s"), QStringLiteral("speed")},
                QStringLiteral("Play <factor> times faster than the line rate."),
                QStringLiteral("factor"),
                QStringLiteral("1")};
    return {QStringLiteral("speed"),
            QStringLiteral("Demo playback speed as a multiple of the line rate (default 1)."),
            QStringLiteral("FACTOR"), QStringLiteral("1")};
}

TabletFormatOptions::TabletFormatOptions(TabletProgram program)
    : format_(tabletFormatOption(program)),
      layout_(QStringLiteral("layout"),
              program == TabletProgram::Simulator
                  ? QStringLiteral("The layout file of the format custom.")
                  : QStringLiteral("The layout file of the tablet format custom."),
              QStringLiteral("file")),
      buttons_(QStringLiteral("buttons"),
               QStringLiteral("Which button gives which code, e.g. \"1=1 2=2 10=0\"; default: "
                              "button n gives code n for 1 to 9%1")
                   .arg(program == TabletProgram::Simulator
                            ? QStringLiteral(", and a code no button gives is sent with another "
                                             "button, told with the table to read it with.")
                            : QStringLiteral(".")),
               QStringLiteral("table")) {}

void TabletFormatOptions::addTo(QCommandLineParser &parser) const {
    parser.addOptions({format_, layout_, buttons_});
}

TabletFormatArguments TabletFormatOptions::read(const QCommandLineParser &parser) const {
    return {parser.value(format_), parser.value(layout_), parser.value(buttons_)};
}

std::optional<ButtonTable> buttonsFromCommandLine(const QString &table, QString *error) {
    QString why;
    std::optional<ButtonTable> buttons = ButtonTable::fromText(table, &why);
    if (!buttons)
        *error = QStringLiteral("--buttons wants pairs of button (0-16) and code (0-9) such as "
                                "\"1=1 10=0\", each button once, not \"%1\": %2")
                     .arg(table, why);
    return buttons;
}

QString buttonsNotRead(const TabletFormat &format) {
    if (!describe(format.kind).carriesCodes)
        return {};
    return QStringLiteral("--buttons is not read for %1, whose records carry their codes")
        .arg(format.name());
}

} // namespace digitrace
