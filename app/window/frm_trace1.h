#pragma once

#include "app/window/topology_feature.h"
#include "app/window/trace_controls.h"
#include "app/window/window_features.h"
#include "app/window/window_host.h"
#include "app/window/window_placement.h"
#include "display/renderer.h"
#include "job/job_journal.h"
#include "model/trace_display.h"
#include "model/trace_model.h"
#include "tracing/tracing_session.h"

#include <QMainWindow>

#include <memory>

namespace digitrace {

class ClassFeature;
class EdgeFeature;
class SnapFeature;
class TabletMenuFeature;
class ClassStoreFeature;
class WindowDialogs;
class WindowMenus;

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
    // What the window hosts, once it is built.
    WindowFeatures features();
    // Resizes the window so that the form below the menu bar gets `inner`.
    void resizeInner(QSize inner);

    void Command1_Click();
    void Command2_Click();
    void cmdFile_Click();
    void cmdClear_Click();
    void cmdBack_Click();

    // Tells the operator something that needs no answer: in the notice bar above the drawing
    // area and in the status line, never in a window of its own.
    void showNotice(const QString &text) override;
    bool replaceNotice(const QString &before, const QString &now) override;
    void withdrawNotice(const QString &text) override;

    void showText(DisplayField field, const QString &text) override;
    void clearDrawingArea() override;

    void Redraw(Rgb background);

signals:
    // showNotice() told the operator `text`.
    void noticeShown(const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void Form_Load();
    void Form_Resize();
    // The job's changes, journalled and applied: what the session hands over on connect and for
    // each record.
    // The form, the caption and the job follow the connection.
    void createFeatures();
    void connectFeatures();
    void wireSession();
    void showRestoredJob(const ReplayResult &restored);
    void updateCaption();
    // WindowHost
    void addMenuAction(MenuGroup group, QAction *action) override;
    QMenu *menu(WindowMenu name) override;
    WindowDialogs &dialogs() override { return *dialogs_; }
    QMainWindow &mainWindow() override { return *this; }
    void makeRoomFor(QDockWidget &panel) override;
    QString scaleText() const override;
    bool readyForOutput(bool repairable = false) override;
    OutputRepair outputRepair(const Placement &placement) const override {
        return topology_->repairFor(placement);
    }

    TraceModel &model_;
    TraceControls ui_;
    std::unique_ptr<WindowDialogs> ownDialogs_;
    WindowDialogs *dialogs_;
    TracingSession session_;
    JobJournal &job_; // the session's
    // In the order they are made (createFeatures()), so that each goes before those it names.
    std::unique_ptr<WindowPlacement> placement_;
    std::unique_ptr<WindowMenus> menus_;
    std::unique_ptr<Renderer> renderer_;
    std::unique_ptr<SheetRegistration> sheet_;
    std::unique_ptr<DxfExportFeature> dxfExport_;
    std::unique_ptr<GisExportFeature> gisExport_;
    std::unique_ptr<StatusFeature> status_;
    std::unique_ptr<PortFeature> portFeature_;
    std::unique_ptr<JobFiles> jobFiles_;
    std::unique_ptr<TraceNavigation> navigation_;
    std::unique_ptr<PublishFeature> publish_;
    std::unique_ptr<ClassStoreFeature> classStore_;
    std::unique_ptr<EdgeFeature> edges_;
    std::unique_ptr<TabletCursor> tabletCursor_;
    std::unique_ptr<WindowNotices> notices_;
    std::unique_ptr<HelpFeature> help_;
    std::unique_ptr<TabletMenuFeature> tabletMenu_;
    std::unique_ptr<SnapFeature> snap_;
    std::unique_ptr<ClassFeature> classes_;
    std::unique_ptr<TopologyFeature> topology_;
};

} // namespace digitrace
