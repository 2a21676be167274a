#pragma once

#include "classes/classed_feature.h"
#include "export/io_result.h"
#include "model/trace_store.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class QSaveFile;

namespace digitrace {

inline const QString kDxfTemplateName = QStringLiteral("DxfHead.txt");

// The header every export starts with; error is set instead when it cannot be had.
struct TemplateText {
    QByteArray bytes;
    QString error;
};

// appDir's DxfHead.txt when it exists, so that the operator's own header wins; otherwise the one
// built into the program. An existing template that cannot be read, or is empty, is an error.
TemplateText loadDxfTemplate(const QString &appDir);

// The template at `path`, whatever its name. A file that cannot be read, or is empty, is an error.
TemplateText readDxfTemplate(const QString &path);

// An export's outcome, with what the operator should know of a file that was written: class
// layers whose names were changed or shared.
struct [[nodiscard]] DxfExportResult : IoResult {
    QStringList notes = {};
};

// A whole export: the template is read first, then the file is written aside and replaces the
// target only when it is complete. On failure the target is left as it was. With `classes` in
// use, each class's features go on a layer of its own, declared in the header with the class's
// colour; a header that cannot take the layers is an error.
DxfExportResult exportDxf(const TraceStore &store, const QString &appDir, const QString &path,
                          const TraceClasses &classes = {});

// The same into a save file the caller made; it must not be open yet.
DxfExportResult exportDxf(const TraceStore &store, const QString &appDir, QSaveFile &target,
                          const TraceClasses &classes = {});

// The same with a header read beforehand, so that a caller can refuse a bad template before it
// takes in the trace. A head that holds an error is that error.
DxfExportResult exportDxf(const TraceStore &store, const TemplateText &head, const QString &path,
                          const TraceClasses &classes = {});

} // namespace digitrace
