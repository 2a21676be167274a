#include "app/window/frm_trace1.h"

#include "app/window/class_feature.h"
#include "app/window/class_store_feature.h"
#include "app/window/control_descriptions.h"
#include "app/window/dxf_export_feature.h"
#include "app/window/edge_feature.h"
#include "app/window/gis_export_feature.h"
#include "app/window/help_feature.h"
#include "app/window/job_files.h"
#include "app/window/notice_bar.h"
#include "app/window/operator_settings.h"
#include "app/window/port_feature.h"
#include "app/window/publish_feature.h"
#include "app/window/reception_hold.h"
#include "app/window/sheet_registration.h"
#include "app/window/snap_feature.h"
#include "app/window/status_feature.h"
#include "app/window/tablet_cursor.h"
#include "app/window/tablet_menu_feature.h"
#include "app/window/toolbar_fonts.h"
#include "app/window/trace_navigation.h"
#include "app/window/twips.h"
#include "app/window/twips_controls.h"
#include "app/window/window_dialogs.h"
#include "app/window/window_menus.h"
#include "app/window/window_notices.h"
#include "display/widget/drawing_area.h"
#include "model/numeric_value.h"

#include <QCloseEvent>
#include <QDir>
#include <QDockWidget>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>

#include <algorithm>
#include <iterator>

