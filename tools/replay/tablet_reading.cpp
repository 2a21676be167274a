#include "tools/replay/tablet_reading.h"

#include "acquisition/formats/format_detector.h"
#include "acquisition/formats/format_option.h"

namespace digitrace {
namespace {

// Enough for hundreds of records in any format, so that a format that reads the bytes
// differently shows before the capture is read under the one that took more.
constexpr qint64 kDetectionBytes = 64 * 1024;

} // namespace

std::optional<TabletFormat> chooseTabletFormat(const TabletReading &reading, QIODevice &capture,
                                               QString *error, QString *note, bool *undecided) {
    std::optional<ButtonTable> buttons = ButtonTable();
    if (!reading.buttons.isEmpty() && !(buttons = buttonsFromCommandLine(reading.buttons, error)))
        return std::nullopt;
    std::optional<TabletFormat> format;
    if (reading.formatName == QLatin1StringView("auto")) {
        FormatDetector detector;
        detector.feed(capture.peek(kDetectionBytes));
        const QList<FormatCandidate> named = detector.readings();
        if (named.size() > 1) {
            QStringList readings;
            for (const FormatCandidate &c : named)
                readings << QStringLiteral("%1 (%2 record(s), %3 refused)")
                                .arg(formatName(c.kind))
                                .arg(c.records)
                                .arg(c.problems);
            *error = QStringLiteral("the capture's first bytes read differently as %1; name the "
                                    "tablet's format with --tablet-format")
                         .arg(readings.join(QStringLiteral(" and ")));
            if (undecided)
                *undecided = true;
            return std::nullopt;
        }
        if (named.isEmpty()) {
            const FormatCandidate best = detector.ranking().front();
            *error = detector.tooFewReports()
                         ? QStringLiteral("only %1 report(s) of the capture's first bytes read as "
                                          "%2, too few to tell a tablet from noise; name the "
                                          "format with --tablet-format")
                               .arg(best.reports)
                               .arg(formatName(best.kind))
                         : QStringLiteral("the capture's first bytes fit no tablet format; name "
                                          "one with --tablet-format");
            return std::nullopt;
        }
        format = TabletFormat::named(formatName(named.front().kind));
        *note = QStringLiteral("read as %1, detected from %2 report(s)")
                    .arg(format->name())
                    .arg(named.front().reports);
    } else {
        format = formatFromCommandLine(reading.formatName, reading.layoutPath, error);
        if (!format)
            return std::nullopt;
    }
    if (const QString refused = buttonsNotRead(*format);
        !reading.buttons.isEmpty() && !refused.isEmpty()) {
        *error = refused;
        return std::nullopt;
    }
    format->buttons = *buttons;
    return format;
}

RefusalTally::RefusalTally(Reception &port) : port_(port) {
    connect(&port, &Reception::recordRefused, this,
            [this](const QString &text, const QString &reason) {
                if (first_.isEmpty())
                    first_ = QStringLiteral("\"%1\" (%2)").arg(text, reason);
            });
    connect(&port, &Reception::formatMismatch, this, [this] { ++mismatched_; });
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
