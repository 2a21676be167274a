#include "app/window/gis_export_feature.h"

#include "app/window/reception_hold.h"
#include "app/window/sheet_registration.h"
#include "app/window/window_dialogs.h"
#include "app/window/window_host.h"
#include "export/gis_export.h"
#include "export/map_crs.h"
#include "model/numeric_value.h"
#include "model/trace_model.h"
#include "tracing/tracing_session.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMainWindow>

namespace digitrace {

GisExportFeature::GisExportFeature(WindowHost &host, TracingSession &session,
                                   const SheetRegistration &sheet, const TraceModel &model)
    : QObject(&host.mainWindow()), host_(host), session_(session), sheet_(sheet), model_(model),
      export_(new QAction(tr("GIS出力…"), this)) {
    connect(export_, &QAction::triggered, this, &GisExportFeature::exportGisFile);
    host_.addMenuAction(MenuGroup::FileExport, export_);
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

void GisExportFeature::exportGisFile() {
    const ReceptionHold hold(session_);
    if (!host_.readyForOutput(true))
        return;
    QString path = host_.dialogs().chooseSaveFileNamed(
        tr("GeoPackage(*.gpkg);;シェープファイル(*.shp);;GeoJSON(*.geojson);;CSV(*.csv);;"
           "DXF(*.dxf)"),
        fileNameFor(sheet_.sheetName()));
    if (path.isEmpty())
        return;
    GisExportOptions options;
    options.classes = session_.job().classes.forOutput();
    options.format = gisFormatForPath(path);
    if (options.format.isEmpty()) {
        options.format = gisFormats().constFirst();
        path += QStringLiteral(".gpkg");
    }
    const TraceStore &s = model_.store();
    QString placed;
    if (const std::optional<Transform> &transform = sheet_.mapTransform()) {
        // A transform is fitted only from a registration.
        const Registration &registration = *sheet_.registration();
        options.placement.transform = transform;
        if (!registration.crs.isEmpty()) {
            // A registration restored from an older job was not checked against its points.
            const MapCrs crs = readMapCrs(registration.crs);
            const QString refused = crs.ok()
                                        ? checkCrsAgainstPoints(crs, registration.points,
                                                                registration.fit(), s.tabletUnitMm)
                                              .error
                                        : crs.error;
            if (!refused.isEmpty()) {
                host_.dialogs().warn(refused);
                return;
            }
            options.crsWkt = crs.wkt;
        }
        placed = tr("地図座標（%1）").arg(transformName(registration.kind));
    } else {
        // Before the first connect the scale is the one in the box.
        options.placement.scaleDenom =
            s.ScaleDenom > 0 ? s.ScaleDenom : scaleDenomFromText(host_.scaleText());
        options.placement.tabletUnitMm = s.tabletUnitMm;
        placed = tr("基準点の登録なし: 縮尺 1/%1 の実長 (m)").arg(options.placement.scaleDenom);
    }
    options.repair = host_.outputRepair(options.placement);
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
    for (const QString &told : out.notes)
        note += u'\n' + told;
    host_.dialogs().notify(note);
}

} // namespace digitrace
