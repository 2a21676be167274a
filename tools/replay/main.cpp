// Replays a raw tablet capture headlessly through the session, model, renderer and exporter of a
// live connection, and prints what the window would show.

#include "acquisition/capture_port.h"
#include "export/file_replacement.h"
#include "export/publish_sql.h"
#include "job/job_replay.h"
#include "job/journal_problem_text.h"
#include "model/numeric_value.h"
#include "tools/replay/check_output.h"
#include "tools/replay/headless_view.h"
#include "tools/replay/live_output.h"
#include "tools/replay/publish_output.h"
#include "tools/replay/replay_options.h"
#include "tools/replay/replay_outputs.h"
#include "tools/replay/tablet_reading.h"
#include "tools/replay/trace_fields.h"
#include "tracing/snap_index.h"
#include "tracing/tracing_session.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

#include <cstdio>
#include <functional>
#include <memory>
#include <optional>

using namespace digitrace;

namespace {

bool openCapture(QFile &capture, const QString &path) {
    bool opened = false;
    if (path == QStringLiteral("-")) {
        opened = capture.open(fileno(stdin), QIODevice::ReadOnly);
    } else {
        capture.setFileName(path);
        opened = capture.open(QIODevice::ReadOnly);
    }
    if (!opened)
        complain(QStringLiteral("cannot read the capture %1: %2").arg(path, capture.errorString()));
    return opened;
}

// Encoded first, then written aside with every write checked and put in place only when
// complete, as the DXF is: the PNG encoder does not notice a write the disk refused.
bool writePicture(const QImage &image, const QString &path) {
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) {
        complain(QStringLiteral("cannot encode the picture %1").arg(path));
        return false;
    }
    const Replacement written =
        replaceFile(path, [&](QFileDevice &device) { return writeBytesInto(png, device); });
    if (written.ok())
        return true;
    complain(written.message(QStringLiteral("cannot write the picture %1:").arg(path)));
    return false;
}

void reportRefused(const HeadlessView &view) {
    const int total = view.refusedFull() + view.refusedOutOfRange();
    complain(QStringLiteral("%1 record(s) refused: %2 with the table full, %3 with a coordinate "
                            "out of range")
                 .arg(total)
                 .arg(view.refusedFull())
                 .arg(view.refusedOutOfRange()));
}

// `live` paces the capture while it sends the sheet; without it the capture goes at once.
bool replayCapture(CapturePort &port, const Reception &formatted, const QString &path,
                   const std::function<bool()> &live) {
    bool ok = live ? live() : port.playAll();
    if (!ok)
        complain(QStringLiteral("cannot read the capture %1 after byte %2: %3; what came before "
                                "was replayed")
                     .arg(path)
                     .arg(port.bytesPlayed())
                     .arg(port.errorString()));
    // fixed19 hands its bytes on: the framing holds what is left of its last record.
    const TabletFormat &format = formatted.format();
    if (format.kind == FormatKind::Fixed19 && !format.strict) {
        if (port.unfinishedRecordLength() > 0)
            complain(QStringLiteral("the capture ends inside a record: its last %1 character(s) "
                                    "have no carriage return and were not taken")
                         .arg(port.unfinishedRecordLength()));
    } else if (formatted.pendingBytes() > 0) {
        complain(QStringLiteral("the capture ends inside a %1 report: its last %2 byte(s) make "
                                "no whole report or line and were not taken")
                     .arg(format.name())
                     .arg(formatted.pendingBytes()));
    }
    return ok;
}

// A job file, entry by entry through the session's job, as it is read; lines that do not read
// are told and skipped.
bool replayJob(QIODevice &job, TracingSession &session, HeadlessView &view,
               const std::function<void()> &eachRecord, const QString &path, ReplayResult &result) {
    const ReplayResult r = session.journal().load(
        job, {}, [&](const JournalEntry &entry, RecordOutcome outcome, QByteArrayView) {
            if (!is<entry::Record>(entry))
                return;
            if (isRefused(outcome))
                view.recordRefused(outcome);
            if (eachRecord)
                eachRecord();
        });
    result = r;
    if (r.clean && r.tornBytes == 0)
        return true;
    if (!r.problem) {
        complain(QStringLiteral("the job file %1 is damaged from byte %2 on: %3; the %4 entries "
                                "before it were replayed")
                     .arg(path)
                     .arg(r.wholeBytes + 1)
                     .arg(problemTextForLog(r.problem))
                     .arg(r.entries));
        return false;
    }
    complain(QStringLiteral("the job file %1 is damaged from byte %2 on: %3; %4 line(s) that do "
                            "not read were skipped, the %5 entries that do were replayed")
                 .arg(path)
                 .arg(r.problem->offset + 1)
                 .arg(problemTextForLog(r.problem))
                 .arg(r.skippedLines)
                 .arg(r.entries));
    return false;
}

