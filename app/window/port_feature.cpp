#include "app/window/port_feature.h"

#include "acquisition/formats/format_detector.h"
#include "app/window/operator_settings.h"
#include "app/window/record_monitor.h"
#include "app/window/status_feature.h"
#include "app/window/window_dialogs.h"
#include "app/window/window_host.h"
#include "job/job_journal.h"
#include "model/scale_reading.h"
#include "model/trace_model.h"
#include "tracing/tracing_session.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>

#include <algorithm>
#include <utility>

namespace digitrace {
namespace {

constexpr int kSilenceMs = 10'000;

} // namespace

PortFeature::PortFeature(WindowHost &host, TracingSession &session, TraceModel &model,
                         const StatusFeature &status)
    : QObject(&host.mainWindow()), host_(host), session_(session), port_(session.reception()),
      model_(model) {
    QMainWindow &window = host_.mainWindow();
    portChoice_.portName = port_.line().portName();
    portChoice_.line = port_.lineSettings();
    portChoice_.tabletUnitMm = model_.store().tabletUnitMm;
    portChoice_.format = port_.format();

    QAction *settings = new QAction(tr("ポート設定…"), this);
    connect(settings, &QAction::triggered, this, &PortFeature::choosePort);
    host_.addMenuAction(MenuGroup::ConnectionSettings, settings);
    // The port in use shows on the connect item's tooltip.
    host_.menu(WindowMenu::Connection)->setToolTipsVisible(true);

    monitor_ = new RecordMonitor(status.rate(), status.clock(), &window);
    // Beside the form it would narrow the toolbar strip and cut its controls off.
    monitor_->setAllowedAreas(Qt::TopDockWidgetArea | Qt::BottomDockWidgetArea);
    window.addDockWidget(Qt::BottomDockWidgetArea, monitor_);
    monitor_->hide();
    QAction *showMonitor = monitor_->toggleViewAction();
    showMonitor->setText(tr("記録モニタ"));
    connect(showMonitor, &QAction::triggered, this, [this](bool shown) {
        if (!shown || monitor_->isFloating())
            return;
        host_.makeRoomFor(*monitor_);
    });
    host_.addMenuAction(MenuGroup::ViewPanels, showMonitor);
    window.restoreState(OperatorSettings().windowState());
    // A layout kept from before the panel left the sides goes below the form again.
    if (!(monitor_->allowedAreas() & window.dockWidgetArea(monitor_)))
        window.addDockWidget(Qt::BottomDockWidgetArea, monitor_);

    silence_.setSingleShot(true);
    silence_.setInterval(kSilenceMs);
    connect(&silence_, &QTimer::timeout, this, [this] {
        // Records waiting behind a dialog are no silence of the line.
        if (port_.hasWaitingRecords())
            return;
        host_.showNotice(tr("接続してから %1 秒間、ポート %2 から記録が届きません。\n"
                            "タブレットの電源とケーブル、回線の設定（接続 → ポート設定…）を"
                            "確かめてください。")
                             .arg(silence_.interval() / 1000)
                             .arg(portSummary()));
    });
    connect(&session_, &TracingSession::connected, this, [this] {
        OperatorSettings().setLastScale(host_.scaleText());
        silence_.start();
        lineAside_ = std::make_unique<FormatDetector>(port_.lineSettings().dataBits);
        mismatchTold_ = false;
        takenSinceConnect_ = 0;
    });
    connect(&session_, &TracingSession::connectionEnded, this, [this] {
        silence_.stop();
        if (std::exchange(portChoiceWaits_, false))
            applyPortChoice();
    });
    connect(&session_, &TracingSession::recordArriving, this, &PortFeature::noteRecordArriving);
    // A control point digitized into the registration dialog is a record too: the line works.
    connect(&port_, &Reception::recordDiverted, &silence_, &QTimer::stop);
    connect(&session_, &TracingSession::recordTaken, this, &PortFeature::noteRecordTaken);
    connect(&port_, &Reception::recordRefused, this, &PortFeature::noteRecordRefused);
    connect(&port_, &Reception::formatMismatch, this, &PortFeature::noteFormatMismatch);
    connect(&port_, &Reception::lineBytesArrived, this, &PortFeature::readLineAside);
    connect(&session_, &TracingSession::recordTaken, this, [this] { ++takenSinceConnect_; });
}

PortFeature::~PortFeature() {
    delete monitor_;
}

void PortFeature::usePortChoice(const PortChoice &choice) {
    portChoice_ = choice;
    portChoiceWaits_ = session_.isConnected();
    if (!portChoiceWaits_)
        applyPortChoice();
    emit portChoiceChanged();
}

void PortFeature::applyPortChoice() {
    port_.line().setPortName(portChoice_.portName.isEmpty() ? defaultPortName()
                                                            : portChoice_.portName);
    port_.setLineSettings(portChoice_.line);
    session_.switchFormat(portChoice_.format);
}

QString PortFeature::portSummary() const {
    return digitrace::portSummary(portChoice_);
}

void PortFeature::choosePort() {
    const std::optional<PortChoice> chosen =
        host_.dialogs().choosePort(portChoice_, session_.isConnected(), port_.line());
    if (!chosen)
        return;
    OperatorSettings().setPortChoice(*chosen);
    usePortChoice(*chosen);
}

bool PortFeature::confirmScale() {
    const std::optional<float> used = scaleWorthAsking(host_.scaleText(), model_.locale());
    return !used ||
           host_.dialogs().confirm(
               tr("縮尺を 1/%1 として扱います。よろしいですか？").arg(plainDenominator(*used)),
               tr("縮尺の確認"));
}

void PortFeature::noteRecordArriving(const QString &record) {
    silence_.stop();
    arriving_ = record;
    countsBefore_ = TraceCounts::of(model_.store());
}

void PortFeature::showRecordsOfJob() {
    monitor_->clearRecords();
    // Each record's effect as it was taken, from the journal replayed aside; the records of the
    // job alone, not of those cleared or ended before it (unless a clear was taken back).
    TraceModel replayed(model_.locale());
    JobPlayer player(replayed);
    std::vector<RecordLog::Row> rows, cleared;
    for (const JournalEntry &entry : parseJournal(session_.journal().content()).entries) {
        const TraceCounts before = TraceCounts::of(replayed.store());
        player.apply(entry);
        const auto *connect = std::get_if<entry::Connect>(&entry);
        if (const auto *record = std::get_if<entry::Record>(&entry))
            rows.push_back({before.PtCount,
                            record->text,
                            recordEffect(before, replayed.store(), RecordOutcome::Kept),
                            recordFlaws(record->text),
                            {}});
        else if (is<entry::Clear>(entry) || (connect && connect->newJob))
            cleared = std::exchange(rows, {});
        else if (is<entry::ClearUndone>(entry))
            rows = std::move(cleared);
    }
    for (RecordLog::Row &row : rows)
        monitor_->addRecord(std::move(row));
}

void PortFeature::noteRecordTaken(RecordOutcome outcome) {
    const RecordFlaws flaws = recordFlaws(arriving_);
    monitor_->addRecord({countsBefore_.PtCount,
                         arriving_,
                         recordEffect(countsBefore_, model_.store(), outcome),
                         flaws,
                         {}});
    if (!flaws.any() || toldMalformed_)
        return;
    toldMalformed_ = true;
    host_.showNotice(tr("形の崩れた記録が届いています（%1）。\n"
                        "記録はそのまま取り込みますが、回線の設定（速度・パリティ・データビット）"
                        "がタブレットと合っているか確かめてください（接続 → ポート設定…）。")
                         .arg(flawsText(flaws)));
}

void PortFeature::noteRecordRefused(const QString &text, const QString &reason) {
    // Refused before the intake: the slot is the one the record would have taken.
    monitor_->addRefused({model_.store().PtCount, text, RecordEffect::Refused, {}, reason});
}

void PortFeature::readLineAside(const QByteArray &bytes) {
    if (!lineAside_)
        return;
    lineAside_->feed(bytes);
    const FormatKind chosen = port_.format().kind;
    const std::optional<FormatKind> fits = lineAside_->decided();
    if (!fits)
        return;
    // The line is the chosen format's: reading it again under every other one, record after
    // record for the rest of the connection, would tell nothing more.
    if (*fits == chosen) {
        lineAside_.reset();
        return;
    }
    // Told when the chosen format is a built-in one the line does not fit, or the site's layout
    // that the port found the line does not fit.
    const QList<FormatCandidate> ranked = lineAside_->ranking();
    const bool chosenFits = std::any_of(ranked.cbegin(), ranked.cend(), [chosen](const auto &c) {
        return c.kind == chosen && c.consistent();
    });
    if (chosenFits || (chosen == FormatKind::Custom && !mismatchTold_))
        return;
    lineAside_.reset();
    // Asked outside the port's reading, which must not run again beneath a dialog.
    QTimer::singleShot(0, this, [this, kind = *fits] { offerFormat(kind); });
}

void PortFeature::offerFormat(FormatKind kind) {
    if (!session_.isConnected())
        return;
    TabletFormat format = *TabletFormat::named(formatName(kind));
    format.buttons = port_.format().buttons;
    const int answer = host_.dialogs().ask(
        tr("タブレットから届くデータは選んだ形式 %1 に合いませんが、形式 %2 として読めます。\n"
           "形式を %2 に切り替えますか？ 切り替えると次に届くバイトから %2 として読みます。"
           "接続してから取り込んだ %3 件の記録はそのまま残ります（不要なら「戻る」で"
           "取り消してください）。")
            .arg(port_.format().name(), format.name())
            .arg(takenSinceConnect_),
        {tr("%1 に切り替える").arg(format.name()), tr("切り替えない")});
    if (answer != 0)
        return;
    session_.switchFormat(format);
    portChoice_.format = format;
    OperatorSettings().setPortChoice(portChoice_);
    emit portChoiceChanged();
}

void PortFeature::noteFormatMismatch(const QString &message) {
    mismatchTold_ = true;
    // The port tells this once until the line fits again.
    monitor_->showLineProblem(message);
    host_.showNotice(message);
}

} // namespace digitrace
