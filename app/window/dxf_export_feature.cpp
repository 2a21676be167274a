#include "app/window/dxf_export_feature.h"

#include "app/window/reception_hold.h"
#include "app/window/window_dialogs.h"
#include "app/window/window_host.h"
#include "export/save_trace.h"
#include "job/job_journal.h"
#include "model/trace_model.h"

#include <QMainWindow>

namespace digitrace {

DxfExportFeature::DxfExportFeature(WindowHost &host, Session &session, JobJournal &job,
                                   TraceModel &model)
    : QObject(&host.mainWindow()), host_(host), session_(session), job_(job), model_(model) {}

void DxfExportFeature::exportDxf() {
    const ReceptionHold hold(session_);
    const SaveOutcome outcome = saveTrace(model_, host_.dialogs());
    if (outcome.cancelled)
        return;
    if (!outcome.result.ok()) {
        host_.dialogs().warn(outcome.result.error);
        return;
    }
    job_.apply(plainEntry(EntryKind::Exported, model_.store().SaveFileName));
    emit exported();
}

} // namespace digitrace
