#include "tools/replay/replay_options.h"

#include "acquisition/formats/format_option.h"
#include "export/dxf_export.h"
#include "export/publish_sql.h"
#include "job/journal_format.h"

#include <QCommandLineParser>
#include <QRegularExpression>
#include <QTextStream>

#include <cmath>

namespace digitrace {
namespace {

// The window's first drawing area, 8985 x 5205 twips, at 96 dpi.
constexpr QSize kDefaultAreaSize(599, 347);
constexpr int kLargestSide = 16384;

std::optional<QSize> parseSize(const QString &text) {
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,5})x(\\d{1,5})$"));
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const QSize size(m.captured(1).toInt(), m.captured(2).toInt());
    if (size.width() < 1 || size.height() < 1 || size.width() > kLargestSide ||
        size.height() > kLargestSide)
        return std::nullopt;
    return size;
}

} // namespace

void complain(const QString &message) {
    QTextStream(stderr) << "digitrace-replay: " << message << Qt::endl;
}

std::optional<ReplayOptions> parseReplayOptions(const QCoreApplication &app) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Feeds the raw bytes a digitizer tablet sent through the same receiver and trace model as "
        "a live connection, as fast as they can be read, and prints the trace's counters and the "
        "window's label texts (in the user's locale) after the last record."));
    parser.addHelpOption();
    parser.addPositionalArgument(
        QStringLiteral("capture"),
        QStringLiteral("Raw capture or job file (.dtjob) to replay; standard input when absent "
                       "or \"-\"."),
        QStringLiteral("[capture]"));
    const QCommandLineOption scale(QStringLiteral("scale"),
                                   QStringLiteral("Text of the scale box 1/<text>."),
                                   QStringLiteral("text"), QStringLiteral("1000"));
    const QCommandLineOption dxf(QStringLiteral("dxf"),
                                 QStringLiteral("Export the trace to <file> as the save button "
                                                "does."),
                                 QStringLiteral("file"));
    const QCommandLineOption dxfTemplate(
        QStringLiteral("template"),
        QStringLiteral("DXF header for --dxf; default the current directory's %1, else the "
                       "built-in one.")
            .arg(kDxfTemplateName),
        QStringLiteral("file"));
    const QCommandLineOption png(QStringLiteral("png"),
                                 QStringLiteral("Write the drawing area's picture after the last "
                                                "record to <file>."),
                                 QStringLiteral("file"));
    const QCommandLineOption size(
        QStringLiteral("size"),
        QStringLiteral("Size of the drawing area in pixels; it sets the view's fit too."),
        QStringLiteral("WxH"),
        QStringLiteral("%1x%2").arg(kDefaultAreaSize.width()).arg(kDefaultAreaSize.height()));
    const QCommandLineOption each(QStringLiteral("each"),
                                  QStringLiteral("Also print the values after every record "
                                                 "taken, tab-separated, one line each."));
    const QCommandLineOption classes(
        QStringLiteral("classes"),
        QStringLiteral("Trace a raw capture into the classes of this catalogue file: each "
                       "feature takes the class current when it starts; the features of each "
                       "class are counted after the trace's values."),
        QStringLiteral("file"));
    const QCommandLineOption menu(
        QStringLiteral("menu"),
        QStringLiteral("Read presses inside the tablet menu this file describes (with its area "
                       "on the tablet) as its cells' commands, never as records."),
        QStringLiteral("file"));
    const QCommandLineOption gis(
        QStringLiteral("gis"),
        QStringLiteral("Export the features to <file> for GIS (GeoPackage unless the extension or "
                       "--format says otherwise)."),
        QStringLiteral("file"));
    const QCommandLineOption format(
        QStringLiteral("format"),
        QStringLiteral("Format of --gis: %1.").arg(gisFormats().join(QStringLiteral(", "))),
        QStringLiteral("name"));
    const QCommandLineOption points(
        QStringLiteral("points"),
        QStringLiteral("Control points (CSV: name,tablet_x,tablet_y,map_x,map_y,used) that "
                       "register the sheet; without them --gis writes the sheet's metres."),
        QStringLiteral("file"));
    const QCommandLineOption transform(
        QStringLiteral("transform"),
        QStringLiteral("Transform fitted to the control points: similarity, affine or "
                       "projective."),
        QStringLiteral("kind"), QStringLiteral("affine"));
    const QCommandLineOption crs(
        QStringLiteral("crs"),
        QStringLiteral("Map coordinate system of the control points: EPSG:<code> or WKT of a "
                       "projected or geographic CRS. A control-point file with columns "
                       "map_north,map_east holds them northing first; map_x,map_y and "
                       "map_east,map_north easting first."),
        QStringLiteral("crs"));
    const QCommandLineOption tabletUnit = tabletUnitOption(TabletProgram::Replay);
    const QCommandLineOption publish(
        QStringLiteral("publish"),
        QStringLiteral("Publish the registered sheet's features to the PostgreSQL/PostGIS "
                       "database of a GDAL connection string \"PG:<conninfo>\" (password from "
                       "~/.pgpass or a service file). A capture needs --points."),
        QStringLiteral("connection"));
    const QCommandLineOption sheet(QStringLiteral("sheet"),
                                   QStringLiteral("Sheet name (map-series tile id) for --publish."),
                                   QStringLiteral("name"));
    const QCommandLineOption operatorName(
        QStringLiteral("operator"),
        QStringLiteral("Operator named with the published sheet; default the database login."),
        QStringLiteral("name"));
    const QCommandLineOption force(
        QStringLiteral("force"),
        QStringLiteral("Replace the sheet even when someone else published it last."));
    const QCommandLineOption live(
        QStringLiteral("live"),
        QStringLiteral("With --publish, feed a raw capture at <rate> records a second, or \"line\" "
                       "for the line's own speed (9600 baud), sending the sheet live as the "
                       "window does, and print each commit: live, revision, records, latency in "
                       "ms from its earliest new record."),
        QStringLiteral("rate"));
    parser.addOptions({scale, dxf, dxfTemplate, png, size, each, classes, menu, gis, format, points,
                       transform, crs, tabletUnit, publish, sheet, operatorName, force});
    parser.addOption(live);
    const QCommandLineOption edgeCheck(
        QStringLiteral("edge-check"),
        QStringLiteral("After --publish, match the ends of lines and polygons on the sheet's "
                       "published outline with those its neighbouring sheets published, within "
                       "the job's snapping tolerance (0.3 mm on the sheet when it has none): one "
                       "line an end, edge<TAB>matched|unmatched|neighbour-unmatched<TAB>x<TAB>y"
                       "<TAB>class<TAB>sheet, then the counts."));
    parser.addOption(edgeCheck);
    const QCommandLineOption snap(
        QStringLiteral("snap"),
        QStringLiteral("Snap the presses of a raw capture within <mm> on the sheet, as the window "
                       "does: to a vertex, else to a segment, a polygon's last vertex to its "
                       "start."),
        QStringLiteral("mm"));
    parser.addOption(snap);
    const TabletReadingOptions tabletReading;
    tabletReading.addTo(parser);
    const CheckOptions checking;
    checking.addTo(parser);
    parser.process(CheckOptions::spelled(app.arguments()));

    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1) {
        complain(QStringLiteral("one capture at a time"));
        return std::nullopt;
    }
    const std::optional<QSize> areaSize = parseSize(parser.value(size));
    if (!areaSize) {
        complain(QStringLiteral("--size wants WxH, each side 1 to %1 pixels, not \"%2\"")
                     .arg(kLargestSide)
                     .arg(parser.value(size)));
        return std::nullopt;
    }
    bool unitOk = false;
    const double unitMm = parser.value(tabletUnit).toDouble(&unitOk);
    if (!unitOk || !(unitMm > 0) || !std::isfinite(unitMm)) {
        complain(QStringLiteral("--tablet-unit needs a positive number of millimetres, not \"%1\"")
                     .arg(parser.value(tabletUnit)));
        return std::nullopt;
    }
    if (parser.isSet(dxfTemplate) && !parser.isSet(dxf)) {
        complain(QStringLiteral("--template is only read for --dxf"));
        return std::nullopt;
    }
    for (const QCommandLineOption *option : {&sheet, &operatorName, &force, &live, &edgeCheck})
        if (parser.isSet(*option) && !parser.isSet(publish)) {
            complain(
                QStringLiteral("--%1 is only read for --publish").arg(option->names().first()));
            return std::nullopt;
        }
    const bool registers = parser.isSet(gis) || parser.isSet(publish);
    for (const QCommandLineOption *option : {&format, &points, &transform, &crs})
        if (parser.isSet(*option) && (option == &format ? !parser.isSet(gis) : !registers)) {
            complain((option == &format
                          ? QStringLiteral("--%1 is only read for --gis")
                          : QStringLiteral("--%1 is only read for --gis or --publish"))
                         .arg(option->names().first()));
            return std::nullopt;
        }
    bool snapOk = !parser.isSet(snap);
    const double snapMm = snapOk ? 0 : parser.value(snap).toDouble(&snapOk);
    if (!snapOk || !isSaneSnapMm(snapMm) || (parser.isSet(snap) && snapMm == 0)) {
        complain(QStringLiteral("--snap needs millimetres on the sheet above 0 up to %1, not "
                                "\"%2\"")
                     .arg(kLargestSnapMm)
                     .arg(parser.value(snap)));
        return std::nullopt;
    }
    const std::optional<CheckRequest> check =
        checking.read(parser, parser.isSet(gis) || parser.isSet(publish));
    if (!check)
        return std::nullopt;
    std::optional<LivePace> pace;
    if (QString error; parser.isSet(live) && !(pace = readLivePace(parser.value(live), &error))) {
        complain(error);
        return std::nullopt;
    }
    ReplayOptions options{parser.value(scale),
                          positional.value(0, QStringLiteral("-")),
                          parser.value(dxf),
                          parser.value(dxfTemplate),
                          parser.value(png),
                          *areaSize,
                          parser.isSet(each),
                          {parser.value(gis), parser.value(format), parser.value(points),
                           parser.value(transform), parser.value(crs), unitMm},
                          {parser.value(publish), parser.value(sheet), parser.value(operatorName),
                           parser.isSet(force), parser.value(points), parser.value(transform),
                           parser.value(crs), std::nullopt},
                          tabletReading.read(parser),
                          parser.value(classes),
                          parser.value(menu)};
    options.live = pace;
    options.snapMm = snapMm;
    options.edgeCheck = parser.isSet(edgeCheck);
    options.check = *check;
    return options;
}

} // namespace digitrace
