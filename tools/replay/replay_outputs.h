#pragma once

#include "export/dxf_export.h"
#include "job/job_replay.h"
#include "tools/replay/gis_output.h"
#include "tools/replay/publish_output.h"
#include "tools/replay/replay_options.h"

#include <QTextStream>

#include <optional>

namespace digitrace {

// The files and the database a replay writes to, read and checked before the capture is taken
// in: a capture from standard input cannot be read twice.
struct ReplayOutputs {
    std::optional<TemplateText> head;
    std::optional<PreparedGis> gis;
    std::optional<PreparedPublish> publish;
};
// Nothing, with the reason told, when a template, a target or a connection will not do.
std::optional<ReplayOutputs> prepareOutputs(const ReplayOptions &options);

// The replayed job as the outputs take it.
struct ReplayedJob {
    const TraceStore &store;
    const JobState &job;
    QString jobId;
    // Whether --live sent the sheet already, and whether that went.
    bool sentLive = false;
    bool liveWent = false;
};

// The DXF, the GIS export, the publish and the edge check, in that order; false when one failed,
// each failure told.
bool writeOutputs(const ReplayOptions &options, ReplayOutputs &outputs,
                  PublishRequest &publishRequest, const ReplayedJob &replayed, bool replayWent,
                  QTextStream &out);

} // namespace digitrace
