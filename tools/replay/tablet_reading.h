#pragma once

#include "acquisition/formats/format_option.h"
#include "tracing/reception.h"

#include <QIODevice>
#include <QString>

#include <optional>

namespace digitrace {

// How a capture's bytes are read: the tablet format named on the command line, or "auto" for the
// one detected from the capture's first bytes.
using TabletReading = TabletFormatArguments;

// --tablet-format, --layout and --buttons.
struct TabletReadingOptions : TabletFormatOptions {
    TabletReadingOptions() : TabletFormatOptions(TabletProgram::Replay) {}
};

// The format to read `capture` with, peeking at its first bytes for auto; nothing, with `error`
// saying why, when the options do not name a format or no format fits the capture. `note` says
// what auto chose. `undecided` is set when formats read the capture differently: the error names
// them, and the run stops for the operator to name one.
std::optional<TabletFormat> chooseTabletFormat(const TabletReading &reading, QIODevice &capture,
                                               QString *error, QString *note,
                                               bool *undecided = nullptr);

// Counts what the port did not take, for the summary after the run.
class RefusalTally : public QObject {
public:
    explicit RefusalTally(Reception &port);
    // "" when everything fitted.
    QString summary() const;
    bool anyMismatch() const { return mismatched_ > 0; }

private:
    const Reception &port_;
    qint64 mismatched_ = 0;
    QString first_;
};

} // namespace digitrace
