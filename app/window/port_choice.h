#pragma once

#include "acquisition/formats/tablet_format.h"
#include "acquisition/line_settings.h"

#include <QString>

namespace digitrace {

// The tablet's port as the operator chose it: the device, its line and what one unit of the
// tablet measures on the sheet.
struct PortChoice {
    QString portName; // empty: port 1
    LineSettings line;
    double tabletUnitMm = 1;
    // What the line's bytes are read as; the designed record unless the operator chose another.
    TabletFormat format;

    bool operator==(const PortChoice &) const = default;
};

// The device and its line in one short text, e.g. "/dev/ttyUSB0  9600,E,7,1".
QString portSummary(const PortChoice &choice);

} // namespace digitrace
