#pragma once

#include "acquisition/capture_port.h"
#include "model/numeric_value.h"
#include "model/trace_model.h"
#include "tools/replay/headless_view.h"
#include "tracing/tracing_session.h"

#include <QBuffer>
#include <QByteArray>

namespace digitrace::bench {

// One connection that takes a whole capture through the live receive path, as digitrace-replay
// does: the session, the model and a headless view; with a class catalogue when one is given,
// snapping within `snapMm` on the sheet when above 0.
inline void replayCapture(TraceModel &model, HeadlessView &view, QByteArray &capture,
                          const QString &catalogue = {}, double snapMm = 0) {
    QBuffer source(&capture);
    source.open(QIODevice::ReadOnly);
    CapturePort port(source);
    TracingSession session(port, model);
    if (!catalogue.isEmpty())
        session.useCatalogue(catalogue);
    session.setSnapping(snapMm);
    view.watch(session);
    QObject::connect(&port, &SerialPort::dataArrived, &session.reception(),
                     &Reception::takeBacklog);
    session.connectTablet({view.scaleText(), scaleDenomFromText(view.scaleText())});
    port.playAll();
}

} // namespace digitrace::bench
