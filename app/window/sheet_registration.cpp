#include "app/window/sheet_registration.h"

#include "app/window/operator_settings.h"
#include "app/window/registration_dialog.h"
#include "app/window/window_dialogs.h"
#include "app/window/window_host.h"
#include "export/map_crs.h"
#include "job/job_journal.h"
#include "model/trace_model.h"
#include "tracing/tracing_session.h"

#include <QAction>
#include <QMainWindow>

namespace digitrace {

SheetRegistration::SheetRegistration(WindowHost &host, TracingSession &session,
                                     const TraceModel &model)
    : QObject(&host.mainWindow()), host_(host), session_(session), model_(model),
      register_(new QAction(tr("基準点の登録…"), this)) {
    connect(register_, &QAction::triggered, this, &SheetRegistration::openRegistration);
    host_.addMenuAction(MenuGroup::Tools, register_);
}

void SheetRegistration::openRegistration() {
    if (dialog_) {
        dialog_->raise();
        dialog_->activateWindow();
        return;
    }
    auto *dialog = new RegistrationDialog(
        host_.dialogs(), registration(), OperatorSettings().lastRegistration(),
        model_.store().tabletUnitMm, sheetName(), &host_.mainWindow());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog_ = dialog;
    session_.reception().setDiverted(true);
    connect(&session_.reception(), &Reception::recordDiverted, dialog,
            [dialog](const QString &record) { dialog->table().takeRecord(record); });
    connect(dialog, &QDialog::finished, this, [this] { session_.reception().setDiverted(false); });
    connect(dialog, &RegistrationDialog::registered, this,
            [this, dialog](const Registration &registration) {
                if (registerSheet(registration))
                    nameSheet(dialog->sheetName());
            });
    dialog->show();
}

RegistrationDialog *SheetRegistration::registrationDialog() const {
    return dialog_;
}

const std::optional<Registration> &SheetRegistration::registration() const {
    return session_.job().registration;
}

bool SheetRegistration::registerSheet(const Registration &registration) {
    const QString text = registrationText(registration);
    // Refused before anything is taken: the job keeps its registration and name.
    if (const QString refused = JobJournal::refusal(entry::Registered{text}); !refused.isEmpty()) {
        host_.dialogs().warn(refused);
        return false;
    }
    session_.registered(text);
    refit();
    if (!registration.points.empty())
        OperatorSettings().setLastRegistration(registration);
    emit registered();
    return true;
}

void SheetRegistration::nameSheet(const QString &name) {
    if (name == sheetName())
        return;
    session_.nameSheet(name);
    emit registered();
}

const QString &SheetRegistration::sheetName() const {
    return session_.job().sheetName;
}

void SheetRegistration::refit() {
    const std::optional<Registration> &registration = session_.job().registration;
    mapTransform_.reset();
    axisOrder_ = AxisOrder::EastNorth;
    axisTitles_ = {QStringLiteral("X"), QStringLiteral("Y")};
    if (registration && !registration->crs.isEmpty())
        if (const MapCrs crs = readMapCrs(registration->crs); crs.ok()) {
            axisOrder_ = crs.order;
            axisTitles_ = crs.axisTitles;
        }
    if (registration && !registration->points.empty())
        if (const Fit fit = registration->fit(); fit.ok())
            mapTransform_ = fit.transform;
}

std::optional<QPointF> SheetRegistration::mapPosition(QPointF tablet) const {
    if (!mapTransform_)
        return std::nullopt;
    const MapPoint p = mapTransform_->map(tablet.x(), tablet.y());
    return QPointF(p.x, p.y);
}

std::optional<MapReading> SheetRegistration::mapReading(QPointF tablet) const {
    const std::optional<QPointF> p = mapPosition(tablet);
    if (!p)
        return std::nullopt;
    if (axisOrder_ == AxisOrder::NorthEast)
        return MapReading{{p->y(), p->x()}, axisTitles_};
    return MapReading{{p->x(), p->y()}, axisTitles_};
}

} // namespace digitrace