namespace digitrace {

// A Japanese font that has every glyph of the window's texts, at a readable size; the toolbar's
// controls take the largest size their designed widths allow.
const QString kWindowFont = QStringLiteral("Noto Sans CJK JP");

frmTrace1::frmTrace1(TraceModel &model, SerialPort &port, WindowDialogs *dialogs, QWidget *parent)
    : QMainWindow(parent), model_(model),
      ownDialogs_(dialogs ? nullptr : std::make_unique<QtWindowDialogs>(this)),
      dialogs_(dialogs ? dialogs : ownDialogs_.get()), session_(port, model),
      job_(session_.journal()) {
    if (ownDialogs_)
        static_cast<QtWindowDialogs *>(ownDialogs_.get())
            ->setNoticeHandler([this](const QString &text) { showNotice(text); });
    setWindowTitle(tr("デジタイザートレース"));
    QFont font(kWindowFont);
    font.setPointSizeF(kReadablePoints);
    setFont(font);
    buildControls();
    // The next sheet is most often at the scale of the last one.
    if (const QString scale = OperatorSettings().lastScale(); !scale.isEmpty())
        ui_.txtScale->setText(scale);
    fitToolbarFonts(ui_, logicalDpiY());
    createFeatures();
    connectFeatures();
    Form_Load();
}

frmTrace1::~frmTrace1() {
    model_.setDisplay(nullptr);
}

// Once every feature exists: what each hears of the others and of the session, and what the
// window shows of them.
void frmTrace1::connectFeatures() {
    status_->showPortOf(*portFeature_);
    connect(sheet_.get(), &SheetRegistration::registered, this, &frmTrace1::updateCaption);
    connect(dxfExport_.get(), &DxfExportFeature::exported, this, &frmTrace1::updateCaption);
    connect(jobFiles_.get(), &JobFiles::jobReplaced, this, &frmTrace1::showRestoredJob);
    connect(jobFiles_.get(), &JobFiles::saved, this, &frmTrace1::updateCaption);
    connect(jobFiles_.get(), &JobFiles::clearTakenBack, this, [this] {
        Redraw(Connected() ? kConnectedBackground : kDisconnectedBackground);
        updateCaption();
    });
    wireSession();
    if (!placement_->restoreLast())
        resizeInner(placement_->firstInnerSize(toolbarWidth(ui_, logicalDpiY())));
    model_.setDisplay(this);
    connect(&session_, &TracingSession::connected, this, &frmTrace1::updateCaption);
    connect(&session_, &TracingSession::recordTaken, this, &frmTrace1::updateCaption);
    connect(&job_, &JobJournal::problem, this, &frmTrace1::showNotice);
    // 接続 tells which port and line it will use.
    const auto showPortSummary = [this, connectTip = ui_.Command1->toolTip()] {
        const QString tip = connectTip + u'\n' + portFeature_->portSummary();
        ui_.Command1->setToolTip(tip);
        menus_->setConnectTip(tip);
    };
    connect(portFeature_.get(), &PortFeature::portChoiceChanged, this, [this, showPortSummary] {
        showPortSummary();
        status_->refreshConnection();
    });
    showPortSummary();
    connect(notices_.get(), &WindowNotices::shown, this, &frmTrace1::noticeShown);
    status_->refreshConnection();
}

void frmTrace1::buildControls() {
    const qreal dpi = logicalDpiY();
    // The menu bar goes above the form, panels beside it and a status line below it: the form's
    // twips layout gives nothing to any of them.
    ui_.menuBar = menuBar();
    ui_.form = new QWidget(this);
    setCentralWidget(ui_.form);
    ui_.form->installEventFilter(this);
    ui_.picBar = new QWidget(ui_.form);
    ui_.picBar->setAutoFillBackground(true);
    ui_.picBar->setGeometry(twipsRect(0, 0, kInnerWidthTwips, kBarHeightTwips, dpi));
    ui_.picDigit = new DrawingArea(ui_.form);
    ui_.picDigit->setGeometry(
        twipsRect(0, kBarHeightTwips, kInnerWidthTwips, kDigitHeightTwips, dpi));
    // Both picture boxes are stops of the tab order.
    ui_.picBar->setFocusPolicy(Qt::StrongFocus);
    ui_.picDigit->setFocusPolicy(Qt::StrongFocus);

    QWidget *bar = ui_.picBar;
    ui_.Command1 = twipsButton(bar, tr("接続"), {30, 30, 735, 255}, dpi);
    ui_.Command2 = twipsButton(bar, tr("切断"), {720, 30, 735, 255}, dpi);
    ui_.cmdFile = twipsButton(bar, tr("ﾌｧｲﾙ"), {1560, 30, 735, 255}, dpi);
    ui_.Label3 = twipsCaption(bar, tr("縮尺 1/"), 2400, 75, dpi);
    ui_.txtScale = new QLineEdit(QStringLiteral("1000"), bar);
    ui_.txtScale->setGeometry(twipsRect(3000, 30, 735, 270, dpi));
    ui_.Label2 = twipsCaption(bar, tr("Points:"), 3810, 75, dpi);
    ui_.lblPoints =
        twipsValue(bar, QStringLiteral("0"), {4320, 30, 495, 255}, Qt::AlignHCenter, dpi);
    ui_.Label1 = twipsCaption(bar, tr("Lines:"), 4860, 75, dpi);
    ui_.lblLines =
        twipsValue(bar, QStringLiteral("0"), {5280, 30, 495, 255}, Qt::AlignHCenter, dpi);
    ui_.Label4 = twipsCaption(bar, tr("Polygons:"), 5880, 75, dpi);
    ui_.lblPoly = twipsValue(bar, QStringLiteral("0"), {6600, 30, 495, 255}, Qt::AlignHCenter, dpi);
    ui_.Label6 = twipsCaption(bar, tr("長さ:"), 7200, 75, dpi);
    ui_.lblLength =
        twipsValue(bar, QStringLiteral("0.00"), {7560, 30, 1305, 255}, Qt::AlignRight, dpi);
    ui_.lblLenAll =
        twipsValue(bar, QStringLiteral("0.00"), {8880, 30, 1305, 255}, Qt::AlignRight, dpi);
    ui_.Label8 = twipsCaption(bar, tr("面積:"), 10290, 75, dpi);
    ui_.lblArea =
        twipsValue(bar, QStringLiteral("0.00"), {10680, 30, 1935, 255}, Qt::AlignRight, dpi);
    ui_.cmdClear = twipsButton(bar, tr("ｸﾘｱ"), {12720, 30, 495, 255}, dpi);
    ui_.cmdBack = twipsButton(bar, tr("戻る"), {13320, 30, 495, 255}, dpi);
    describeControls(ui_);

    // The labels between them in the designed order take no focus.
    QWidget *const tabOrder[] = {ui_.picBar,   ui_.Command2, ui_.Command1, ui_.cmdFile,
                                 ui_.txtScale, ui_.picDigit, ui_.cmdClear, ui_.cmdBack};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);

