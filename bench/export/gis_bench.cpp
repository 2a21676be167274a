// The GeoPackage export of a full table against GDAL writing the same features in a bare loop,
// and the fit of the largest set of control points an operator would digitize.

#include "bench/support/ratio_reporter.h"
#include "export/gis_export.h"
#include "registration/transform_fit.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <array>
#include <cmath>
#include <cstdio>

namespace {

using namespace digitrace;

// A full table mixing points, polygons, lines and a one-segment line followed by a point.
const TraceStore &fullTable() {
    static const TraceStore store = [] {
        constexpr std::array<float, 12> kCodes = {4, 1, 2, 2, 2, 3, 1, 2, 2, 1, 2, 0};
        TraceStore s;
        for (int i = 0; i < kSlotCount; ++i) {
            const auto slot = std::size_t(i);
            s.Pt.Code[slot] = kCodes[slot % kCodes.size()];
            s.Pt.X[slot] = float(1000 + (i * 37) % 20000) + 0.1f * float(i % 10);
            s.Pt.Y[slot] = float(500 + (i * 53) % 15000) + 0.1f * float(i % 7);
        }
        s.PtCount = kSlotCount;
        s.ScaleDenom = 1000;
        return s;
    }();
    return store;
}

void GisExportGeoPackage(benchmark::State &state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("trace.gpkg"));
    const GisExportOptions options{QStringLiteral("GPKG"), {std::nullopt, 1000}, {}};
    for (auto _ : state) {
        const GisExportResult result = exportGis(fullTable(), options, path);
        if (!result.ok())
            state.SkipWithError(qPrintable(result.result.error));
    }
}

// The baseline: the features already built, written by GDAL straight into a new GeoPackage with
// the same layers and fields in one transaction.
void BareGdalLoop(benchmark::State &state) {
    GDALAllRegister();
    const FeatureSet set = collectFeatures(fullTable(), {std::nullopt, 1000});
    QTemporaryDir dir;
    const QByteArray path = dir.filePath(QStringLiteral("bare.gpkg")).toUtf8();
    GDALDriver *driver = GetGDALDriverManager()->GetDriverByName("GPKG");
    for (auto _ : state) {
        QFile::remove(QString::fromUtf8(path));
        GDALDataset *ds = driver->Create(path.constData(), 0, 0, 0, GDT_Unknown, nullptr);
        ds->StartTransaction();
        const std::pair<const char *, OGRwkbGeometryType> layers[] = {
            {"points", wkbPoint}, {"lines", wkbLineString}, {"polygons", wkbPolygon}};
        for (int k = 0; k < 3; ++k) {
            OGRLayer *layer = ds->CreateLayer(layers[k].first, nullptr, layers[k].second);
            OGRFieldDefn kind("kind", OFTString);
            layer->CreateField(&kind);
            for (const char *name : {"code", "vertices", "first_slot", "last_slot"}) {
                OGRFieldDefn field(name, OFTInteger);
                layer->CreateField(&field);
            }
            for (const char *name : {"length", "area"}) {
                OGRFieldDefn field(name, OFTReal);
                layer->CreateField(&field);
            }
            for (const Feature &f : set.features) {
                if (int(f.kind) != k)
                    continue;
                OGRFeature feature(layer->GetLayerDefn());
                feature.SetField("kind", k == 0 ? "point" : k == 1 ? "line" : "polygon");
                if (f.code)
                    feature.SetField("code", int(*f.code));
                feature.SetField("vertices", int(f.vertices.size()));
                feature.SetField("first_slot", int(f.firstSlot));
                feature.SetField("last_slot", int(f.lastSlot));
                OGRGeometry *g = nullptr;
                if (k == 0) {
                    g = new OGRPoint(f.vertices[0].x, f.vertices[0].y);
                } else {
                    feature.SetField("length", f.length);
                    OGRSimpleCurve *curve = k == 1
                                                ? static_cast<OGRSimpleCurve *>(new OGRLineString)
                                                : new OGRLinearRing;
                    for (const MapPoint &p : f.vertices)
                        curve->addPoint(p.x, p.y);
                    if (k == 1) {
                        g = curve;
                    } else {
                        feature.SetField("area", f.area);
                        curve->addPoint(f.vertices[0].x, f.vertices[0].y);
                        auto *polygon = new OGRPolygon;
                        polygon->addRingDirectly(static_cast<OGRLinearRing *>(curve));
                        g = polygon;
                    }
                }
                feature.SetGeometryDirectly(g);
                if (layer->CreateFeature(&feature) != OGRERR_NONE)
                    state.SkipWithError("CreateFeature failed");
            }
        }
        ds->CommitTransaction();
        GDALClose(ds);
    }
}

void FitControlPoints(benchmark::State &state) {
    const auto kind = TransformKind(state.range(0));
    std::vector<ControlPoint> points;
    for (int i = 0; i < 256; ++i) {
        const double x = (i % 16) * 40.0 + 3, y = (i / 16) * 30.0 + 5;
        const double noise = 0.01 * std::sin(i * 1.7);
        points.push_back({QString(), x, y, 2.5 * x + 0.1 * y + 512000 + noise,
                          -0.1 * x + 2.5 * y + 4100000 - noise, true});
    }
    for (auto _ : state) {
        const Fit fit = fitTransform(points, kind);
        benchmark::DoNotOptimize(fit.rmsMap);
    }
}

BENCHMARK(GisExportGeoPackage)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5);
BENCHMARK(BareGdalLoop)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5);
BENCHMARK(FitControlPoints)
    ->Arg(int(TransformKind::Similarity))
    ->Arg(int(TransformKind::Affine))
    ->Arg(int(TransformKind::Projective))
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

} // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    digitrace::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::printf("\n");
    reporter.printRatio("GeoPackage export of 10,001 records / bare GDAL loop",
                        "GisExportGeoPackage/repeats:5/real_time",
                        "BareGdalLoop/repeats:5/real_time", 1.3);
    return 0;
}
