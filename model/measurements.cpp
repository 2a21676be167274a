#include "model/measurements.h"

#include "model/numeric_value.h"

#include <cmath>

namespace digitrace {
namespace {

const float &at(const std::array<float, kSlotCount> &column, int slot) {
    Q_ASSERT(slot >= 0 && slot < kSlotCount);
    return column[static_cast<std::size_t>(slot)];
}

// The slots a measurement reads lie within the table; other states measure nothing.
bool inTable(int slot) {
    return slot >= 0 && slot < kSlotCount;
}

double segmentLength(const TraceStore &s, int a, int b, float factor) {
    const float dx = roundToSingle((double(at(s.Pt.X, a)) - at(s.Pt.X, b)) * factor);
    const float dy = roundToSingle((double(at(s.Pt.Y, a)) - at(s.Pt.Y, b)) * factor);
    return std::sqrt(double(dx) * dx + double(dy) * dy);
}

} // namespace

UnitChoice chooseUnit(float scaleDenom) {
    const float s = scaleDenom;
    if (s >= 0.0f && s <= 9.9f)
        return {s, QStringLiteral(" mm"), QStringLiteral(" mm2")};
    if (s >= 10.0f && s <= 99.9f)
        return {roundToSingle(double(s) / 10.0), QStringLiteral(" cm"), QStringLiteral(" cm2")};
    if (s >= 100.0f && s <= 9999.9f)
        return {roundToSingle(double(s) / 1000.0), QStringLiteral(" \uFF4D"),
                QStringLiteral(" \uFF4D2")};
    return {roundToSingle(double(s) / 1000000.0), QStringLiteral(" km"), QStringLiteral(" km2")};
}

float measuringDenom(const TraceStore &s) {
    // A unit of 1 mm leaves the denominator as it is, to the last bit.
    return s.tabletUnitMm == 1 ? s.ScaleDenom : static_cast<float>(s.ScaleDenom * s.tabletUnitMm);
}

QString formatFixed(double value, int decimals, const QLocale &locale) {
    if (!std::isfinite(value))
        return QStringLiteral("########");
    // Only the locale's two symbols are taken: its own rules would skip grouping below five
    // digits (es_ES), group in twos (hi_IN) or write other digits (ar_SA).
    const QString plain = QString::number(value, 'f', decimals);
    const qsizetype signLength = plain.startsWith(u'-') ? 1 : 0;
    const qsizetype point = plain.indexOf(u'.');
    const qsizetype integerEnd = point < 0 ? plain.size() : point;
    const QString group = locale.groupSeparator();
    QString text = plain.left(signLength);
    for (qsizetype i = signLength; i < integerEnd; ++i) {
        if (i > signLength && (integerEnd - i) % 3 == 0)
            text += group;
        text += plain.at(i);
    }
    if (point >= 0)
        text += locale.decimalPoint() + plain.mid(point + 1);
    return text;
}

QString LengthText(const TraceStore &s, std::int16_t mode, const QLocale &locale) {
    const UnitChoice unit = chooseUnit(measuringDenom(s));
    const int p = s.PtCount;
    const int start = s.SeqStart;
    double total = 0.0;
    if (!inTable(p) || !inTable(start)) {
        // nothing to measure
    } else if (mode == NewestSegment || mode == OpenLineLength) {
        for (int i = p; i >= start + 1; --i) {
            total += segmentLength(s, i, i - 1, unit.factor);
            if (mode == NewestSegment)
                break;
        }
    } else if (p < 1) {
        // no outline
    } else if (mode == ClosingSegment) {
        total += segmentLength(s, start, p - 1, unit.factor);
    } else {
        for (int i = p - 1; i >= start + 1; --i)
            total += segmentLength(s, i, i - 1, unit.factor);
        total += segmentLength(s, start, p - 1, unit.factor);
    }
    return formatFixed(total, 2, locale) + unit.lengthSuffix;
}

QString AreaText(const TraceStore &s, const QLocale &locale) {
    const UnitChoice unit = chooseUnit(measuringDenom(s));
    const int last = s.PtCount - 1;
    const int start = s.SeqStart;
    double positive = 0.0, negative = 0.0;
    auto addEdge = [&](int i, int j) {
        const float a = roundToSingle((double(at(s.Pt.X, i)) - at(s.Pt.X, j)) * unit.factor);
        const float b = roundToSingle((double(at(s.Pt.Y, j)) + at(s.Pt.Y, i)) * unit.factor);
        const double t = double(a) * b;
        if (t >= 0)
            positive += t;
        else
            negative -= t;
    };
    if (inTable(last) && inTable(start)) {
        for (int i = start; i <= last - 1; ++i)
            addEdge(i, i + 1);
        addEdge(last, start);
    }
    const double area = std::fabs(positive - negative) / 2.0;
    return formatFixed(area, 4, locale) + unit.areaSuffix;
}

} // namespace digitrace
