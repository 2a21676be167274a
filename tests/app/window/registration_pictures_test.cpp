#include "acquisition/memory_port.h"
#include "app/window/frm_trace1.h"
#include "app/window/gis_export_feature.h"
#include "app/window/registration_dialog.h"
#include "app/window/sheet_registration.h"
#include "fakes.h"
#include "tests/support/record_text.h"

#include <QDir>
#include <QPainter>
#include <QPainterPath>
#include <QTemporaryDir>

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <gtest/gtest.h>

#include <cmath>
#include <iostream>

namespace digitrace {
namespace {

QByteArray bytes(double x, double y, int code) {
    return test::recordText(x, y, code).toLatin1();
}

struct CloseDataset {
    void operator()(GDALDataset *d) const { GDALClose(d); }
};

// A sheet at 1:1000 on the plane rectangular grid, turned by 3 degrees; the marks near its corners
// are digitized a few decimetres off, as a hand does.
const double kCorners[][4] = {
    {5, 8, 0.15, -0.1}, {195, 3, -0.2, 0.05}, {190, 155, 0.1, 0.2}, {12, 150, -0.05, -0.15}};
QPointF onMap(double x, double y) {
    const double a = 3 * M_PI / 180;
    return {-6000 + x * std::cos(a) - y * std::sin(a), -35000 + x * std::sin(a) + y * std::cos(a)};
}

// A road, a building, a pond and three survey marks.
const QByteArray kSheet =
    bytes(10, 100, 1) + bytes(60, 110, 2) + bytes(110, 140, 2) + bytes(190, 150, 2) +
    bytes(30, 30, 1) + bytes(90, 30, 2) + bytes(90, 70, 2) + bytes(30, 70, 2) + bytes(0, 0, 3) +
    bytes(120, 40, 1) + bytes(160, 35, 2) + bytes(180, 70, 2) + bytes(140, 95, 2) +
    bytes(115, 75, 2) + bytes(0, 0, 3) + bytes(20, 140, 5) + bytes(100, 10, 5) + bytes(170, 120, 5);

// Every feature of a vector file drawn to scale, with the map coordinates of its frame.
QImage drawLayers(const QString &path, const QString &title) {
    std::unique_ptr<GDALDataset, CloseDataset> ds(
        GDALDataset::Open(path.toUtf8().constData(), GDAL_OF_VECTOR));
    OGREnvelope all;
    for (OGRLayer *layer : ds->GetLayers()) {
        OGREnvelope e;
        if (layer->GetExtent(&e) == OGRERR_NONE)
            all.Merge(e);
    }
    const QSize size(900, 720);
    const double margin = 90;
    const double scale = std::min((size.width() - 2 * margin) / (all.MaxX - all.MinX),
                                  (size.height() - 2 * margin) / (all.MaxY - all.MinY));
    const auto at = [&](double x, double y) {
        return QPointF(margin + (x - all.MinX) * scale,
                       size.height() - margin - (y - all.MinY) * scale);
    };
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QFont font(QStringLiteral("Noto Sans CJK JP"));
    font.setPixelSize(13);
    p.setFont(font);
    p.setPen(QColor(160, 160, 160));
    p.drawRect(QRectF(at(all.MinX, all.MaxY), at(all.MaxX, all.MinY)));
    p.setPen(Qt::black);
    p.drawText(QPointF(20, 30), title);
    p.drawText(at(all.MinX, all.MinY) + QPointF(-60, 20),
               QStringLiteral("(%1, %2)").arg(all.MinX, 0, 'f', 1).arg(all.MinY, 0, 'f', 1));
    p.drawText(at(all.MaxX, all.MaxY) + QPointF(-100, -10),
               QStringLiteral("(%1, %2)").arg(all.MaxX, 0, 'f', 1).arg(all.MaxY, 0, 'f', 1));
    for (OGRLayer *layer : ds->GetLayers())
        for (const auto &f : *layer) {
            const OGRGeometry *g = f->GetGeometryRef();
            switch (wkbFlatten(g->getGeometryType())) {
            case wkbPolygon: {
                const OGRLinearRing *ring = g->toPolygon()->getExteriorRing();
                QPolygonF shape;
                for (const OGRPoint &v : *ring)
                    shape << at(v.getX(), v.getY());
                p.setPen(QPen(QColor(40, 110, 40), 2));
                p.setBrush(QColor(120, 200, 120, 120));
                p.drawPolygon(shape);
                p.setPen(Qt::black);
                p.drawText(shape.boundingRect().center() - QPointF(40, 0),
                           QStringLiteral("%1 m²").arg(g->toPolygon()->get_Area(), 0, 'f', 1));
                break;
            }
            case wkbLineString: {
                QPolygonF line;
                for (const OGRPoint &v : *g->toLineString())
                    line << at(v.getX(), v.getY());
                p.setPen(QPen(QColor(30, 60, 200), 3));
                p.drawPolyline(line);
                break;
            }
            default: {
                const OGRPoint *pt = g->toPoint();
                p.setPen(Qt::NoPen);
                p.setBrush(QColor(210, 40, 40));
                p.drawEllipse(at(pt->getX(), pt->getY()), 5, 5);
                break;
            }
            }
        }
    return image;
}

// The pictures of a registered demo sheet: its GeoPackage's layers drawn, and the registration
// dialog with the four corners and their residuals.
TEST(RegistrationPictures, RegisteredSheetAndItsLayers) {
    QTemporaryDir dir;
    test::FirstStart firstStart;
    TraceModel model{QLocale::c()};
    MemoryPort port;
    test::FakeDialogs dialogs;
    frmTrace1 window{model, port, &dialogs};
    window.show();
    window.Command1_Click();
    window.features().sheet.openRegistration();
    RegistrationDialog *dialog = window.features().sheet.registrationDialog();
    ASSERT_TRUE(dialog);
    for (const auto &c : kCorners) {
        port.deliver(bytes(c[0], c[1], 1));
        const int row = int(dialog->table().rows().size()) - 1;
        const QPointF m = onMap(c[0], c[1]) + QPointF(c[2], c[3]);
        (void)dialog->table().setCell(row, RegistrationColumn::MapX,
                                      QString::number(m.x(), 'f', 2));
        (void)dialog->table().setCell(row, RegistrationColumn::MapY,
                                      QString::number(m.y(), 'f', 2));
    }
    dialog->table().setCrs(QStringLiteral("EPSG:6677"));
    const Fit fit = dialog->table().fit();
    ASSERT_TRUE(fit.ok());
    const QDir shots(QStringLiteral(DIGITRACE_SCREENSHOTS));
    ASSERT_TRUE(shots.mkpath(QStringLiteral(".")));
    EXPECT_TRUE(dialog->grab().save(shots.filePath(QStringLiteral("registration.png"))));
    dialog->registerSheet();

    port.deliver(kSheet);
    dialogs.saveName = dir.filePath(QStringLiteral("sheet.gpkg"));
    window.features().gisExport.exportGisFile();
    ASSERT_EQ(dialogs.notices.size(), 1) << dialogs.warnings.join(u'\n').toStdString();
    const QImage layers = drawLayers(
        dialogs.saveName,
        QStringLiteral("sheet.gpkg  EPSG:6677  アフィン変換  RMS %1 m (地図) / %2 (タブレット単位)")
            .arg(fit.rmsMap, 0, 'f', 3)
            .arg(fit.rmsTablet, 0, 'f', 3));
    EXPECT_TRUE(layers.save(shots.filePath(QStringLiteral("gis_layers.png"))));
    std::cout << "RMS map " << fit.rmsMap << " tablet " << fit.rmsTablet << "\n"
              << dialogs.notices[0].toStdString() << "\n";
    window.features().job.finish();
}

} // namespace
} // namespace digitrace
