#include "app/window/sheet_registration.h"

#include "acquisition/session.h"
#include "app/window/operator_settings.h"
#include "app/window/reception_hold.h"
#include "app/window/registration_dialog.h"
#include "app/window/window_dialogs.h"
#include "app/window/window_host.h"
#include "export/gis_export.h"
#include "export/map_crs.h"
#include "job/job_journal.h"
#include "model/numeric_value.h"
#include "model/trace_model.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMainWindow>

namespace digitrace {

SheetRegistration::SheetRegistration(WindowHost &host, Session &session, JobJournal &job,
                                     const TraceModel &model)
    : QObject(&host.mainWindow()), host_(host), session_(session), job_(job), model_(model),
      register_(new QAction(tr("基準点の登録…"), this)),
      export_(new QAction(tr("GIS出力…"), this)) {
    connect(register_, &QAction::triggered, this, &SheetRegistration::openRegistration);
    connect(export_, &QAction::triggered, this, &SheetRegistration::exportGisFile);
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
    session_.setDiverted(true);
    connect(&session_, &Session::recordDiverted, dialog,
            [dialog](const QString &record) { dialog->table().takeRecord(record); });
    connect(dialog, &QDialog::finished, this, [this] { session_.setDiverted(false); });
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
    return job_.registration();
}

bool SheetRegistration::registerSheet(const Registration &registration) {
    const JournalEntry entry = plainEntry(EntryKind::Registered, registrationText(registration));
    // Refused before anything is taken: the job keeps its registration and name.
    if (const QString refused = JobJournal::refusal(entry); !refused.isEmpty()) {
        host_.dialogs().warn(refused);
        return false;
    }
    job_.apply(entry);
    refit();
    if (!registration.points.empty())
        OperatorSettings().setLastRegistration(registration);
    emit registered();
    return true;
}

void SheetRegistration::nameSheet(const QString &name) {
    if (name == sheetName())
        return;
    job_.apply(plainEntry(EntryKind::Sheet, name));
    emit registered();
}

const QString &SheetRegistration::sheetName() const {
    return job_.sheetName();
}

void SheetRegistration::refit() {
    const std::optional<Registration> &registration = job_.registration();
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

namespace {

// A sheet's name as a file name: what a file system refuses becomes "_".
QString fileNameFor(const QString &sheet) {
    QString name = sheet.trimmed();
    for (QChar &c : name)
        if (c.unicode() < 0x20 || QStringLiteral("/\\:*?\"<>|").contains(c))
            c = u'_';
    return name.startsWith(u'.') ? u'_' + name.mid(1) : name;
}

} // namespace

void SheetRegistration::exportGisFile() {
    const ReceptionHold hold(session_);
    QString path = host_.dialogs().chooseSaveFileNamed(
        tr("GeoPackage(*.gpkg);;シェープファイル(*.shp);;GeoJSON(*.geojson);;CSV(*.csv);;"
           "DXF(*.dxf)"),
        fileNameFor(sheetName()));
    if (path.isEmpty())
        return;
    GisExportOptions options;
    options.format = gisFormatForPath(path);
    if (options.format.isEmpty()) {
        options.format = gisFormats().constFirst();
        path += QStringLiteral(".gpkg");
    }
    const TraceStore &s = model_.store();
    QString placed;
    if (mapTransform_) {
        options.placement.transform = mapTransform_;
        if (!registration()->crs.isEmpty()) {
            // A registration restored from an older job was not checked against its points.
            const MapCrs crs = readMapCrs(registration()->crs);
            const QString refused =
                crs.ok() ? checkCrsAgainstPoints(crs, registration()->points, registration()->fit(),
                                                 s.tabletUnitMm)
                               .error
                         : crs.error;
            if (!refused.isEmpty()) {
                host_.dialogs().warn(refused);
                return;
            }
            options.crsWkt = crs.wkt;
        }
        placed = tr("地図座標（%1）").arg(transformName(registration()->kind));
    } else {
        // Before the first connect the scale is the one in the box.
        options.placement.scaleDenom =
            s.ScaleDenom > 0 ? s.ScaleDenom : scaleDenomFromText(host_.scaleText());
        options.placement.tabletUnitMm = s.tabletUnitMm;
        placed = tr("基準点の登録なし: 縮尺 1/%1 の実長 (m)").arg(options.placement.scaleDenom);
    }
    const GisExportResult out = digitrace::exportGis(s, options, path);
    if (!out.ok()) {
        host_.dialogs().warn(out.result.error);
        return;
    }
    const FeatureSet &f = out.features;
    // A shapefile is written as one file a kind: name those, not the one asked for.
    QStringList written;
    for (const QString &file : out.files)
        if (QFileInfo(file).suffix().compare(QFileInfo(path).suffix(), Qt::CaseInsensitive) == 0)
            written << QDir::toNativeSeparators(file);
    if (written.isEmpty())
        written << QDir::toNativeSeparators(path);
    QString note = tr("GIS出力 %1 を書き出しました。\n点 %2、線 %3、多角形 %4\n座標: %5")
                       .arg(written.join(QStringLiteral("、")))
                       .arg(f.points)
                       .arg(f.lines)
                       .arg(f.polygons)
                       .arg(placed);
    if (f.leftOut > 0)
        note += tr("\nどの図形にも属さない記録 %1 件は出力していません。").arg(f.leftOut);
    host_.dialogs().notify(note);
}

} // namespace digitrace
