#include "tools/replay/tablet_reading.h"

#include "acquisition/formats/format_detector.h"
#include "acquisition/formats/format_option.h"

namespace digitrace {
namespace {

// Enough for well over the twenty records detection needs in any format.
constexpr qint64 kDetectionBytes = 4096;

} // namespace

void TabletReadingOptions::addTo(QCommandLineParser &parser) const {
    parser.addOptions({format_, layout_, buttons_});
}

TabletReading TabletReadingOptions::read(const QCommandLineParser &parser) const {
    return {parser.value(format_), parser.value(layout_), parser.value(buttons_)};
}

std::optional<TabletFormat> chooseTabletFormat(const TabletReading &reading, QIODevice &capture,
                                               QString *error, QString *note) {
    std::optional<ButtonTable> buttons = ButtonTable();
    QString why;
    if (!reading.buttons.isEmpty() && !(buttons = ButtonTable::fromText(reading.buttons, &why))) {
        *error = QStringLiteral("--buttons wants pairs of button (0-16) and code (0-9) such as "
                                "\"1=1 10=0\", each button once, not \"%1\": %2")
                     .arg(reading.buttons, why);
        return std::nullopt;
    }
    std::optional<TabletFormat> format;
    if (reading.formatName == QLatin1StringView("auto")) {
        FormatDetector detector;
        detector.feed(capture.peek(kDetectionBytes));
        const FormatCandidate best = detector.ranking().front();
        if (!best.consistent()) {
            *error = QStringLiteral("the capture's first bytes fit no tablet format; name one "
                                    "with --tablet-format");
            return std::nullopt;
        }
        format = TabletFormat::named(formatName(best.kind));
        *note = QStringLiteral("read as %1, detected from %2 report(s)%3")
                    .arg(format->name())
                    .arg(best.reports)
                    .arg(detector.decided() ? QString() : QStringLiteral(" (too few to be sure)"));
    } else {
        format = formatFromCommandLine(reading.formatName, reading.layoutPath, error);
        if (!format)
            return std::nullopt;
    }
    if (format->kind == FormatKind::Fixed19 && !reading.buttons.isEmpty()) {
        *error = QStringLiteral("--buttons is not read for fixed19, whose records carry their "
                                "codes");
        return std::nullopt;
    }
    format->buttons = *buttons;
    return format;
}

RefusalTally::RefusalTally(FormattedPort &port) : port_(port) {
    connect(&port, &FormattedPort::recordRefused, this,
            [this](const QString &text, const QString &reason) {
                if (first_.isEmpty())
                    first_ = QStringLiteral("\"%1\" (%2)").arg(text, reason);
            });
    connect(&port, &FormattedPort::formatMismatch, this, [this] { ++mismatched_; });
}

QString RefusalTally::summary() const {
    if (port_.refusedRecords() == 0)
        return {};
    return QStringLiteral("%1 report(s) read as %2 were not taken, %3 of them for a button with "
                          "no code, %4 stray byte(s) outside any report; the first: %5")
        .arg(port_.refusedRecords())
        .arg(port_.format().name())
        .arg(port_.unmappedButtons())
        .arg(port_.skippedBytes())
        .arg(first_);
}

} // namespace digitrace
