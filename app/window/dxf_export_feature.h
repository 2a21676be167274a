#pragma once

#include "classes/classed_feature.h"
#include "export/io_result.h"

#include <QObject>
#include <QString>
#include <QStringList>

namespace digitrace {

class TracingSession;
class TraceModel;
class WindowHost;

// The save dialog's filter, as the source text of its translations.
inline constexpr char kDxfFilterText[] =
    QT_TRANSLATE_NOOP("digitrace::saveTrace", "DXFﾌｧｲﾙ(*.dxf)");
inline const QString kDxfFilter = QString::fromUtf8(kDxfFilterText);

// Asks the operator for the file to write. The window answers with its save dialog, which adds
// ".dxf" to a name typed without it and asks before replacing a file; tests answer directly.
class FileChooser {
public:
    virtual ~FileChooser() = default;
    // "" means the operator cancelled.
    virtual QString chooseSaveFile(const QString &filter) = 0;
    // The same, offering `suggestedName` (a file name without folder) to start from.
    virtual QString chooseSaveFileNamed(const QString &filter, const QString &suggestedName) {
        Q_UNUSED(suggestedName);
        return chooseSaveFile(filter);
    }
};

struct [[nodiscard]] SaveOutcome {
    bool cancelled = false;
    IoResult result;
    QStringList notes = {}; // what the operator should know of the file written
};

// The save button: ask for a name, export the trace there and, once the file is written, remember
// the name in SaveFileName and the caption. A cancel changes nothing; a failure leaves the name,
// the caption, the trace and any existing file as they were, and result tells the operator why.
// With `classes` in use, each class's features go on its layer.
SaveOutcome saveTrace(TraceModel &model, FileChooser &chooser, const TraceClasses &classes = {});

// DXF出力: asks for the file, writes the trace there and journals the export, which names the job.
class DxfExportFeature : public QObject {
    Q_OBJECT
public:
    DxfExportFeature(WindowHost &host, TracingSession &session, TraceModel &model);

    void exportDxf();

signals:
    // The DXF was written: the caption names it and the records are saved.
    void exported();

private:
    WindowHost &host_;
    TracingSession &session_;
    TraceModel &model_;
};

} // namespace digitrace
