#pragma once

#include "acquisition/session.h"
#include "display/renderer.h"
#include "model/trace_display.h"
#include "model/trace_model.h"

#include <QWidget>

#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;

namespace digitrace {

class DrawingArea;
class WindowDialogs;

// The controls of the main window, under their own names.
struct TraceControls {
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

// The size the window first opens at: wide enough for every control of the toolbar, no wider than
// `availableWidth` pixels.
QSize initialInnerSize(qreal logicalDpi, int availableWidth);

// The main window: wiring between the controls, the trace model, the renderer, the serial
// session and the DXF export. It shows what the model and the session tell it.
class frmTrace1 : public QWidget, public TraceDisplay, public SessionView {
    Q_OBJECT
public:
    // `dialogs` answers every dialog; the window shows Qt's own when it is null.
    frmTrace1(TraceModel &model, SerialPort &port, WindowDialogs *dialogs = nullptr,
              QWidget *parent = nullptr);
    ~frmTrace1() override;

    const TraceControls &controls() const { return ui_; }
    bool Connected() const { return session_.isConnected(); }
    Session &session() { return session_; }

    void Command1_Click();
    void Command2_Click();
    void cmdFile_Click();
    void cmdClear_Click();
    void cmdBack_Click();

    // The whole trace, in the automatic fit of the record intake (Home).
    void showWholeTrace();
    // The operator's view of the trace (zoom, pan); new records are drawn in it.
    void showView(const View &view);

    // TraceDisplay
    void showText(DisplayField field, const QString &text) override;
    void clearDrawingArea() override;

    // SessionView
    QString scaleText() const override;
    void setScaleEnabled(bool enabled) override;
    void setConnectEnabled(bool enabled) override;
    void setDisconnectEnabled(bool enabled) override;
    void setDrawingBackground(Rgb colour) override;
    void Redraw(Rgb background) override;
    void showProblem(const QString &message) override;
    void recordRefused(RecordOutcome outcome) override;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void connectNavigation();
    // At the geometry the operator left, or else at the initial size.
    void placeWindow();
    void Form_Load();
    void Form_Resize();
    Rgb toolbarColour() const;

    TraceModel &model_;
    TraceControls ui_;
    std::unique_ptr<WindowDialogs> ownDialogs_;
    WindowDialogs *dialogs_;
    Session session_;
    std::unique_ptr<Renderer> renderer_;
    bool toldTableFull_ = false;
    bool toldOutOfRange_ = false;
};

} // namespace digitrace
