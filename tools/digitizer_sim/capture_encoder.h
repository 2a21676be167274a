#pragma once

#include "acquisition/formats/tablet_format.h"
#include "acquisition/record_framer.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <optional>

namespace digitrace {

// Rewrites the designed records of a capture as a tablet of another format sends them: for each
// record the cursor arriving, the button pressed, held and released, where the format reports
// the cursor; the record alone where it does not. Coordinates become whole tablet counts.
class CaptureEncoder {
public:
    explicit CaptureEncoder(const TabletFormat &format) : format_(format) {}

    // For a table the operator did not give: a code that no button gives is sent with a button
    // that gives no code, or else with one whose code has not been sent and is not among the
    // codes of `capture` (the whole capture, when it is known beforehand).
    void chooseButtons(QByteArrayView capture = {});
    // The table the bytes are read with, once buttons were chosen; empty when none was.
    QString chosenTable() const { return chosen_ ? format_.buttons.toText() : QString(); }

    // The bytes for the records `chunk` completes; empty, with error() set, at the first record
    // the format cannot carry.
    QByteArray convert(QByteArrayView chunk);
    QString error() const { return error_; }
    // Coordinates that had a fraction of a count, rounded to the nearest count.
    qint64 roundedCoordinates() const { return rounded_; }

private:
    QByteArray encode(const QString &record);
    qint64 count(double value);
    std::optional<int> chooseButton(int code);

    TabletFormat format_;
    RecordFramer framer_;
    QString error_;
    qint64 records_ = 0;
    qint64 rounded_ = 0;
    bool choosing_ = false;
    bool chosen_ = false;
    std::array<bool, 10> sent_{};      // codes sent so far
    std::array<bool, 10> inCapture_{}; // codes the whole capture uses, when known
};

} // namespace digitrace
