#pragma once

#include "tools/replay/check_output.h"
#include "tools/replay/gis_output.h"
#include "tools/replay/live_output.h"
#include "tools/replay/publish_output.h"
#include "tools/replay/tablet_reading.h"

#include <QCoreApplication>
#include <QSize>
#include <QString>

#include <optional>

namespace digitrace {

// What digitrace-replay is asked to do.
struct ReplayOptions {
    QString scaleText;
    QString capturePath; // "-" for standard input
    QString dxfPath;
    QString templatePath;
    QString pngPath;
    QSize areaSize;
    bool each = false;
    GisRequest gis;
    PublishRequest publish;
    TabletReading tablet;
    QString classesPath;            // a class catalogue to trace a raw capture into
    QString menuPath;               // a tablet menu whose cells a raw capture's presses may name
    double snapMm = 0;              // --snap: presses snap within this on the sheet; 0: off
    std::optional<LivePace> live{}; // --publish while the capture is fed at this pace
    bool edgeCheck = false;         // the published sheet's ends matched with its neighbours'
    CheckRequest check{};
};

// Tells the user on standard error, naming the program.
void complain(const QString &message);

// Parses the command line; exits for --help and for options it does not know. Nothing, with the
// reason told, when an option does not read.
std::optional<ReplayOptions> parseReplayOptions(const QCoreApplication &app);

} // namespace digitrace
