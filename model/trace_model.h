#pragma once

#include "model/trace_display.h"
#include "model/trace_store.h"

#include <QLocale>
#include <QString>
#include <QStringView>

#include <array>
#include <cstdint>

namespace digitrace {

enum class RecordOutcome {
    Kept,
    RejectedVertex,   // a vertex with no line to extend
    RefusedFull,      // the table was full
    RefusedOutOfRange // a coordinate beyond a quarter of single precision's range
};

inline bool isRefused(RecordOutcome o) {
    return o == RecordOutcome::RefusedFull || o == RecordOutcome::RefusedOutOfRange;
}

// What a record says, as the tablet's format read it: its coordinates in tablet units and its
// button's code. A record's text reads as the same fields (readRecordFields).
struct RecordFields {
    double x = 0;
    double y = 0;
    double code = 0;
    bool operator==(const RecordFields &) const = default;
};

// The fields of a record as framed, without its line end, read column by column as the designed
// receiver reads them.
RecordFields readRecordFields(QStringView record);

// The caption after every reset, as the source text of its translations.
inline constexpr char kCaptionUnsavedText[] =
    QT_TRANSLATE_NOOP("digitrace::TraceModel", "デジタイザートレース (保存ファイル名未設定)");
inline const QString kCaptionUnsaved = QString::fromUtf8(kCaptionUnsavedText);

// The trace model: the store and the operations that change it, with the texts it shows.
class TraceModel {
public:
    explicit TraceModel(const QLocale &locale = QLocale());

    const TraceStore &store() const { return s_; }
    // For tests and benchmarks that stage a state no sequence of records reaches quickly.
    TraceStore &unguardedStore() { return s_; }

    void setDisplay(TraceDisplay *display) { display_ = display; }
    const QString &text(DisplayField field) const;
    const QLocale &locale() const { return locale_; }

    void ResetTrace();
    // Puts back the trace and texts of `earlier` (a copy of this model), showing them again.
    void restoreTrace(const TraceModel &earlier);
    // Back: forget the newest record; nothing derived from it changes.
    void dropLast();

    // Stores and classifies one record text; PtCount is left for the caller to advance. A record
    // that is not kept lowers PtCount by one, so the caller's increment leaves it unchanged.
    RecordOutcome AddRecord(QStringView record);
    // The same for fields already read from the record.
    RecordOutcome AddRecord(const RecordFields &record);

    // One receive step: AddRecord, then PtCount + 1, as every record from the tablet is taken.
    RecordOutcome takeRecord(QStringView record);
    RecordOutcome takeRecord(const RecordFields &record);

    QString LengthText(std::int16_t mode) const;
    QString AreaText() const;

    // The chosen output file, shown in the caption.
    void setSaveFileName(const QString &name);
    // Half the drawing area's inner size, which the next view fit uses.
    void setHalfSize(float halfW, float halfH);
    // Fits the automatic view to the records at the current half size, as the next record would.
    void refitView();
    // The map scale's denominator, fixed at each connect.
    void setScaleDenom(float denominator);
    // Millimetres per tablet unit (positive), for the measurements that follow.
    void setTabletUnitMm(double mm);
    // Where the program started; the operator's DXF template is looked up there.
    void setAppDir(const QString &dir);

private:
    void show(DisplayField field, const QString &text);
    void showCounts();
    void fitView(float x, float y);

    TraceStore s_;
    QLocale locale_;
    TraceDisplay *display_ = nullptr;
    std::array<QString, kDisplayFieldCount> texts_;
};

} // namespace digitrace