bool useCatalogue(TracingSession &session, const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        complain(
            QStringLiteral("cannot read the class catalogue %1: %2").arg(path, file.errorString()));
        return false;
    }
    ClassCatalogue::Error error;
    if (session.useCatalogue(QString::fromUtf8(file.readAll()), &error))
        return true;
    complain(QStringLiteral("the class catalogue %1 does not read: %2").arg(path, error.text()));
    return false;
}

bool useMenu(TracingSession &session, const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        complain(
            QStringLiteral("cannot read the tablet menu %1: %2").arg(path, file.errorString()));
        return false;
    }
    QString error;
    const std::optional<TabletMenu> menu =
        TabletMenu::read(QString::fromUtf8(file.readAll()), &error);
    if (!menu)
        complain(QStringLiteral("the tablet menu %1 does not read: %2").arg(path, error));
    else if (!session.useTabletMenu(*menu))
        complain(QStringLiteral("the tablet menu %1 names no area on the tablet "
                                "(area = x1 y1 x2 y2)")
                     .arg(path));
    return menu && menu->area;
}

// A line a class, in the catalogue's order: its name and how many features took it.
void printClassCounts(const FeatureClasses &classes, QTextStream &out) {
    if (!classes.catalogue())
        return;
    for (const FeatureClass &c : classes.catalogue()->classes()) {
        qsizetype count = 0;
        for (const ClassedFeature &f : classes.features())
            count += f.className == c.name;
        out << "class\t" << c.name << '\t' << count << '\n';
    }
}

