#pragma once

#include "acquisition/session.h"
#include "app/window/window_host.h"
#include "display/renderer.h"
#include "job/job_journal.h"
#include "model/trace_display.h"
#include "model/trace_model.h"

#include <QMainWindow>

#include <array>
#include <memory>

class QLabel;
class QAction;
class QMenu;
class QMenuBar;
class QLineEdit;
class QPushButton;

namespace digitrace {

class DrawingArea;
class DxfExportFeature;
class HelpFeature;
class JobFiles;
class NoticeBar;
class SheetRegistration;
class TraceNavigation;
class PortFeature;
class RecordMonitor;
class StatusFeature;
class StatusLine;
class WindowDialogs;

// The controls of the main window, under their own names.
struct TraceControls {
    // The form the designed controls sit on, below the menu bar.
    QWidget *form = nullptr;
    QMenuBar *menuBar = nullptr;
    QWidget *picBar = nullptr;
    DrawingArea *picDigit = nullptr;
    QPushButton *Command1 = nullptr, *Command2 = nullptr, *cmdFile = nullptr;
    QPushButton *cmdClear = nullptr, *cmdBack = nullptr;
    QLineEdit *txtScale = nullptr;
    QLabel *lblPoints = nullptr, *lblLines = nullptr, *lblPoly = nullptr;
    QLabel *lblLength = nullptr, *lblLenAll = nullptr, *lblArea = nullptr;
    QLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr, *Label4 = nullptr;
    QLabel *Label6 = nullptr, *Label8 = nullptr;
};

// The size the window first opens at: wide enough for every control of the toolbar, also one that
// runs `toolbarWidth` pixels (a translated strip), no wider than `availableWidth` pixels.
QSize initialInnerSize(qreal logicalDpi, int availableWidth, int toolbarWidth = 0);

// The main window: the designed form and its handlers, the trace as the model and the session
// tell it, and the host of the feature objects that bring every other capability.
class frmTrace1 : public QMainWindow, public TraceDisplay, private WindowHost {
    Q_OBJECT
public:
    // `dialogs` answers every dialog; the window shows Qt's own when it is null.
    frmTrace1(TraceModel &model, SerialPort &port, WindowDialogs *dialogs = nullptr,
              QWidget *parent = nullptr);
    ~frmTrace1() override;

    const TraceControls &controls() const { return ui_; }
    bool Connected() const { return session_.isConnected(); }
    Session &session() { return session_; }
    // Resizes the window so that the form below the menu bar gets `inner`.
    void resizeInner(QSize inner);

    void Command1_Click();
    void Command2_Click();
    void cmdFile_Click();
    void cmdClear_Click();
    void cmdBack_Click();

    // Zoom, pan and the whole trace.
    TraceNavigation &navigation() { return *navigation_; }
    JobJournal &job() { return job_; }
    // The job's journal and files of ファイル.
    JobFiles &jobFiles() { return *jobFiles_; }

    // 基準点の登録 and GIS出力.
    SheetRegistration &sheet() { return *sheet_; }

    // The port settings, the record monitor and the notices about the line.
    PortFeature &portFeature() { return *portFeature_; }
    QString portSummary() const;
    RecordMonitor *recordMonitor() const;

    // Shows the connection state and portSummary() again, after the port settings changed.
    void refreshConnectionState();
    StatusLine &statusLine();
    // Tells the operator something that needs no answer: in the notice bar above the drawing
    // area and in the status line, never in a window of its own.
    void showNotice(const QString &text) override;
    NoticeBar &noticeBar() { return *noticeBar_; }
    HelpFeature &help() { return *help_; }

    // TraceDisplay
    void showText(DisplayField field, const QString &text) override;
    void clearDrawingArea() override;

    void Redraw(Rgb background);
    // The model refused a record: told once per job and kind.
    void recordRefused(RecordOutcome outcome);

signals:
    // showNotice() told the operator `text`.
    void noticeShown(const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void buildControls();
    void buildMenu();
    void buildActionMenus(QMenu *file);
    void describeControls();
    // At the geometry the operator left, or else at the initial size.
    void placeWindow();
    // Moved, and if need be shrunk, so that the whole window is on its screen's free area.
    void keepOnScreen();
    // Taller by `pixels` for a panel docked above or below the form, as far as the screen allows:
    // the drawing area keeps its size, and its picture. How much it grew.
    int growBy(int pixels);
    void Form_Load();
    void Form_Resize();
    Rgb toolbarColour() const;
    // The job's changes, journalled and applied: what the session hands over on connect and for
    // each record.
    RecordIntake jobIntake();
    // The toolbar and the drawing area follow the connection.
    void wireSession();
    void showConnected(bool connected);
    void setDisconnectEnabled(bool enabled);
    void wireJob();
    void showRestoredJob(const ReplayResult &restored);
    void updateCaption();
    void showPortSummary();
    void buildNoticeBar();
    // WindowHost
    QMenu *menu(WindowMenu name) override;
    WindowDialogs &dialogs() override { return *dialogs_; }
    QMainWindow &mainWindow() override { return *this; }
    void makeRoomFor(QDockWidget &panel) override;
    QString scaleText() const override;
    void refreshSavedState();

    TraceModel &model_;
    TraceControls ui_;
    std::unique_ptr<WindowDialogs> ownDialogs_;
    WindowDialogs *dialogs_;
    Session session_;
    JobJournal job_;
    std::unique_ptr<Renderer> renderer_;
    bool toldTableFull_ = false;
    bool toldOutOfRange_ = false;
    QAction *actConnect_ = nullptr;
    QAction *actDisconnect_ = nullptr;
    SheetRegistration *sheet_ = nullptr;
    JobFiles *jobFiles_ = nullptr;
    DxfExportFeature *dxfExport_ = nullptr;
    TraceNavigation *navigation_ = nullptr;
    std::array<QMenu *, 5> menus_{};
    SerialPort &port_;
    PortFeature *portFeature_ = nullptr;
    QString connectTip_;
    StatusFeature *status_ = nullptr;
    NoticeBar *noticeBar_ = nullptr;
    // What the window grew by to show the notice bar, given back when it closes.
    int noticeGrowth_ = 0;
    HelpFeature *help_ = nullptr;
};

} // namespace digitrace
