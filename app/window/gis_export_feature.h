#pragma once

#include <QObject>

class QAction;

namespace digitrace {

class TracingSession;
class SheetRegistration;
class TraceModel;
class WindowHost;

// ファイル → GIS出力…: the trace's features as a GIS file, placed in map coordinates through the
// sheet's registration, or in metres at the scale when the sheet is not registered.
class GisExportFeature : public QObject {
    Q_OBJECT
public:
    GisExportFeature(WindowHost &host, TracingSession &session, const SheetRegistration &sheet,
                     const TraceModel &model);

    // Asks for the file, named after the sheet, and tells what was written.
    void exportGisFile();

private:
    WindowHost &host_;
    TracingSession &session_;
    const SheetRegistration &sheet_;
    const TraceModel &model_;
    QAction *export_;
};

} // namespace digitrace