    connect(ui_.Command1, &QPushButton::clicked, this, &frmTrace1::Command1_Click);
    connect(ui_.Command2, &QPushButton::clicked, this, &frmTrace1::Command2_Click);
    connect(ui_.cmdFile, &QPushButton::clicked, this, &frmTrace1::cmdFile_Click);
    connect(ui_.cmdClear, &QPushButton::clicked, this, &frmTrace1::cmdClear_Click);
    connect(ui_.cmdBack, &QPushButton::clicked, this, &frmTrace1::cmdBack_Click);
}

void frmTrace1::makeRoomFor(QDockWidget &panel) {
    placement_->growBy(panel.sizeHint().height() +
                       style()->pixelMetric(QStyle::PM_DockWidgetSeparatorExtent, nullptr, this));
    // The panel came first and cropped the picture; the area is back at its size.
    if (QLayout *frame = layout())
        frame->activate();
    Redraw(ui_.picDigit->surface().backColor());
}

void frmTrace1::showNotice(const QString &text) {
    notices_->show(text);
}

bool frmTrace1::replaceNotice(const QString &before, const QString &now) {
    return notices_->bar().replace(before, now);
}

void frmTrace1::withdrawNotice(const QString &text) {
    notices_->bar().remove(text);
}

WindowFeatures frmTrace1::features() {
    return {session_,   job_,         *sheet_,        *dxfExport_,   *gisExport_,
            *jobFiles_, *navigation_, *status_,       *portFeature_, *notices_,
            *help_,     *publish_,    *tabletCursor_, *tabletMenu_};
}

void frmTrace1::addMenuAction(MenuGroup group, QAction *action) {
    menus_->add(group, action);
}

QMenu *frmTrace1::menu(WindowMenu name) {
    return menus_->menu(name);
}

void frmTrace1::Form_Load() {
    // Not connected yet: the session starts disconnected.
    ui_.Command2->setEnabled(false);
    menus_->showConnected(false);
    model_.ResetTrace();
    model_.setAppDir(QDir::currentPath());
}

void frmTrace1::resizeInner(QSize inner) {
    // What the menu bar, a status line and open panels take around the form.
    if (QLayout *frame = layout())
        frame->activate();
    const QSize around = size() - ui_.form->size();
    const int bars = ui_.menuBar->sizeHint().height() + statusBar()->sizeHint().height();
    resize(inner + QSize(std::max(around.width(), 0), std::max(around.height(), bars)));
}

void frmTrace1::Form_Resize() {
    // The inner height only: the frame is the platform's, and unknown until the window manager
    // has decorated the window.
    const QSize inner = ui_.form->size();
    if (pixelsToTwips(inner.height(), logicalDpiY()) < kMinInnerHeightTwips)
        return;
    ui_.picBar->resize(inner.width(), ui_.picBar->height());
    ui_.picDigit->setGeometry(0, ui_.picBar->height(), inner.width(),
                              inner.height() - ui_.picBar->height());
    model_.setHalfSize(static_cast<float>(ui_.picDigit->width()) / 2,
                       static_cast<float>(ui_.picDigit->height()) / 2);
    ui_.picDigit->update();
}

bool frmTrace1::eventFilter(QObject *watched, QEvent *event) {
    if (watched == ui_.form && event->type() == QEvent::Resize)
        Form_Resize();
    return QMainWindow::eventFilter(watched, event);
}

void frmTrace1::closeEvent(QCloseEvent *event) {
    {
        const ReceptionHold hold(session_);
        if (!jobFiles_->settleUnsaved()) {
            event->ignore();
            return;
        }
    }
    if (Connected())
        session_.disconnectTablet();
    // Saved or given up: nothing for the next start to offer; a journal no job file holds stays
    // among the recent jobs.
    job_.finish();
    // For the next start.
    OperatorSettings().setWindowGeometry(saveGeometry());
    OperatorSettings().setWindowState(saveState());
    event->accept();
}

void frmTrace1::Command1_Click() {
    if (Connected())
        return;
    if (!portFeature_->confirmScale())
        return;
    bool newJob = true;
    if (model_.store().PtCount > 0) {
        const int answer = dialogs_->ask(tr("現在の記録に続けて受信しますか？"),
                                         {tr("続ける"), tr("新しいジョブ"), tr("キャンセル")});
        if (answer == 0)
            newJob = false;
        else if (answer != 1 || !jobFiles_->settleUnsaved())
            return;
    }
    session_.connectTablet({scaleText(), scaleDenomFromText(scaleText()), newJob,
                            portFeature_->portChoice().tabletUnitMm});
}

