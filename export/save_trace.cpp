#include "export/save_trace.h"

#include "export/dxf_export.h"
#include "model/trace_model.h"

#include <QCoreApplication>

namespace digitrace {

SaveOutcome saveTrace(TraceModel &model, FileChooser &chooser) {
    const QString name =
        chooser.chooseSaveFile(QCoreApplication::translate("digitrace::saveTrace", kDxfFilterText));
    if (name.isEmpty())
        return {true, {}};
    // The caption is the only sign of a successful export, so it names the file only once the
    // file is there.
    IoResult result = exportDxf(model.store(), model.store().AppDir, name);
    if (result.ok())
        model.setSaveFileName(name);
    return {false, std::move(result)};
}

} // namespace digitrace
