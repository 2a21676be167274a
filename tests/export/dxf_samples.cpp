// Writes the files that the real DXF readers are checked against: each sample's DXF file and,
// beside it, the shapes a reader should find there, in the file's coordinates.

#include "export/dxf_export.h"
#include "tests/export/sample_traces.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace {

using digitrace::TraceStore;
using digitrace::test::SampleTrace;

QJsonArray shapesAsWritten(const SampleTrace &trace) {
    const TraceStore &store = trace.model.store();
    QJsonArray shapes;
    for (const auto &shape : trace.shapes) {
        QJsonArray points;
        for (const QPointF &p : shape.points)
            points.append(QJsonArray{p.x() - store.MinX + 50, p.y() - store.MinY + 30});
        shapes.append(
            QJsonObject{{QStringLiteral("type"), shape.type}, {QStringLiteral("points"), points}});
    }
    return shapes;
}

bool writeSample(const QDir &dir, const QString &name, const SampleTrace &trace) {
    const QString dxf = dir.filePath(name + QStringLiteral(".dxf"));
    // The samples directory holds no DxfHead.txt, so the built-in template is the one checked.
    const digitrace::IoResult result = digitrace::exportDxf(trace.model.store(), dir.path(), dxf);
    if (!result.ok()) {
        std::fprintf(stderr, "%s\n", qPrintable(result.error));
        return false;
    }
    QFile expected(dir.filePath(name + QStringLiteral(".json")));
    return expected.open(QIODevice::WriteOnly) &&
           expected.write(QJsonDocument(shapesAsWritten(trace)).toJson(QJsonDocument::Compact)) > 0;
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.mkpath(QStringLiteral(".")))
        return 1;
    const bool ok =
        writeSample(dir, QStringLiteral("worked_example"), digitrace::test::workedExample()) &&
        writeSample(dir, QStringLiteral("full_table"), digitrace::test::fullTable());
    return ok ? 0 : 1;
}
