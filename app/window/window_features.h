#pragma once

namespace digitrace {

class DxfExportFeature;
class GisExportFeature;
class FormattedPort;
class HelpFeature;
class JobFiles;
class JobJournal;
class PublishFeature;
class PortFeature;
class Session;
class SheetRegistration;
class StatusFeature;
class TabletCursor;
class TraceNavigation;
class WindowNotices;

// What the main window hosts, for those who drive it from outside (main(), the unattended demo,
// tests): the session and the job the features share, and the features themselves.
struct WindowFeatures {
    Session &session;
    FormattedPort &tabletLine; // the tablet's line as the session reads it: through its format
    JobJournal &job;
    SheetRegistration &sheet;
    DxfExportFeature &dxfExport;
    GisExportFeature &gisExport;
    JobFiles &jobFiles;
    TraceNavigation &navigation;
    StatusFeature &status;
    PortFeature &port;
    WindowNotices &notices;
    HelpFeature &help;
    PublishFeature &publish;
    TabletCursor &tabletCursor;
};

} // namespace digitrace
