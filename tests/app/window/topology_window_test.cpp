#include "app/window/gis_export_feature.h"
#include "app/window/topology_feature.h"
#include "app/window/topology_list.h"
#include "app/window/topology_markers.h"
#include "display/renderer.h"
#include "display/widget/drawing_area.h"
#include "export/gis_features.h"
#include "fakes.h"
#include "registration_steps.h"

#include <QDir>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace digitrace {

using test::bytes;

// A small sheet with two faults planted: a polygon that overlaps its neighbour, and a line that
// stops short of the line it meets by less than `toleranceUnits`, so that a repair closes it.
QByteArray plantedSheet(double toleranceUnits) {
    const double shortBy = std::max(0.1, std::floor(toleranceUnits * 7) / 10);
    return bytes(100, 100, 1) + bytes(300, 100, 2) + bytes(300, 300, 2) + bytes(100, 300, 2) +
           bytes(0, 0, 3) + bytes(250, 150, 1) + bytes(450, 150, 2) + bytes(450, 350, 2) +
           bytes(250, 350, 2) + bytes(0, 0, 3) + bytes(500, 100, 1) + bytes(700, 100, 2) +
           bytes(600, 300, 1) + bytes(600, 100 + shortBy, 2);
}

// Waits for the live check to catch up with the job; false when it did not in time.
bool settled(TopologyFeature &topology) {
    QSignalSpy checked(&topology, &TopologyFeature::checked);
    while (topology.checking())
        if (!checked.wait(10000))
            return false;
    return true;
}

// The planted sheet with the live check on: the markers over the drawing area and the list below
// it, the overlap chosen.
QImage topologyPicture() {
    test::FirstStart firstStart;
    TraceModel model{QLocale::c()};
    MemoryPort port;
    test::FakeDialogs dialogs;
    frmTrace1 window{model, port, &dialogs};
    window.show();
    TopologyFeature &topology = *window.findChild<TopologyFeature *>();
    topology.setLiveCheck(true);
    window.Command1_Click();
    port.deliver(plantedSheet(topology.toleranceUnits()));
    EXPECT_TRUE(settled(topology));
    QTreeWidget &tree = topology.list().tree();
    for (int row = 0; row < tree.topLevelItemCount(); ++row)
        if (topology.report().findings[std::size_t(row)].kind == FindingKind::Overlap)
            tree.setCurrentItem(tree.topLevelItem(row));
    window.controls().picDigit->setFocus();
    const QImage picture =
        window.grab(QRect(0, 0, window.width(), window.statusBar()->y())).toImage();
    window.Command2_Click();
    window.features().job.finish();
    return picture;
}

