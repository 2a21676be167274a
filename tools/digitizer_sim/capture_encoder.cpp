#include "tools/digitizer_sim/capture_encoder.h"

#include "acquisition/formats/format_registry.h"
#include "acquisition/formats/tablet_encoder.h"
#include "model/numeric_value.h"
#include "model/record_check.h"

#include <algorithm>
#include <cmath>

namespace digitrace {

QByteArray CaptureEncoder::convert(QByteArrayView chunk) {
    QByteArray bytes;
    for (const QString &record : framer_.feed(chunk)) {
        if (!error_.isEmpty())
            break;
        ++records_;
        bytes += encode(record);
    }
    return error_.isEmpty() ? bytes : QByteArray();
}

void CaptureEncoder::chooseButtons(QByteArrayView capture) {
    choosing_ = true;
    RecordFramer framer;
    for (const QString &record : framer.feed(capture))
        if (!recordFlaws(record).any())
            inCapture_[record.at(18).digitValue()] = true;
}

std::optional<int> CaptureEncoder::chooseButton(int code) {
    const int largest = std::min(largestButton(format_), int(ButtonTable::kLargestButton));
    std::optional<int> button;
    for (int n = 1; n <= largest && !button; ++n)
        if (!format_.buttons.code(n))
            button = n;
    for (int n = largest; n >= 1 && !button; --n)
        if (const std::optional<int> c = format_.buttons.code(n); !sent_[*c] && !inCapture_[*c])
            button = n;
    if (button) {
        format_.buttons.set(*button, code);
        chosen_ = true;
    }
    return button;
}

qint64 CaptureEncoder::count(double value) {
    const double whole = std::nearbyint(value);
    if (whole != value)
        ++rounded_;
    return qint64(whole);
}

QByteArray CaptureEncoder::encode(const QString &record) {
    if (recordFlaws(record).any()) {
        error_ = QStringLiteral("record %1 (\"%2\") is no designed record: %3")
                     .arg(records_)
                     .arg(record, flawsText(recordFlaws(record)));
        return {};
    }
    const double xValue = numericValue(QStringView(record).first(9));
    const double yValue = numericValue(QStringView(record).sliced(9, 9));
    if (!(std::fabs(xValue) < 1e9 && std::fabs(yValue) < 1e9)) {
        error_ = QStringLiteral("record %1 (\"%2\") has a coordinate beyond nine digits")
                     .arg(records_)
                     .arg(record);
        return {};
    }
    const qint64 x = count(xValue), y = count(yValue);
    const int code = int(numericValue(QStringView(record).sliced(18, 1)));
    const TabletFormatDescription &described = describe(format_.kind);
    std::optional<int> button = described.carriesCodes ? code : format_.buttons.buttonFor(code);
    if (!button && choosing_)
        button = chooseButton(code);
    if (!button) {
        error_ = QStringLiteral("record %1: no button of the table gives the code %2; name "
                                "one with --buttons, e.g. \"1=1 2=2 3=3 4=4 5=5 6=%2 7=7\"")
                     .arg(records_)
                     .arg(code);
        return {};
    }
    sent_[code] = true;
    QByteArray bytes;
    const bool positions = described.reportsPositions;
    const bool held = described.binary;
    const auto add = [&](int b) {
        const EncodedReport r = encodeReport(format_, x, y, b);
        if (!r.error.isEmpty() && error_.isEmpty())
            error_ = QStringLiteral("record %1: %2").arg(records_).arg(r.error);
        bytes += r.bytes;
    };
    if (positions)
        add(0);
    add(*button);
    if (held)
        add(*button);
    if (positions)
        add(0);
    return bytes;
}

} // namespace digitrace
