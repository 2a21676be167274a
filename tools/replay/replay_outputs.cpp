#include "tools/replay/replay_outputs.h"

#include "tools/replay/check_output.h"
#include "tools/replay/edge_output.h"
#include "tracing/snap_index.h"

#include <QDir>
#include <QFileInfo>

namespace digitrace {
namespace {

// A capture from standard input cannot be read twice: a target that cannot be written is
// refused before the capture is taken in.
bool targetFolderExists(const QString &path) {
    if (path.isEmpty() || QFileInfo(path).absoluteDir().exists())
        return true;
    complain(QStringLiteral("cannot write %1: the folder %2 does not exist")
                 .arg(path, QDir::toNativeSeparators(QFileInfo(path).absolutePath())));
    return false;
}

// The GIS export after the replay, with the fit's figures and what went where.
bool exportFeatures(const TraceStore &store, PreparedGis &gis, const GisRequest &request,
                    QTextStream &out) {
    gis.options.placement.scaleDenom = store.ScaleDenom;
    gis.options.placement.tabletUnitMm = store.tabletUnitMm;
    const GisExportResult written = exportGis(store, gis.options, request.path);
    const FeatureSet &f = written.features;
    out << fitReport(gis, request.transform, store.tabletUnitMm)
        << QStringLiteral("gis\t%1 point(s), %2 line(s), %3 polygon(s), %4 record(s) left out\n")
               .arg(f.points)
               .arg(f.lines)
               .arg(f.polygons)
               .arg(f.leftOut);
    out.flush();
    for (const QString &note : written.notes)
        complain(note);
    if (!written.ok())
        complain(written.result.error);
    return written.ok();
}

} // namespace

std::optional<ReplayOutputs> prepareOutputs(const ReplayOptions &options) {
    ReplayOutputs prepared;
    std::optional<TemplateText> &head = prepared.head;
    if (!options.dxfPath.isEmpty()) {
        head = options.templatePath.isEmpty() ? loadDxfTemplate(QDir::currentPath())
                                              : readDxfTemplate(options.templatePath);
        if (!head->error.isEmpty()) {
            complain(head->error);
            return std::nullopt;
        }
    }
    std::optional<PreparedGis> &gis = prepared.gis;
    if (!options.gis.path.isEmpty()) {
        gis = prepareGis(options.gis);
        if (!gis->error.isEmpty()) {
            complain(gis->error);
            return std::nullopt;
        }
        for (const QString &warning : gis->warnings)
            complain(warning);
    }
    std::optional<PreparedPublish> &publish = prepared.publish;
    if (!options.publish.connection.isEmpty()) {
        publish = preparePublish(options.publish);
        if (!publish->error.isEmpty()) {
            complain(publish->error);
            return std::nullopt;
        }
    }
    if (!targetFolderExists(options.dxfPath) || !targetFolderExists(options.pngPath) ||
        !targetFolderExists(options.gis.path))
        return std::nullopt;
    return prepared;
}

bool writeOutputs(const ReplayOptions &options, ReplayOutputs &outputs,
                  PublishRequest &publishRequest, const ReplayedJob &replayed, bool replayWent,
                  QTextStream &out) {
    bool ok = replayWent;
    const std::optional<TemplateText> &head = outputs.head;
    std::optional<PreparedGis> &gis = outputs.gis;
    const std::optional<PreparedPublish> &publish = outputs.publish;
    const TraceClasses classes = replayed.job.classes.forOutput();
    const double checkUnits =
        toleranceUnits(checkToleranceMm(replayed.job), replayed.store.tabletUnitMm);
    if (head) {
        const DxfExportResult saved = exportDxf(replayed.store, *head, options.dxfPath, classes);
        for (const QString &note : saved.notes)
            complain(note);
        if (!saved.ok()) {
            complain(saved.error);
            ok = false;
        }
    }
    if (gis)
        gis->options.classes = classes;
    if (gis && options.check.repair) {
        Placement placement = gis->options.placement;
        placement.scaleDenom = replayed.store.ScaleDenom;
        placement.tabletUnitMm = replayed.store.tabletUnitMm;
        gis->options.repair = replayRepair(placement, classes, checkUnits);
    }
    if (publish && publish->registration && options.check.repair)
        publishRequest.repair =
            replayRepair({publish->registration->fit().transform, replayed.store.ScaleDenom,
                          replayed.store.tabletUnitMm},
                         classes, checkUnits);
    if (gis && !exportFeatures(replayed.store, *gis, options.gis, out))
        ok = false;
    if (replayed.sentLive) {
        ok = ok && replayed.liveWent;
    } else if (publish) {
        QString error;
        QStringList notes;
        out << publishTrace(replayed.store, publish->registration, publishRequest, replayed.jobId,
                            classes, &error, &notes);
        out.flush();
        for (const QString &note : notes)
            complain(note);
        if (!error.isEmpty()) {
            complain(error);
            ok = false;
        }
    }
    // Only a sheet that went, from a replay that went, is matched with its neighbours.
    if (options.edgeCheck && ok && publish && publish->registration) {
        QString error;
        if (!printEdgeCheck(replayed.store, *publish->registration, publishRequest.sheet, classes,
                            publishRequest.connection, checkToleranceMm(replayed.job), out,
                            &error)) {
            complain(error);
            ok = false;
        }
        out.flush();
    }
    return ok;
}

} // namespace digitrace
