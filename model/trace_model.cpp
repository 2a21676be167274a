#include "model/trace_model.h"

#include <QCoreApplication>

#include "model/measurements.h"
#include "model/numeric_value.h"

#include <cmath>
#include <limits>
#include <optional>

namespace digitrace {
namespace {

constexpr int kFieldWidth = 9;
constexpr int kCodeColumn = 18; // position 19, counted from 0

// Coordinates up to a quarter of float's range: then every difference and every shifted DXF
// value fits a float too. Real tablets stay many orders of magnitude below.
constexpr double kCoordinateLimit = std::numeric_limits<float>::max() / 4.0;

// A coordinate rounded half to even at one decimal, or nothing when it is out of range. The
// product by 10 is rounded, not the value itself, so 1234.45 gives 1234.4 and 1234.55 1234.6.
std::optional<float> coordinate(double field) {
    const double value = std::nearbyint(field * 10.0) / 10.0;
    if (!(std::fabs(value) <= kCoordinateLimit))
        return std::nullopt;
    return static_cast<float>(value);
}

// Back keeps the counts, so replaying records after it could count past the type's range.
void increment(std::int16_t &counter) {
    if (counter < std::numeric_limits<std::int16_t>::max())
        ++counter;
}

float buttonCode(double field) {
    // One column wide, so the value is a single digit or 0.
    return static_cast<float>(std::nearbyint(field));
}

} // namespace

TraceModel::TraceModel(const QLocale &locale) : locale_(locale) {
    texts_[int(DisplayField::Caption)] =
        QCoreApplication::translate("digitrace::TraceModel", "デジタイザートレース");
    for (DisplayField f : {DisplayField::Points, DisplayField::Lines, DisplayField::Poly})
        texts_[int(f)] = QStringLiteral("0");
    for (DisplayField f : {DisplayField::Length, DisplayField::LenAll, DisplayField::Area})
        texts_[int(f)] = QStringLiteral("0.00");
}

const QString &TraceModel::text(DisplayField field) const {
    return texts_[int(field)];
}

void TraceModel::show(DisplayField field, const QString &text) {
    texts_[int(field)] = text;
    if (display_)
        display_->showText(field, text);
}

void TraceModel::restoreTrace(const TraceModel &earlier) {
    const auto epoch = s_.epoch;
    s_ = earlier.s_;
    // A wholesale change, as a reset is: whatever was drawn incrementally is stale.
    s_.epoch = epoch + 1;
    for (int i = 0; i < kDisplayFieldCount; ++i)
        show(DisplayField(i), earlier.texts_[std::size_t(i)]);
}

void TraceModel::ResetTrace() {
    s_.SaveFileName.clear();
    s_.PtCount = 0;
    s_.MaxX = -2000;
    s_.MaxY = -2000;
    s_.PointCount = 0;
    s_.MinX = 2000;
    s_.MinY = 2000;
    s_.viewExtent = Extent();
    s_.LineCount = 0;
    s_.PolyCount = 0;
    s_.SeqOpen = false;
    s_.SeqVertices = 0;
    s_.SeqStart = 0;
    ++s_.epoch;
    show(DisplayField::Caption,
         QCoreApplication::translate("digitrace::TraceModel", kCaptionUnsavedText));
    show(DisplayField::Area, QStringLiteral("0.00"));
    show(DisplayField::Length, QStringLiteral("0.00"));
    show(DisplayField::LenAll, QStringLiteral("0.00"));
    show(DisplayField::Lines, QStringLiteral("0"));
    show(DisplayField::Points, QStringLiteral("0"));
    show(DisplayField::Poly, QStringLiteral("0"));
    if (display_)
        display_->clearDrawingArea();
}

void TraceModel::dropLast() {
    s_.PtCount = s_.PtCount > 0 ? s_.PtCount - 1 : 0;
    ++s_.epoch;
}

void TraceModel::setSaveFileName(const QString &name) {
    s_.SaveFileName = name;
    show(DisplayField::Caption,
         QCoreApplication::translate("digitrace::TraceModel",
                                     "デジタイザートレース [ 保存ファイル名: %1 ]")
             .arg(name));
}

void TraceModel::setHalfSize(float halfW, float halfH) {
    s_.HalfW = halfW;
    s_.HalfH = halfH;
}

void TraceModel::setScaleDenom(float denominator) {
    s_.ScaleDenom = denominator;
}

void TraceModel::setTabletUnitMm(double mm) {
    if (mm > 0 && std::isfinite(mm))
        s_.tabletUnitMm = mm;
}

void TraceModel::setAppDir(const QString &dir) {
    s_.AppDir = dir;
}

RecordFields readRecordFields(QStringView record) {
    return {numericValue(record.mid(0, kFieldWidth)),
            numericValue(record.mid(kFieldWidth, kFieldWidth)),
            numericValue(record.mid(kCodeColumn, 1))};
}

RecordOutcome TraceModel::takeRecord(QStringView record) {
    return takeRecord(readRecordFields(record));
}

RecordOutcome TraceModel::takeRecord(const RecordFields &record) {
    const RecordOutcome outcome = AddRecord(record);
    ++s_.PtCount;
    return outcome;
}

QString TraceModel::LengthText(std::int16_t mode) const {
    return digitrace::LengthText(s_, mode, locale_);
}

QString TraceModel::AreaText() const {
    return digitrace::AreaText(s_, locale_);
}

RecordOutcome TraceModel::AddRecord(QStringView record) {
    return AddRecord(readRecordFields(record));
}

RecordOutcome TraceModel::AddRecord(const RecordFields &record) {
    const int slot = s_.PtCount;
    if (slot < 0 || slot > kLastSlot) {
        --s_.PtCount;
        return RecordOutcome::RefusedFull;
    }
    const std::optional<float> x = coordinate(record.x);
    const std::optional<float> y = coordinate(record.y);
    if (!x || !y) {
        --s_.PtCount;
        return RecordOutcome::RefusedOutOfRange;
    }
    const auto index = static_cast<std::size_t>(slot);
    s_.Pt.X[index] = *x;
    s_.Pt.Y[index] = *y;
    s_.Pt.Code[index] = buttonCode(record.code);

    const std::int16_t previous = slot == 0 ? 0 : wholeCode(s_.Pt.Code[index - 1]);
    const std::int16_t current = wholeCode(s_.Pt.Code[index]);
    bool closed = false;
    auto resetSequence = [this] {
        s_.SeqOpen = false;
        s_.SeqVertices = 0;
    };

    if (current == kStartCode) {
        s_.SeqOpen = true;
        s_.SeqVertices = 1;
        s_.SeqStart = static_cast<std::int16_t>(slot);
    } else if (current == kVertexCode) {
        if (previous == kStartCode) {
            increment(s_.LineCount);
            s_.SeqVertices = 2;
            show(DisplayField::Length, LengthText(NewestSegment));
            show(DisplayField::LenAll, text(DisplayField::Length));
        } else if (previous == kVertexCode) {
            if (s_.SeqOpen) {
                ++s_.SeqVertices;
                show(DisplayField::Length, LengthText(NewestSegment));
                show(DisplayField::LenAll, LengthText(OpenLineLength));
            }
        } else {
            --s_.PtCount;
            return RecordOutcome::RejectedVertex;
        }
    } else if (previous == kVertexCode) {
        if (s_.SeqVertices >= 3) {
            increment(s_.PolyCount);
            // Back can replay a close without its line being counted again; never go below 0.
            if (s_.LineCount > 0)
                --s_.LineCount;
            show(DisplayField::Length, LengthText(ClosingSegment));
            show(DisplayField::LenAll, LengthText(Perimeter));
            show(DisplayField::Area, AreaText());
            closed = true;
        } else if (s_.SeqVertices == 2) {
            increment(s_.PointCount);
        }
        resetSequence();
    } else {
        increment(s_.PointCount);
        resetSequence();
    }

    showCounts();
    if (!closed)
        fitView(*x, *y);
    return RecordOutcome::Kept;
}

void TraceModel::showCounts() {
    show(DisplayField::Lines, QString::number(s_.LineCount));
    show(DisplayField::Points, QString::number(s_.PointCount));
    show(DisplayField::Poly, QString::number(s_.PolyCount));
}

void TraceModel::fitView(float x, float y) {
    if (x > s_.MaxX)
        s_.MaxX = x;
    if (y > s_.MaxY)
        s_.MaxY = y;
    if (x < s_.MinX)
        s_.MinX = x;
    if (y < s_.MinY)
        s_.MinY = y;
    // The view fits the records themselves, not the reset values the box above may keep.
    s_.viewExtent.include(x, y);
    refitView();
}

void TraceModel::refitView() {
    const Extent &e = s_.viewExtent;
    if (e.empty)
        return;
    // Sums and differences in double: the extents may be as wide as float itself.
    s_.ViewCx = static_cast<float>((double(e.minX) + e.maxX) / 2.0);
    s_.ViewCy = static_cast<float>((double(e.minY) + e.maxY) / 2.0);
    const float dx = roundToSingle(double(e.maxX) - e.minX);
    const float dy = roundToSingle(double(e.maxY) - e.minY);
    const float zx = dx == 0 ? 1.0f : s_.HalfW / dx;
    s_.ViewZoom = dy == 0 ? 1.0f : s_.HalfH / dy;
    if (s_.ViewZoom > zx)
        s_.ViewZoom = zx;
    s_.ViewZoom = static_cast<float>(s_.ViewZoom * 0.9);
}

} // namespace digitrace