// The whole run after the command line; the exit status.
int replay(const ReplayOptions &options) {
    std::optional<ReplayOutputs> outputs = prepareOutputs(options);
    if (!outputs)
        return 1;
    std::optional<PreparedPublish> &publish = outputs->publish;
    QFile capture;
    if (!openCapture(capture, options.capturePath))
        return 1;

    // The window's locale, from LC_ALL / LANG; after the application object, which reads them.
    TraceModel model{QLocale()};
    model.setTabletUnitMm(options.gis.tabletUnitMm);
    model.setHalfSize(options.areaSize.width() / 2.0f, options.areaSize.height() / 2.0f);
    HeadlessView view(model.store(), options.scaleText,
                      options.pngPath.isEmpty() ? std::nullopt
                                                : std::optional<QSize>(options.areaSize));
    CapturePort port(capture);
    port.setPortName(options.capturePath);
    TracingSession session(port, model);
    Reception &formatted = session.reception();
    const RefusalTally refusals(formatted);
    view.watch(session);
    // No window waits for its turn: each piece is taken whole before the next is read.
    QObject::connect(&port, &SerialPort::dataArrived, &formatted, &Reception::takeBacklog);

    QTextStream out(stdout);
    out.setEncoding(QStringConverter::Utf8);
    const auto printEach = [&] { out << traceFieldValues(model).join(u'\t') << '\n'; };
    if (options.each)
        QObject::connect(&session, &TracingSession::recordTaken, printEach);
    bool ok = true;
    QString jobId = jobIdentity(capture.peek(kJobIdentityBytes));
    PublishRequest publishRequest = options.publish;
    const bool isJob = looksLikeJournal(capture.peek(kJournalSniffBytes));
    if (publish && !isJob && publishRequest.sheet.isEmpty()) {
        complain(checkSheetName({}));
        return 1;
    }
    if (isJob && (!options.classesPath.isEmpty() || !options.menuPath.isEmpty())) {
        complain(QStringLiteral("--classes and --menu are read for a raw capture; a job file "
                                "keeps its own catalogue and menu"));
        return 1;
    }
    if (!options.classesPath.isEmpty() && !useCatalogue(session, options.classesPath))
        return 1;
    if (!options.menuPath.isEmpty() && !useMenu(session, options.menuPath))
        return 1;
    if (options.snapMm > 0) {
        if (isJob) {
            complain(QStringLiteral("--snap is read for a raw capture; a job file keeps its own "
                                    "snapping and the records it snapped"));
            return 1;
        }
        session.setSnapping(options.snapMm);
    }
    if (isJob && options.live) {
        complain(QStringLiteral("--live feeds a raw capture; a job file is published at once"));
        return 1;
    }
    std::unique_ptr<LivePublishing> live;
    // A command the trace could not do is told, as the window tells it, and the replay goes on.
    QObject::connect(&session, &TracingSession::commandPerformed,
                     [](const TabletCommand &command, const QString &refusal) {
                         if (!refusal.isEmpty())
                             complain(QStringLiteral("%1: %2").arg(command.toText(), refusal));
                     });
    if (isJob) {
        ReplayResult journalled;
        ok = replayJob(capture, session, view,
                       options.each ? std::function<void()>(printEach) : nullptr,
                       options.capturePath, journalled);
        jobId = journalled.job.jobId();
        // The points given on the command line stand over the job's own.
        if (publish && !publish->registration)
            publish->registration = journalled.job.registration;
        if (publish) {
            if (const QString error = takeJobSheet(publishRequest, journalled.job.sheetName,
                                                   journalled.job.publishedRevision());
                !error.isEmpty()) {
                complain(error);
                return 1;
            }
        }
        view.Redraw(kDisconnectedBackground);
    } else {
        QString error, note;
        bool undecided = false;
        const std::optional<TabletFormat> format =
            chooseTabletFormat(options.tablet, capture, &error, &note, &undecided);
        if (!format) {
            complain(error);
            return undecided ? 2 : 1;
        }
        if (!note.isEmpty())
            complain(note);
        session.switchFormat(*format);
        qint64 taken = 0;
        QObject::connect(&session, &TracingSession::recordTaken, [&taken] { ++taken; });
        if (!session.connectTablet({view.scaleText(), scaleDenomFromText(view.scaleText()), true,
                                    options.gis.tabletUnitMm}))
            return 1;
        std::function<bool()> paced;
        if (options.live) {
            live = std::make_unique<LivePublishing>(
                port, session, model.store(),
                [&] {
                    return sheetPublication(model.store(), publish->registration, publishRequest,
                                            jobId, session.job().classes.forOutput());
                },
                publishRequest.connection, out);
            paced = [&] { return live->run(*options.live, lineCharactersPerSecond(*format)); };
        }
        ok = replayCapture(port, formatted, options.capturePath, paced);
        if (!refusals.summary().isEmpty())
            complain(refusals.summary());
        ok = ok && !refusals.anyMismatch();
        // An empty trace from bytes is a wrong format or line, never a result.
        if (taken == 0 && port.bytesPlayed() > 0) {
            complain(QStringLiteral("no record was taken from the capture's %1 byte(s) read as %2")
                         .arg(port.bytesPlayed())
                         .arg(format->name()));
            ok = false;
        }
    }
    const QStringList names = traceFieldNames();
    const QStringList values = traceFieldValues(model);
    for (qsizetype i = 0; i < names.size(); ++i)
        out << names[i] << '\t' << values[i] << '\n';
    printClassCounts(session.job().classes, out);
    const double checkUnits =
        toleranceUnits(checkToleranceMm(session.job()), model.store().tabletUnitMm);
    if (options.check.report &&
        !printTopologyCheck(model.store(), session.job().classes.forOutput(), checkUnits,
                            options.check.strict, out))
        ok = false;
    out.flush();
    if (out.status() != QTextStream::Ok) {
        complain(QStringLiteral("cannot write to standard output"));
        ok = false;
    }

    const ReplayedJob replayed{model.store(), session.job(), jobId, bool(live),
                               live && live->published()};
    if (!writeOutputs(options, *outputs, publishRequest, replayed, ok, out))
        ok = false;
    if (!options.pngPath.isEmpty() && !writePicture(view.picture(), options.pngPath))
        ok = false;
    reportRefused(view);
    return ok && view.problems() == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[]) {
    // No window system: the picture is painted into an image, which needs none.
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("digitrace-replay"));
    const std::optional<ReplayOptions> options = parseReplayOptions(app);
    return options ? replay(*options) : 1;
}
