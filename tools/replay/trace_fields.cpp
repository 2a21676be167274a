#include "tools/replay/trace_fields.h"

namespace digitrace {

const QStringList &traceFieldNames() {
    static const QStringList names = {QStringLiteral("PtCount"),   QStringLiteral("PointCount"),
                                      QStringLiteral("LineCount"), QStringLiteral("PolyCount"),
                                      QStringLiteral("lblPoints"), QStringLiteral("lblLines"),
                                      QStringLiteral("lblPoly"),   QStringLiteral("lblLength"),
                                      QStringLiteral("lblLenAll"), QStringLiteral("lblArea")};
    return names;
}

QStringList traceFieldValues(const TraceModel &model) {
    const TraceStore &s = model.store();
    return {QString::number(s.PtCount),       QString::number(s.PointCount),
            QString::number(s.LineCount),     QString::number(s.PolyCount),
            model.text(DisplayField::Points), model.text(DisplayField::Lines),
            model.text(DisplayField::Poly),   model.text(DisplayField::Length),
            model.text(DisplayField::LenAll), model.text(DisplayField::Area)};
}

} // namespace digitrace
