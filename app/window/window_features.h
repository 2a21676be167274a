#pragma once

namespace digitrace {

class DxfExportFeature;
class GisExportFeature;
class HelpFeature;
class JobFiles;
class JobJournal;
class PublishFeature;
class PortFeature;
class TracingSession;
class SheetRegistration;
class StatusFeature;
class TabletCursor;
class TabletMenuFeature;
class TraceNavigation;
class WindowNotices;

// What the main window hosts, for those who drive it from outside (main(), the unattended demo,
// tests): the session and the job the features share, and the features themselves.
struct WindowFeatures {
    TracingSession &session;
    JobJournal &job; // the session's
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
    TabletMenuFeature &tabletMenu;
};

} // namespace digitrace
