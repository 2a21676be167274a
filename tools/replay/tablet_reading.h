#pragma once

#include "acquisition/formats/formatted_port.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QIODevice>
#include <QString>

#include <optional>

namespace digitrace {

// How a capture's bytes are read: the tablet format named on the command line, or the one
// detected from the capture's first bytes.
struct TabletReading {
    QString formatName = QStringLiteral("fixed19"); // or "auto"
    QString layoutPath;
    QString buttons;
};

// --tablet-format, --layout and --buttons.
class TabletReadingOptions {
public:
    void addTo(QCommandLineParser &parser) const;
    TabletReading read(const QCommandLineParser &parser) const;

private:
    QCommandLineOption format_{
        QStringLiteral("tablet-format"),
        QStringLiteral("Read the capture as a tablet of this format sends it: fixed19 (the "
                       "default), %1, custom (with --layout) or auto (detected from the first "
                       "bytes, then kept).")
            .arg(builtInFormatNames().mid(1).join(QStringLiteral(", "))),
        QStringLiteral("name"), QStringLiteral("fixed19")};
    QCommandLineOption layout_{QStringLiteral("layout"),
                               QStringLiteral("The layout file of the tablet format custom."),
                               QStringLiteral("file")};
    QCommandLineOption buttons_{
        QStringLiteral("buttons"),
        QStringLiteral("Which button gives which code, e.g. \"1=1 2=2 10=0\"; default: button n "
                       "gives code n for 1 to 9."),
        QStringLiteral("table")};
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
    explicit RefusalTally(FormattedPort &port);
    // "" when everything fitted.
    QString summary() const;
    bool anyMismatch() const { return mismatched_ > 0; }

private:
    const FormattedPort &port_;
    qint64 mismatched_ = 0;
    QString first_;
};

} // namespace digitrace
