#include "tools/replay/edge_output.h"

#include "export/sheet_publisher.h"

namespace digitrace {

namespace {

QString endLine(const char *state, const SheetEnd &end, const QString &sheets) {
    return QStringList{QStringLiteral("edge"),
                       QLatin1String(state),
                       QString::number(end.at.x, 'f', 3),
                       QString::number(end.at.y, 'f', 3),
                       end.className,
                       sheets}
               .join(u'\t') +
           u'\n';
}

} // namespace

QString edgeLines(const EdgeMatchReport &report) {
    QString out;
    for (const auto &[own, theirs] : report.matched)
        out += endLine("matched", own, own.sheet + QStringLiteral(" / ") + theirs.sheet);
    for (const SheetEnd &end : report.unmatched)
        out += endLine("unmatched", end, end.sheet);
    for (const SheetEnd &end : report.neighboursUnmatched)
        out += endLine("neighbour-unmatched", end, end.sheet);
    return out + QStringLiteral("edges\t%1 matched, %2 unmatched, %3 neighbour-unmatched\n")
                     .arg(report.matched.size())
                     .arg(report.unmatched.size())
                     .arg(report.neighboursUnmatched.size());
}

bool printEdgeCheck(const TraceStore &store, const Registration &registration, const QString &sheet,
                    const TraceClasses &classes, const QString &connection, double toleranceMm,
                    QTextStream &out, QString *error) {
    SheetPublication publication;
    publication.sheet = sheet;
    publication.registration = registration;
    publication.store = store;
    publication.setClasses(classes);
    const EdgeMatchReport report = matchSheetEdges(
        connection, publication, edgeTolerance(toleranceMm, store.tabletUnitMm, registration));
    if (!report.ok()) {
        *error = report.error;
        return false;
    }
    out << edgeLines(report);
    return true;
}

} // namespace digitrace
