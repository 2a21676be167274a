#include "model/record_check.h"

#include <QCoreApplication>
#include <QStringList>

#include <algorithm>

namespace digitrace {
namespace {

constexpr qsizetype kFieldWidth = 9;

bool holdsDigit(QStringView field) {
    return std::any_of(field.begin(), field.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

} // namespace

RecordFlaws recordFlaws(QStringView record) {
    const QStringView x = record.first(std::min(record.size(), kFieldWidth));
    const QStringView y =
        record.size() > kFieldWidth
            ? record.sliced(kFieldWidth, std::min(record.size() - kFieldWidth, kFieldWidth))
            : QStringView();
    return {!holdsDigit(x), !holdsDigit(y), record.size() != kRecordLength};
}

// Each text names its context in full: lupdate files a helper's texts under the namespace, where
// the program never looks them up.
QString flawsText(const RecordFlaws &flaws) {
    QStringList parts;
    if (flaws.noDigitInX)
        parts << QCoreApplication::translate("digitrace::RecordMonitor", "X に数字なし");
    if (flaws.noDigitInY)
        parts << QCoreApplication::translate("digitrace::RecordMonitor", "Y に数字なし");
    if (flaws.wrongLength)
        parts << QCoreApplication::translate("digitrace::RecordMonitor", "長さ違い");
    //: Between the flaws of one record.
    return parts.join(QCoreApplication::translate("digitrace::RecordMonitor", "・"));
}

RecordEffect recordEffect(const TraceCounts &before, const TraceStore &after,
                          RecordOutcome outcome) {
    if (outcome != RecordOutcome::Kept || after.PtCount <= before.PtCount)
        return RecordEffect::Refused;
    const std::int16_t code = wholeCode(after.Pt.Code[before.PtCount]);
    if (code == kStartCode)
        return RecordEffect::Start;
    if (code == kVertexCode)
        return RecordEffect::Vertex;
    if (after.PolyCount > before.PolyCount)
        return RecordEffect::Close;
    if (after.PointCount > before.PointCount)
        return RecordEffect::Point;
    return RecordEffect::End;
}

QString effectText(RecordEffect effect) {
    switch (effect) {
    case RecordEffect::Start:
        return QCoreApplication::translate("digitrace::RecordMonitor", "開始");
    case RecordEffect::Vertex:
        return QCoreApplication::translate("digitrace::RecordMonitor", "頂点");
    case RecordEffect::Close:
        return QCoreApplication::translate("digitrace::RecordMonitor", "閉合");
    case RecordEffect::Point:
        return QCoreApplication::translate("digitrace::RecordMonitor", "点");
    case RecordEffect::End:
        return QCoreApplication::translate("digitrace::RecordMonitor", "終了");
    case RecordEffect::Refused:
        return QCoreApplication::translate("digitrace::RecordMonitor", "拒否");
    }
    return {};
}

} // namespace digitrace
