#pragma once

namespace digitrace {

class DxfExportFeature;
class HelpFeature;
class JobFiles;
class JobJournal;
class PortFeature;
class Session;
class SheetRegistration;
class StatusFeature;
class TraceNavigation;
class WindowNotices;

// What the main window hosts, for those who drive it from outside (main(), the unattended demo,
// tests): the session and the job the features share, and the features themselves.
struct WindowFeatures {
    Session &session;
    JobJournal &job;
    SheetRegistration &sheet;
    DxfExportFeature &dxfExport;
    JobFiles &jobFiles;
    TraceNavigation &navigation;
    StatusFeature &status;
    PortFeature &port;
    WindowNotices &notices;
    HelpFeature &help;
};

} // namespace digitrace
