#include "app/window/dxf_export_feature.h"

#include "app/window/reception_hold.h"
#include "app/window/window_dialogs.h"
#include "app/window/window_host.h"
#include "export/dxf_export.h"
#include "model/trace_model.h"
#include "tracing/tracing_session.h"

#include <QCoreApplication>
#include <QMainWindow>

namespace digitrace {

SaveOutcome saveTrace(TraceModel &model, FileChooser &chooser, const TraceClasses &classes) {
    const QString name =
        chooser.chooseSaveFile(QCoreApplication::translate("digitrace::saveTrace", kDxfFilterText));
    if (name.isEmpty())
        return {true, {}};
    // The caption is the only sign of a successful export, so it names the file only once the
    // file is there.
    DxfExportResult result = exportDxf(model.store(), model.store().AppDir, name, classes);
    if (result.ok())
        model.setSaveFileName(name);
    return {false, {result.error}, result.notes};
}

DxfExportFeature::DxfExportFeature(WindowHost &host, TracingSession &session, TraceModel &model)
    : QObject(&host.mainWindow()), host_(host), session_(session), model_(model) {}

void DxfExportFeature::exportDxf() {
    const ReceptionHold hold(session_);
    if (!host_.readyForOutput())
        return;
    const SaveOutcome outcome =
        saveTrace(model_, host_.dialogs(), session_.job().classes.forOutput());
    if (outcome.cancelled)
        return;
    if (!outcome.result.ok()) {
        host_.dialogs().warn(outcome.result.error);
        return;
    }
    session_.exported(model_.store().SaveFileName);
    if (!outcome.notes.isEmpty())
        host_.dialogs().notify(outcome.notes.join(u'\n'));
    emit exported();
}

} // namespace digitrace
