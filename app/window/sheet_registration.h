#pragma once

#include "app/window/status_line.h"
#include "export/map_crs.h"
#include "registration/registration.h"
#include "registration/transform_fit.h"

#include <QObject>
#include <QPointF>
#include <QPointer>

#include <optional>

class QAction;

namespace digitrace {

class RegistrationDialog;
class TracingSession;
class TraceModel;
class WindowHost;

// The sheet's registration to the map: 基準点の登録…, the job's registration and sheet name, and
// the map transform fitted to it.
class SheetRegistration : public QObject {
    Q_OBJECT
public:
    SheetRegistration(WindowHost &host, TracingSession &session, const TraceModel &model);

    // 基準点の登録: while its dialog is open, records from the tablet go to it, not to the trace.
    void openRegistration();
    RegistrationDialog *registrationDialog() const;
    // Registers the sheet for the job: journalled with it and remembered for the next sheet.
    // False when the journal cannot keep it (JobJournal::refusal()): nothing was taken.
    bool registerSheet(const Registration &registration);
    // Names the job's sheet (journalled when it changes); "" takes the name away.
    void nameSheet(const QString &name);
    const QString &sheetName() const;
    const std::optional<Registration> &registration() const;
    // Map coordinates of a tablet position under the job's registration; nothing when the sheet
    // is not registered.
    std::optional<QPointF> mapPosition(QPointF tablet) const;
    // The same in the map CRS's own axis order, as the operator reads it.
    std::optional<MapReading> mapReading(QPointF tablet) const;
    // The map transform of the job's registration, fitted again after the job changed it.
    void refit();
    // None when the job's registration gives no transform.
    const std::optional<Transform> &mapTransform() const { return mapTransform_; }

signals:
    // The job's registration changed: the job holds unsaved changes.
    void registered();

private:
    WindowHost &host_;
    TracingSession &session_;
    const TraceModel &model_;
    QAction *register_;
    // Fitted from the job's registration; none when it does not give a transform.
    std::optional<Transform> mapTransform_;
    AxisOrder axisOrder_ = AxisOrder::EastNorth;
    std::array<QString, 2> axisTitles_{QStringLiteral("X"), QStringLiteral("Y")};
    QPointer<RegistrationDialog> dialog_;
};

} // namespace digitrace
