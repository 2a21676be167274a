#pragma once

#include <QObject>

namespace digitrace {

class JobJournal;
class Session;
class TraceModel;
class WindowHost;

// DXF出力: asks for the file, writes the trace there and journals the export, which names the job.
class DxfExportFeature : public QObject {
    Q_OBJECT
public:
    DxfExportFeature(WindowHost &host, Session &session, JobJournal &job, TraceModel &model);

    void exportDxf();

signals:
    // The DXF was written: the caption names it and the records are saved.
    void exported();

private:
    WindowHost &host_;
    Session &session_;
    JobJournal &job_;
    TraceModel &model_;
};

} // namespace digitrace