namespace {

// A designed job with the live check switched on, the planted sheet traced into it and checked.
struct CheckedWindow {
    CheckedWindow() : window(dir.path()) {
        topology.setLiveCheck(true);
        window.window.Command1_Click();
        window.port.deliver(plantedSheet(topology.toleranceUnits()));
        EXPECT_TRUE(settled(topology));
    }
    QTemporaryDir dir;
    test::JournalledWindow window;
    TopologyFeature &topology = *window.window.findChild<TopologyFeature *>();
};

TEST(TopologyWindow, PlantedFaultsAreListedAndMarked) {
    CheckedWindow w;
    QTreeWidget &tree = w.topology.list().tree();
    QStringList kinds;
    for (int row = 0; row < tree.topLevelItemCount(); ++row)
        kinds << tree.topLevelItem(row)->text(0);
    kinds.sort();
    EXPECT_EQ(kinds.join(u' ').toStdString(), "ぶら下がり 重なり");
    EXPECT_EQ(w.topology.markers().findings().size(), std::size_t(tree.topLevelItemCount()));
    EXPECT_TRUE(w.topology.markers().isVisible());
    EXPECT_TRUE(w.topology.list().isVisible());
}

TEST(TopologyWindow, EnterOnAFindingShowsItInTheMiddleOfTheArea) {
    CheckedWindow w;
    QTreeWidget &tree = w.topology.list().tree();
    ASSERT_GT(tree.topLevelItemCount(), 1);
    tree.setCurrentItem(tree.topLevelItem(1));
    QTest::keyClick(&tree, Qt::Key_Return);
    DrawingArea &area = *w.window.window.controls().picDigit;
    area.setTabletCursor(w.topology.report().findings[1].at);
    const QPointF shown = *area.tabletCursorAt();
    area.setTabletCursor(std::nullopt);
    EXPECT_NEAR(shown.x(), area.width() / 2.0, 1);
    EXPECT_NEAR(shown.y(), area.height() / 2.0, 1);
}

TEST(TopologyWindow, TheCheckIsOfferedBeforeAnOutputNeverForced) {
    const struct {
        bool repairable;
        int answer;
        bool goesOn;
        bool repairs;
        const char *answers;
    } rows[] = {
        {false, 0, false, false, "一覧を見る/このまま続ける/キャンセル"},
        {false, 1, true, false, "一覧を見る/このまま続ける/キャンセル"},
        {false, 2, false, false, "一覧を見る/このまま続ける/キャンセル"},
        {true, 1, true, false, "一覧を見る/このまま続ける/修正して続ける/キャンセル"},
        {true, 2, true, true, "一覧を見る/このまま続ける/修正して続ける/キャンセル"},
        {true, 3, false, false, "一覧を見る/このまま続ける/修正して続ける/キャンセル"},
    };
    for (const auto &row : rows) {
        CheckedWindow w;
        w.topology.list().hide();
        w.window.dialogs.answer({row.answer});
        EXPECT_EQ(w.topology.offerBeforeOutput(row.repairable), row.goesOn) << row.answer;
        ASSERT_EQ(w.window.dialogs.questions.size(), 1);
        EXPECT_TRUE(w.window.dialogs.questions[0].endsWith(QString::fromUtf8(row.answers)));
        EXPECT_EQ(w.topology.list().isVisible(), row.answer == 0);
        const OutputRepair repair = w.topology.repairFor(Placement{});
        ASSERT_EQ(bool(repair), row.repairs);
        if (!repair)
            continue;
        FeatureSet features = collectFeatures(w.window.model.store(), Placement{});
        EXPECT_FALSE(repair(features).isEmpty());
    }
}

TEST(TopologyWindow, TheCheckIsOnByItselfOnlyForAJobWithClasses) {
    const struct {
        const char *catalogue;
        bool on;
    } rows[] = {
        {nullptr, false},
        {"[建物]\nkind = polygon\n", true},
    };
    for (const auto &row : rows) {
        QTemporaryDir dir;
        test::JournalledWindow w(dir.path());
        if (row.catalogue) {
            ASSERT_TRUE(w.window.features().session.useCatalogue(QString::fromUtf8(row.catalogue)));
        }
        TopologyFeature &topology = *w.window.findChild<TopologyFeature *>();
        EXPECT_EQ(topology.liveCheck(), row.on) << row.catalogue;
        w.window.Command1_Click();
        w.port.deliver(plantedSheet(topology.toleranceUnits()));
        w.dialogs.saveName = QDir(dir.path()).filePath(QStringLiteral("out.dxf"));
        w.window.cmdFile_Click();
        EXPECT_EQ(w.dialogs.questions.size(), row.on ? 1 : 0);
        EXPECT_FALSE(topology.list().isVisible());
    }
}

TEST(TopologyWindow, RepairAndGoOnRepairsTheGisExport) {
    CheckedWindow w;
    w.window.dialogs.saveName = QDir(w.dir.path()).filePath(QStringLiteral("out.gpkg"));
    w.window.dialogs.answer({2});
    w.window.window.features().gisExport.exportGisFile();
    ASSERT_EQ(w.window.dialogs.notices.size(), 1);
    // The dangle's end moved onto the line it stopped short of: told after the export's lines.
    EXPECT_TRUE(w.window.dialogs.notices[0].endsWith(
        QStringLiteral("地物 12 の頂点 1 個を許容差内の他の地物に合わせました")))
        << w.window.dialogs.notices[0].toStdString();
}

// For a person to look at: the window zoomed to the dangle, and the list alone.
TEST(TopologyWindow, Screenshots) {
    CheckedWindow w;
    const std::vector<TopologyFinding> &findings = w.topology.report().findings;
    for (std::size_t i = 0; i < findings.size(); ++i)
        if (findings[i].kind == FindingKind::Dangle)
            w.topology.showFinding(i);
    QDir().mkpath(QStringLiteral(DIGITRACE_SCREENSHOTS));
    EXPECT_TRUE(
        w.window.window.grab().save(QStringLiteral(DIGITRACE_SCREENSHOTS "/topology_zoomed.png")));
    EXPECT_TRUE(
        w.topology.list().grab().save(QStringLiteral(DIGITRACE_SCREENSHOTS "/topology_list.png")));
}

} // namespace
} // namespace digitrace