void frmTrace1::Command2_Click() {
    session_.disconnectTablet();
}

void frmTrace1::cmdFile_Click() {
    dxfExport_->exportDxf();
}

void frmTrace1::cmdClear_Click() {
    const ReceptionHold hold(session_);
    // Unsaved records get the question closing asks: its 破棄 is the confirmation.
    if (job_.unsaved() ? !jobFiles_->settleUnsaved()
                       : !publish_->sendingLive() &&
                             !dialogs_->confirm(tr("画面をクリアしてもよいですか？"), tr("確認")))
        return;
    // While the sheet follows the job, what becomes of the shared sheet is asked too (asked
    // last, since it may stop sending); it confirms the clear as well.
    if (publish_->sendingLive() && !publish_->settleClear())
        return;
    session_.clear();
}

void frmTrace1::cmdBack_Click() {
    session_.back();
    Redraw(kConnectedBackground);
    updateCaption();
}

void frmTrace1::showRestoredJob(const ReplayResult &restored) {
    if (!restored.job.scaleText.isNull())
        ui_.txtScale->setText(restored.job.scaleText);
    sheet_->refit();
    portFeature_->showRecordsOfJob();
    Redraw(kDisconnectedBackground);
    updateCaption();
}

void frmTrace1::updateCaption() {
    const QString title =
        model_.text(DisplayField::Caption) + (job_.unsaved() ? QStringLiteral("*") : QString());
    if (windowTitle() != title)
        setWindowTitle(title);
    // The caption names the DXF; the job file goes where the platform shows a window's file.
    setWindowFilePath(job_.job().jobFileName);
    status_->refreshSaved();
    jobFiles_->undoClearAction()->setEnabled(job_.job().save.clearUndoable());
}

void frmTrace1::showText(DisplayField field, const QString &text) {
    if (field == DisplayField::Caption)
        updateCaption();
    else
        ui_.valueLabel(field)->setText(text);
}

void frmTrace1::clearDrawingArea() {
    // A new job: its refusals are worth telling again, and its view fits it again.
    notices_->startJob();
    portFeature_->startJob();
    renderer_->viewState().clearOperatorView();
    const QColor bar = ui_.picBar->palette().color(ui_.picBar->backgroundRole());
    ui_.picDigit->surface().setBackColor({static_cast<std::uint8_t>(bar.red()),
                                          static_cast<std::uint8_t>(bar.green()),
                                          static_cast<std::uint8_t>(bar.blue())});
    ui_.picDigit->surface().refresh();
}

bool frmTrace1::readyForOutput(bool repairable) {
    return classes_->offerWorkList() && topology_->offerBeforeOutput(repairable);
}

QString frmTrace1::scaleText() const {
    return ui_.txtScale->text();
}

void frmTrace1::wireSession() {
    const auto showConnected = [this](bool connected) {
        const Rgb background = connected ? kConnectedBackground : kDisconnectedBackground;
        ui_.txtScale->setEnabled(!connected);
        ui_.Command1->setEnabled(!connected);
        ui_.Command2->setEnabled(connected);
        menus_->showConnected(connected);
        ui_.picDigit->surface().setBackColor(background);
        // A job continued shows its trace at once, not at its next record.
        Redraw(background);
    };
    connect(&session_, &TracingSession::connected, this, [showConnected] { showConnected(true); });
    connect(&session_, &TracingSession::connectionEnded, this,
            [showConnected] { showConnected(false); });
    connect(&session_, &TracingSession::recordTaken, this, [this](RecordOutcome outcome) {
        Redraw(kConnectedBackground);
        if (isRefused(outcome))
            notices_->recordRefused(outcome);
    });
    connect(&session_.reception(), &Reception::problem, this,
            [this](const QString &message) { dialogs_->warn(message); });
}

void frmTrace1::Redraw(Rgb background) {
    renderer_->Redraw(background);
}

} // namespace digitrace
