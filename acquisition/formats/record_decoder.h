#pragma once

#include "acquisition/formats/tablet_decoder.h"
#include "acquisition/formats/tablet_format.h"
#include "acquisition/record_framer.h"
#include "model/trace_model.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QList>
#include <QString>

#include <memory>
#include <optional>

namespace digitrace {

struct TabletPosition {
    qint64 x = 0;
    qint64 y = 0;
    bool inProximity = true;
    friend bool operator==(const TabletPosition &, const TabletPosition &) = default;
};

// What did not become a record, for the record monitor: the bytes as received, and why.
struct RefusedRecord {
    QString text;
    QString reason;
    // How many of the read's records came before it, so that the monitor can keep the order.
    qsizetype recordsBefore = 0;
};

// One press of a button as the tablet's format read it: the designed record, and the fields the
// format read, so that nothing reads them from the text again.
struct TabletRecord {
    QString text; // the designed 19-column record, without its line end
    // None for fixed19, whose records the trace reads column by column as they came.
    std::optional<RecordFields> fields;
    // A button the table gives a command: the press is that command at the record's place, never
    // a record of the trace.
    std::optional<TabletCommand> command;
};

struct DecodedRecords {
    QList<TabletRecord> records;
    QList<TabletPosition> positions;
    QList<RefusedRecord> refused;
    // Bytes or lines that did not fit the format; some are in `refused` too.
    int mismatches = 0;
    // Of those, lines that fit once bit 7 is cleared: 7 data bits with parity read as 8.
    int parityMismatches = 0;
};

// The designed 19-column record of a point in tablet counts; empty when a coordinate does not
// fit its nine columns or the code is not one digit.
QByteArray canonicalRecord(qint64 x, qint64 y, int code);

// The tablet's bytes as the intake knows them: records in the designed layout, buttons turned
// into codes. fixed19, when not strict, only cuts its bytes into records.
class RecordDecoder {
    Q_DECLARE_TR_FUNCTIONS(digitrace::RecordDecoder)

public:
    explicit RecordDecoder(const TabletFormat &format);

    DecodedRecords feed(QByteArrayView chunk);
    void clear();

    const TabletFormat &format() const { return format_; }
    // Records whose button has no code: ignored and counted.
    qint64 unmappedButtons() const { return unmapped_; }
    // Bytes outside any report, told as refusals.
    qint64 skippedBytes() const { return decoder_->skippedBytes(); }
    // What the end of the input now would cut: a line or report received in part. fixed19, when
    // not strict, counts none, as the designed receiver keeps a record in part unnoticed.
    qsizetype pendingBytes() const;

private:
    void take(const DecodedItem &item, DecodedRecords &out);

    TabletFormat format_;
    std::unique_ptr<TabletDecoder> decoder_;
    RecordFramer framer_; // fixed19 when not strict
    QList<DecodedItem> items_;
    qint64 unmapped_ = 0;
};

} // namespace digitrace
