#include "classes/class_catalogue.h"
#include "export/gis_export.h"
#include "topology/topology_check.h"
#include "topology/topology_repair.h"

#include <gtest/gtest.h>

#include <QRectF>
#include <QTemporaryDir>

#include <vector>

namespace digitrace {
namespace {

// A feature of a hand-made sheet, in tablet units.
struct Drawn {
    FeatureKind kind;
    std::vector<QPointF> points;
    QString className = {};
};

// Standalone points come first on a sheet: after a line's vertices their code would close it.
Drawn point(QPointF at) {
    return {FeatureKind::Point, {at}};
}
Drawn line(std::vector<QPointF> points, QString className = {}) {
    return {FeatureKind::Line, std::move(points), std::move(className)};
}
Drawn polygon(std::vector<QPointF> points, QString className = {}) {
    return {FeatureKind::Polygon, std::move(points), std::move(className)};
}
Drawn rect(double x0, double y0, double x1, double y1, QString className = {}) {
    return polygon({{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}, std::move(className));
}

// The records a tablet sends for the features: a start, vertices, and for a polygon an end code;
// a line ends where the next feature starts.
struct Sheet {
    TraceStore store;
    std::vector<int> firstSlots;
    ClassCatalogue catalogue;
    ClassedFeatures classed;
    TraceClasses classes() const { return {&catalogue, &classed}; }

    explicit Sheet(const std::vector<Drawn> &drawn) {
        auto add = [&](QPointF p, float code) {
            const auto slot = std::size_t(store.PtCount++);
            store.Pt.Code[slot] = code;
            store.Pt.X[slot] = float(p.x());
            store.Pt.Y[slot] = float(p.y());
        };
        for (const Drawn &d : drawn) {
            firstSlots.push_back(store.PtCount);
            if (!d.className.isEmpty())
                classed.insert(store.PtCount, {d.className, {}});
            if (d.kind == FeatureKind::Point) {
                add(d.points.front(), 3);
                continue;
            }
            for (std::size_t i = 0; i < d.points.size(); ++i)
                add(d.points[i], i == 0 ? kStartCode : kVertexCode);
            if (d.kind == FeatureKind::Polygon)
                add(d.points.front(), 3);
        }
    }
};

constexpr double kTolerance = 0.3;

struct Expected {
    FindingKind kind;
    QRectF at;                 // where the finding may lie
    std::vector<int> features; // indices into the drawn features
};

QRectF near(double x, double y) {
    return {x - 0.01, y - 0.01, 0.02, 0.02};
}

struct Row {
    const char *name;
    std::vector<Drawn> drawn;
    std::vector<Expected> expected;
};

const Drawn kBase = line({{0, 0}, {20, 0}});

class TopologyCheck : public testing::TestWithParam<Row> {};

TEST_P(TopologyCheck, FindsThePlantedFaultAndNothingElse) {
    const Row &row = GetParam();
    const Sheet sheet(row.drawn);
    const TopologyReport report = checkTopology(sheet.store, sheet.classes(), kTolerance);
    ASSERT_EQ(report.findings.size(), row.expected.size());
    for (std::size_t i = 0; i < row.expected.size(); ++i) {
        const TopologyFinding &found = report.findings[i];
        const Expected &want = row.expected[i];
        std::vector<int> firstSlots;
        for (int f : want.features)
            firstSlots.push_back(sheet.firstSlots[std::size_t(f)]);
        EXPECT_EQ(found.kind, want.kind) << findingKindName(found.kind).toStdString();
        EXPECT_EQ(found.features, firstSlots);
        EXPECT_TRUE(want.at.contains(found.at)) << found.at.x() << " " << found.at.y();
        EXPECT_FALSE(found.what.isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sheets, TopologyCheck,
    testing::Values(
        Row{"clean",
            {rect(0, 0, 10, 10), rect(10, 0, 20, 10), line({{5, -5}, {5, 0}}),
             line({{-5, 20}, {25, 20}}), line({{12, 20}, {12, 30}})},
            {}},
        Row{"empty_sheet", {}, {}},
        Row{"duplicate_point",
            {point({1, 1}), point({1.2, 1}), point({3, 1})},
            {{FindingKind::Duplicate, near(1.2, 1), {0, 1}}}},
        Row{"self_intersection",
            {polygon({{0, 0}, {10, 10}, {10, 0}, {0, 10}})},
            {{FindingKind::Invalid, near(5, 5), {0}}}},
        Row{"undershoot",
            {kBase, line({{10, 0.4}, {10, 10}})},
            {{FindingKind::Dangle, near(10, 0.4), {0, 1}}}},
        Row{"overshoot",
            {kBase, line({{10, 10}, {10, -0.4}})},
            {{FindingKind::Dangle, near(10, -0.4), {0, 1}}}},
        Row{"end_beyond_twice_the_tolerance", {kBase, line({{10, 0.7}, {10, 10}})}, {}},
        Row{"undershoot_of_a_polygon_edge",
            {rect(0, 0, 10, 10), line({{5, -0.5}, {5, -10}})},
            {{FindingKind::Dangle, near(5, -0.5), {0, 1}}}},
        Row{"duplicate_ring_reversed_from_another_vertex",
            {rect(0, 0, 10, 10), polygon({{10.1, 10}, {10, 0.1}, {0, 0}, {0.1, 10}})},
            {{FindingKind::Duplicate, near(10.1, 10), {0, 1}}}},
        Row{"duplicate_line_reversed",
            {line({{0, 0}, {5, 5}, {10, 0}}), line({{10, 0.1}, {5, 5}, {0, 0}})},
            {{FindingKind::Duplicate, near(10, 0.1), {0, 1}}}},
        Row{"overlap",
            {rect(0, 0, 10, 10), rect(9, 0, 19, 10)},
            {{FindingKind::Overlap, QRectF(9, 0, 1, 10), {0, 1}}}},
        Row{"sliver_between_neighbours",
            {rect(0, 0, 10, 10), rect(10.2, 0, 20, 10)},
            {{FindingKind::Gap, QRectF(10, 0, 0.2, 10), {0, 1}}}},
        Row{"narrow_hole_among_neighbours",
            {rect(0, 0, 10, 10), rect(10, 0, 20, 10), rect(0, 10, 10, 20),
             polygon({{10.4, 10}, {20, 10}, {20, 20}, {10, 20}, {10, 10.4}})},
            {{FindingKind::Gap, QRectF(10, 10, 0.4, 0.4), {0, 1, 2, 3}}}},
        Row{"neighbours_of_unequal_height", {rect(0, 0, 10, 10), rect(10, 0, 20, 5)}, {}},
        Row{"narrow_inlet_of_one_polygon",
            {polygon(
                 {{0, 0}, {10, 0}, {10, 10}, {5.1, 10}, {5.1, 2}, {4.9, 2}, {4.9, 10}, {0, 10}}),
             rect(10, 0, 20, 10)},
            {}},
        Row{"gap_wider_than_twice_the_tolerance", {rect(0, 0, 10, 10), rect(10.7, 0, 20, 10)}, {}},
        Row{"overlap_across_classes", {rect(0, 0, 10, 10, "建物"), rect(9, 0, 19, 10, "道路")}, {}},
        Row{"overlap_within_a_class",
            {rect(0, 0, 10, 10, "建物"), rect(9, 0, 19, 10, "建物")},
            {{FindingKind::Overlap, QRectF(9, 0, 1, 10), {0, 1}}}},
        Row{"gap_across_classes", {rect(0, 0, 10, 10, "建物"), rect(10.2, 0, 20, 10, "道路")}, {}},
        Row{"duplicate_across_classes",
            {rect(0, 0, 10, 10, "建物"), rect(0, 0, 10, 10, "道路")},
            {}}),
    [](const testing::TestParamInfo<Row> &info) { return info.param.name; });

// A fault a row for the repair: an undershoot, an overshoot, a sliver, lines of one class that
// cross, a ring whose closing runs past its start, and one it must not mend.
struct RepairRow {
    const char *name;
    std::vector<Drawn> drawn;
    std::vector<int> changed; // indices of the features the changes name
    int findingsLeft;
};

class TopologyRepair : public testing::TestWithParam<RepairRow> {};

TEST_P(TopologyRepair, RepairedFeaturesCheckCleanAndTheChangesNameThem) {
    const RepairRow &row = GetParam();
    const Sheet sheet(row.drawn);
    FeatureSet set = collectFeatures(sheet.store, {std::nullopt, 1000, 1});
    const QStringList changes = repairFeatures(set, sheet.classes(), kTolerance);
    ASSERT_EQ(changes.size(), qsizetype(row.changed.size())) << changes.join('\n').toStdString();
    for (std::size_t i = 0; i < row.changed.size(); ++i)
        EXPECT_TRUE(changes[qsizetype(i)].contains(
            QString::number(sheet.firstSlots[std::size_t(row.changed[i])])))
            << changes[qsizetype(i)].toStdString();
    EXPECT_EQ(checkFeatures(set, sheet.classes(), kTolerance, 1e-9).findings.size(),
              std::size_t(row.findingsLeft));
}

INSTANTIATE_TEST_SUITE_P(
    Sheets, TopologyRepair,
    testing::Values(
        RepairRow{"undershoot", {kBase, line({{10, 0.2}, {10, 10}})}, {1}, 0},
        RepairRow{"overshoot", {kBase, line({{10, 10}, {10, -0.2}})}, {1}, 0},
        RepairRow{"sliver", {rect(0, 0, 10, 10), rect(10.2, 0, 20, 10)}, {0}, 0},
        RepairRow{"crossing_lines_of_a_class",
                  {line({{0, 0}, {20, 0}}, "道路"), line({{10, -5}, {10, 5}}, "道路")},
                  {0},
                  0},
        RepairRow{"closing_past_the_start",
                  {polygon({{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0.2, -0.2}})},
                  {0},
                  0},
        // Made valid it would fall apart into two halves: it stays, and the operator is told.
        RepairRow{
            "crossed_ring_left_as_it_is", {polygon({{0, 0}, {10, 10}, {10, 0}, {0, 10}})}, {0}, 1}),
    [](const testing::TestParamInfo<RepairRow> &info) { return info.param.name; });

// The export writes what the repair made of the features and says what it changed.
TEST(TopologyRepairHook, GisExportWritesTheRepairedFeaturesAndTellsTheChanges) {
    const Sheet sheet({kBase, line({{10, 0.2}, {10, 10}})});
    QTemporaryDir dir;
    GisExportOptions options;
    options.format = QStringLiteral("GeoJSON");
    options.placement = {std::nullopt, 1000, 1};
    options.repair = repairHook(sheet.classes(), kTolerance);
    const GisExportResult written =
        exportGis(sheet.store, options, dir.filePath(QStringLiteral("trace.geojson")));
    ASSERT_TRUE(written.ok()) << written.result.error.toStdString();
    EXPECT_EQ(written.features.features[1].vertices.front().y, 0);
    EXPECT_EQ(written.notes.size(), 1);
}

} // namespace
} // namespace digitrace
