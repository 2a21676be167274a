#pragma once

#include "acquisition/formats/tablet_decoder.h"
#include "acquisition/formats/tablet_encoder.h"
#include "acquisition/formats/tablet_format.h"

#include <QLatin1StringView>
#include <QList>
#include <QString>

#include <memory>

namespace digitrace {

// One tablet format, described once, in its own file beside its decoder and encoder. The port
// settings, detection, the simulator, the replay and the README's table read these; adding a
// format is its file and a line in format_registry.cpp.
struct TabletFormatDescription {
    FormatKind kind = FormatKind::Fixed19;
    // On the command line, in the settings and in the journal.
    QLatin1StringView name;
    // What the port settings show for it, in the source language, marked with
    // QT_TRANSLATE_NOOP("digitrace::TabletFormats", …); label() translates it.
    const char *labelText = "";
    // A format of the program's own; a site's layout is not, and detection cannot guess it.
    bool builtIn = true;
    // Reports of a fixed length whose start is told by bit 7: the line needs 8 data bits, and
    // detection reads it from the first byte rather than from a line end.
    bool binary = false;
    // Reports the cursor between records, and repeats a held button.
    bool reportsPositions = true;
    // Its records are the designed ones, codes and all: no button table applies.
    bool carriesCodes = false;
    // The usual strictness and button table a connection starts with.
    bool strict = true;
    ButtonTable buttons{};

    std::unique_ptr<TabletDecoder> (*makeDecoder)(const TabletFormat &format) = nullptr;
    // `button` is within 0 to largestButton(format); encodeReport() checks that first.
    EncodedReport (*encode)(const TabletFormat &format, qint64 x, qint64 y, int button,
                            bool inProximity) = nullptr;
    int (*largestButton)(const TabletFormat &format) = nullptr;

    QString label() const;
};

// The factory of a format whose decoder needs nothing but the strictness.
template <class Decoder>
std::unique_ptr<TabletDecoder> strictnessDecoder(const TabletFormat &format) {
    return std::make_unique<Decoder>(format.strict);
}

// The largest button of a format whose reports carry up to `largest` whatever the layout.
template <int largest> int buttonsUpTo(const TabletFormat &) {
    return largest;
}

// Every format: the built-in ones in the order detection prefers them when two read the same
// bytes alike, then the site's layout.
const QList<const TabletFormatDescription *> &tabletFormats();
const TabletFormatDescription &describe(FormatKind kind);

} // namespace digitrace
