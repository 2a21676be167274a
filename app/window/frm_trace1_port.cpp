// The window's tablet port: the port settings, the record monitor, and what it tells the operator
// about a line that stays silent, records that look wrong and a scale read unlike a person would.

#include "app/window/drawing_area.h"
#include "app/window/frm_trace1.h"
#include "app/window/operator_settings.h"
#include "app/window/record_monitor.h"
#include "app/window/status_feature.h"
#include "app/window/window_dialogs.h"
#include "model/scale_reading.h"

#include <QAction>
#include <QLayout>
#include <QMenu>
#include <QPushButton>
#include <QStyle>

#include <cmath>
#include <utility>

namespace digitrace {
namespace {

constexpr int kSilenceMs = 10'000;

} // namespace

void frmTrace1::buildPortUi() {
    portChoice_.portName = port_.portName();
    portChoice_.line = session_.lineSettings();
    portChoice_.tabletUnitMm = model_.store().tabletUnitMm;
    connectTip_ = ui_.Command1->toolTip();

    QAction *settings = new QAction(tr("ポート設定…"), this);
    connect(settings, &QAction::triggered, this, &frmTrace1::choosePort);
    menu(WindowMenu::Connection)->addSeparator();
    menu(WindowMenu::Connection)->addAction(settings);
    // The port in use shows on the connect item's tooltip.
    menu(WindowMenu::Connection)->setToolTipsVisible(true);

    monitor_ = new RecordMonitor(status_->rate(), status_->clock(), this);
    // Beside the form it would narrow the toolbar strip and cut its controls off.
    monitor_->setAllowedAreas(Qt::TopDockWidgetArea | Qt::BottomDockWidgetArea);
    addDockWidget(Qt::BottomDockWidgetArea, monitor_);
    monitor_->hide();
    QAction *showMonitor = monitor_->toggleViewAction();
    showMonitor->setText(tr("記録モニタ"));
    connect(showMonitor, &QAction::triggered, this, [this](bool shown) {
        if (!shown || monitor_->isFloating())
            return;
        growBy(monitor_->sizeHint().height() +
               style()->pixelMetric(QStyle::PM_DockWidgetSeparatorExtent, nullptr, this));
        // The panel came first and cropped the picture; the area is back at its size.
        if (QLayout *frame = layout())
            frame->activate();
        Redraw(ui_.picDigit->surface().backColor());
    });
    menu(WindowMenu::View)->addSeparator();
    menu(WindowMenu::View)->addAction(showMonitor);
    restoreState(OperatorSettings().windowState());
    // A layout kept from before the panel left the sides goes below the form again.
    if (!(monitor_->allowedAreas() & dockWidgetArea(monitor_)))
        addDockWidget(Qt::BottomDockWidgetArea, monitor_);

    silence_.setSingleShot(true);
    silence_.setInterval(kSilenceMs);
    connect(&silence_, &QTimer::timeout, this, [this] {
        // Records waiting behind a dialog are no silence of the line.
        if (session_.hasWaitingRecords())
            return;
        showNotice(tr("接続してから %1 秒間、ポート %2 から記録が届きません。\n"
                      "タブレットの電源とケーブル、回線の設定（接続 → ポート設定…）を"
                      "確かめてください。")
                       .arg(silence_.interval() / 1000)
                       .arg(portSummary()));
    });
    connect(&session_, &Session::connected, this, [this](bool newJob) {
        OperatorSettings().setLastScale(scaleText());
        // A new job takes the chosen unit; a continued one keeps the one it was traced in.
        const double chosen = portChoice_.tabletUnitMm;
        const double unit =
            newJob && chosen > 0 && std::isfinite(chosen) ? chosen : model_.store().tabletUnitMm;
        job_.apply(plainEntry(EntryKind::TabletUnit,
                              QString::number(unit, 'g', QLocale::FloatingPointShortest)));
        silence_.start();
    });
    connect(&session_, &Session::connectionEnded, this, [this] {
        silence_.stop();
        if (std::exchange(portChoiceWaits_, false))
            applyPortChoice();
    });
    connect(&session_, &Session::recordArriving, this, &frmTrace1::noteRecordArriving);
    // A control point digitized into the registration dialog is a record too: the line works.
    connect(&session_, &Session::recordDiverted, &silence_, &QTimer::stop);
    connect(&session_, &Session::recordTaken, this, &frmTrace1::noteRecordTaken);
    showPortSummary();
}

void frmTrace1::usePortChoice(const PortChoice &choice) {
    portChoice_ = choice;
    portChoiceWaits_ = Connected();
    if (!portChoiceWaits_)
        applyPortChoice();
    showPortSummary();
    emit portChoiceChanged();
}

void frmTrace1::applyPortChoice() {
    port_.setPortName(portChoice_.portName.isEmpty() ? defaultPortName() : portChoice_.portName);
    session_.setLineSettings(portChoice_.line);
}

QString frmTrace1::portSummary() const {
    return digitrace::portSummary(portChoice_);
}

void frmTrace1::showPortSummary() {
    const QString tip = connectTip_ + u'\n' + portSummary();
    ui_.Command1->setToolTip(tip);
    actConnect_->setToolTip(tip);
}

void frmTrace1::choosePort() {
    const std::optional<PortChoice> chosen = dialogs_->choosePort(portChoice_, Connected());
    if (!chosen)
        return;
    OperatorSettings().setPortChoice(*chosen);
    usePortChoice(*chosen);
}

bool frmTrace1::confirmScale() {
    const std::optional<float> used = scaleWorthAsking(scaleText(), model_.locale());
    return !used ||
           dialogs_->confirm(
               tr("縮尺を 1/%1 として扱います。よろしいですか？").arg(plainDenominator(*used)),
               tr("縮尺の確認"));
}

void frmTrace1::noteRecordArriving(const QString &record) {
    silence_.stop();
    arriving_ = record;
    countsBefore_ = TraceCounts::of(model_.store());
}

void frmTrace1::showRecordsOfJob() {
    monitor_->clearRecords();
    // Each record's effect as it was taken, from the journal replayed aside.
    TraceModel replayed(model_.locale());
    JobPlayer player(replayed);
    for (const JournalEntry &entry : parseJournal(job_.content()).entries) {
        const TraceCounts before = TraceCounts::of(replayed.store());
        player.apply(entry);
        if (entry.kind == EntryKind::Record)
            monitor_->addRecord({before.PtCount, entry.text,
                                 recordEffect(before, replayed.store(), RecordOutcome::Kept),
                                 recordFlaws(entry.text)});
    }
}

void frmTrace1::noteRecordTaken(RecordOutcome outcome) {
    const RecordFlaws flaws = recordFlaws(arriving_);
    monitor_->addRecord({countsBefore_.PtCount, arriving_,
                         recordEffect(countsBefore_, model_.store(), outcome), flaws});
    if (!flaws.any() || toldMalformed_)
        return;
    toldMalformed_ = true;
    showNotice(tr("形の崩れた記録が届いています（%1）。\n"
                  "記録はそのまま取り込みますが、回線の設定（速度・パリティ・データビット）"
                  "がタブレットと合っているか確かめてください（接続 → ポート設定…）。")
                   .arg(flawsText(flaws)));
}

} // namespace digitrace
