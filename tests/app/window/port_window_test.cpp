#include "acquisition/formats/tablet_encoder.h"
#include "app/window/frm_trace1.h"
#include "app/window/operator_settings.h"
#include "app/window/port_feature.h"
#include "app/window/port_settings_dialog.h"
#include "app/window/reception_hold.h"
#include "app/window/record_monitor.h"
#include "app/window/status_feature.h"
#include "app/window/status_line.h"
#include "app/window/tablet_cursor.h"
#include "app/window/trace_navigation.h"
#include "display/widget/drawing_area.h"
#include "fakes.h"
#include "tests/acquisition/fakes.h"
#include "tests/support/record_text.h"

#include <QAction>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>

namespace digitrace {
namespace {

using test::FakeDialogs;

QByteArray bytes(double x, double y, int code) {
    return test::recordText(x, y, code).toLatin1();
}

// Lets the event loop run for `ms` milliseconds: timers due by then have fired.
void runEventsFor(int ms) {
    QTimer marker;
    marker.setSingleShot(true);
    QSignalSpy spy(&marker, &QTimer::timeout);
    marker.start(ms);
    ASSERT_TRUE(spy.wait(5000));
}

class PortWindow : public testing::Test {
protected:
    PortWindow() {
        window.show();
        QObject::connect(&window, &frmTrace1::noticeShown,
                         [this](const QString &text) { notices << text; });
    }

    test::FirstStart firstStart;
    TraceModel model{QLocale(QLocale::English, QLocale::UnitedStates)};
    QStringList log;
    test::FakePort port{log};
    FakeDialogs dialogs;
    frmTrace1 window{model, port, &dialogs};
    // What the window told in its notice bar.
    QStringList notices;

    // The line read as the built-in format `name` from the next connect on.
    TabletFormat useFormat(QStringView name) {
        PortChoice choice = window.features().port.portChoice();
        choice.format = *TabletFormat::named(name);
        window.features().port.usePortChoice(choice);
        return choice.format;
    }
};

TEST(PortSettings, RoundTripThroughTheSettings) {
    test::FirstStart firstStart;
    EXPECT_EQ(OperatorSettings().portChoice(), PortChoice{});
    const PortChoice rows[] = {
        {QStringLiteral("/dev/ttyUSB0"), {19200, 'o', 8, 2, 'h'}, 0.1, {}},
        {QStringLiteral("COM3"), {1200, 'n', 7, 1, 's'}, 0.0254, {}},
        {{}, {}, 1, {}},
    };
    for (const PortChoice &c : rows) {
        OperatorSettings().setPortChoice(c);
        EXPECT_EQ(OperatorSettings().portChoice(), c) << c.portName.toStdString();
    }
    QSettings(QStringLiteral("digitrace"), QStringLiteral("digitrace"))
        .setValue(QStringLiteral("port/line"), QStringLiteral("fast"));
    EXPECT_EQ(OperatorSettings().portChoice().line, LineSettings{});
}

// Chosen while connected, the port takes effect at the next connect; it is kept for the next
// start, shown on the connect button and journalled with its unit.
TEST_F(PortWindow, ChosenPortAppliesAtTheNextConnect) {
    window.Command1_Click();
    const PortChoice chosen{QStringLiteral("/dev/ttyUSB0"), {19200, 'o', 8, 2, 'h'}, 0.1, {}};
    dialogs.portAnswer = chosen;
    QSignalSpy changed(&window.features().port, &PortFeature::portChoiceChanged);
    window.features().port.choosePort();
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(dialogs.portQuestions, QList<bool>{true});
    EXPECT_EQ(OperatorSettings().portChoice(), chosen);
    EXPECT_EQ(port.portName(), QStringLiteral("/dev/ttyS0"));
    const QString summary = QStringLiteral("/dev/ttyUSB0  19200,O,8,2,RTS/CTS");
    EXPECT_EQ(window.features().port.portSummary(), summary);
    EXPECT_TRUE(window.controls().Command1->toolTip().endsWith(summary));

    window.Command2_Click();
    log.clear();
    window.Command1_Click();
    EXPECT_EQ(log.value(0), QStringLiteral("settings 19200,o,8,2,h"));
    EXPECT_EQ(port.portName(), QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(model.store().tabletUnitMm, 0.1);
    EXPECT_TRUE(window.features().job.content().contains("\nU 0.1*"));

    dialogs.portAnswer.reset();
    window.features().port.choosePort();
    EXPECT_EQ(window.features().port.portChoice(), chosen);
}

TEST_F(PortWindow, SilenceIsToldOncePerConnection) {
    const struct {
        bool recordArrives;
        int connections;
        int notices;
        bool held = false; // a dialog holds reception as the record arrives
    } rows[] = {{false, 1, 1}, {true, 1, 0}, {false, 2, 2}, {true, 1, 0, true}};
    for (const auto &r : rows) {
        notices.clear();
        window.features().port.setSilenceInterval(1);
        for (int i = 0; i < r.connections; ++i) {
            window.Command1_Click();
            std::optional<ReceptionHold> hold;
            if (r.held)
                hold.emplace(window.features().session);
            if (r.recordArrives)
                port.deliver(bytes(1, 1, 3));
            runEventsFor(30);
            hold.reset();
            window.Command2_Click();
        }
        EXPECT_EQ(notices.size(), r.notices) << r.recordArrives << r.connections;
        EXPECT_TRUE(notices.isEmpty() ||
                    notices[0].contains(QStringLiteral("/dev/ttyS0  9600,E,7,1")));
    }
}

// Malformed records are taken as ever, marked in the monitor and told once per job.
TEST_F(PortWindow, MalformedRecordsAreMarkedAndToldOncePerJob) {
    window.Command1_Click();
    port.deliver(bytes(10, 10, 1) +
                 "  ???????     20.0"
                 "2\r" +
                 bytes(30, 30, 2) + "     40.0\r" + bytes(0, 0, 2) + bytes(50, 50, 1));
    // Showing the notice may use up a slice of reception; the next slices take the rest.
    for (int i = 0; i < 500 && model.store().PtCount < 5; ++i)
        runEventsFor(10);
    EXPECT_EQ(model.store().PtCount, 5);
    ASSERT_EQ(notices.size(), 1);
    const RecordLog &log = window.features().port.recordMonitor()->log();
    const struct {
        int slot;
        RecordEffect effect;
        bool flawed;
    } rows[] = {{0, RecordEffect::Start, false},   {1, RecordEffect::Vertex, true},
                {2, RecordEffect::Vertex, false},  {3, RecordEffect::Close, true},
                {4, RecordEffect::Refused, false}, {4, RecordEffect::Start, false}};
    ASSERT_EQ(log.rowCount(), int(std::size(rows)));
    for (int i = 0; i < log.rowCount(); ++i) {
        EXPECT_EQ(log.row(i).slot, rows[i].slot) << i;
        EXPECT_EQ(log.row(i).effect, rows[i].effect) << i;
        EXPECT_EQ(log.row(i).flaws.any(), rows[i].flawed) << i;
    }
    window.cmdClear_Click();
    port.deliver("x\r");
    EXPECT_EQ(notices.size(), 2);
}

// What the format refuses is logged as refused and counted, never taken; a line that stops fitting
// is told once, in the monitor and the notice bar. Each connect journals the format.
TEST_F(PortWindow, FormatRefusalsAreLoggedAndCountedNeverTaken) {
    useFormat(u"calcomp2000");
    window.Command1_Click();
    // Line by line, as a tablet sends them.
    for (const char *line : {"100,200,1\r\n", "noise\r\n", "300,400,2\r\n", "12,x,2\r\n"})
        port.deliver(line);
    EXPECT_EQ(model.store().PtCount, 2);
    const RecordMonitor &monitor = *window.features().port.recordMonitor();
    const struct {
        RecordEffect effect;
        bool refused;
    } rows[] = {{RecordEffect::Start, false},
                {RecordEffect::Refused, true},
                {RecordEffect::Vertex, false},
                {RecordEffect::Refused, true}};
    ASSERT_EQ(monitor.log().rowCount(), int(std::size(rows)));
    for (int i = 0; i < monitor.log().rowCount(); ++i) {
        EXPECT_EQ(monitor.log().row(i).effect, rows[i].effect) << i;
        EXPECT_EQ(monitor.log().row(i).refusal.isEmpty(), !rows[i].refused) << i;
    }
    EXPECT_EQ(monitor.log().row(1).text, QStringLiteral("noise"));
    EXPECT_EQ(monitor.refusedCount(), 2);
    ASSERT_EQ(notices.size(), 1);
    EXPECT_TRUE(notices[0].contains(QStringLiteral("calcomp2000")));
    EXPECT_EQ(monitor.lineProblem(), notices[0]);
    EXPECT_TRUE(window.features().job.content().contains("\nF calcomp2000*"));
}

// A line that does not fit the chosen format but fits another built-in one is told naming that
// format, and switching reads the next bytes as that format.
TEST_F(PortWindow, ALineOfAnotherFormatOffersToSwitchToIt) {
    window.Command1_Click();
    dialogs.answer({0});
    // A CalComp 2000 tablet in stream mode on a line read as fixed19.
    for (int i = 0; i < 8; ++i)
        port.deliver(QStringLiteral("%1,20000,0\r\n%1,20000,1\r\n").arg(10000 + 10 * i).toLatin1());
    for (int i = 0; i < 100 && dialogs.questions.isEmpty(); ++i)
        runEventsFor(10);
    ASSERT_EQ(dialogs.questions.size(), 1);
    EXPECT_TRUE(dialogs.questions[0].contains(QStringLiteral("形式 calcomp2000 として読めます")))
        << dialogs.questions[0].toStdString();
    EXPECT_EQ(window.features().port.portChoice().format.kind, FormatKind::Calcomp2000);
    const std::int16_t before = model.store().PtCount;
    port.deliver("10500,20500,0\r\n10500,20500,1\r\n");
    EXPECT_EQ(model.store().PtCount, before + 1);
    EXPECT_EQ(model.store().Pt.X[before], 10500);
}

// A hovering puck moves a cross-hair over the picture and shows its coordinates; the picture is
// as it was once the puck leaves.
TEST_F(PortWindow, TabletCursorFollowsThePuckOverAnUntouchedPicture) {
    const TabletFormat summa = useFormat(u"summa-mm");
    const auto report = [&](qint64 x, qint64 y, int button, bool near = true) {
        return encodeReport(summa, x, y, button, near).bytes;
    };
    window.Command1_Click();
    port.deliver(report(1000, 1000, 1) + report(1000, 1000, 0) + report(3000, 2000, 2) +
                 report(3000, 2000, 0, false));
    ASSERT_EQ(model.store().PtCount, 2);
    DrawingArea &area = *window.controls().picDigit;
    EXPECT_EQ(area.tabletCursorAt(), std::nullopt);
    const QImage untouched = area.grab().toImage();

    port.deliver(report(2500, 1800, 0));
    EXPECT_EQ(window.features().tabletCursor.position(), QPointF(2500, 1800));
    const std::optional<QPointF> shown = area.tabletCursorAt();
    ASSERT_TRUE(shown.has_value());
    EXPECT_TRUE(area.rect().contains(shown->toPoint()));
    EXPECT_NE(area.grab().toImage(), untouched);
    EXPECT_TRUE(
        window.features().status.line().text().contains(QStringLiteral("カーソル: タブレット")));
    // Zoomed about the centre and back, the cross-hair follows the picture.
    emit area.zoomRequested(QRectF(area.rect()).center(), 2);
    EXPECT_NE(area.tabletCursorAt(), shown);
    window.features().navigation.showWholeTrace();
    EXPECT_EQ(area.tabletCursorAt(), shown);

    port.deliver(report(2500, 1800, 0, false));
    EXPECT_EQ(area.tabletCursorAt(), std::nullopt);
    EXPECT_EQ(area.grab().toImage(), untouched);
    EXPECT_FALSE(window.features().status.line().text().contains(QStringLiteral("タブレット")));
}

// Snapping chosen in ツール → スナップ is the job's; the cursor then marks, beside the cross-hair,
// the vertex a press there would take, and nothing where a press would stay.
TEST_F(PortWindow, TabletCursorMarksWhereAPressWouldSnap) {
    const TabletFormat summa = useFormat(u"summa-mm");
    const auto report = [&](qint64 x, qint64 y, int button) {
        return encodeReport(summa, x, y, button, true).bytes;
    };
    PortChoice tenths = window.features().port.portChoice();
    tenths.tabletUnitMm = 0.1;
    window.features().port.usePortChoice(tenths);
    window.Command1_Click();
    auto *menu = window.findChild<QMenu *>(QStringLiteral("snapMenu"));
    ASSERT_NE(menu, nullptr);
    const QList<QAction *> choices = menu->actions();
    const auto half = std::find_if(choices.begin(), choices.end(),
                                   [](QAction *a) { return a->data().toDouble() == 0.5; });
    ASSERT_NE(half, choices.end());
    (*half)->trigger();
    ASSERT_EQ(window.features().session.job().snapMm, 0.5);
    const qint64 units = std::lround(0.4 / model.store().tabletUnitMm);
    port.deliver(report(1000, 1000, 1) + report(1000, 1000, 0) + report(2500, 1000, 2) +
                 report(2500, 1000, 0) + report(2500, 1800, 2) + report(2500, 1800, 0));
    const TabletCursor &cursor = window.features().tabletCursor;
    port.deliver(report(1000 + units, 1000, 0));
    EXPECT_EQ(cursor.snapTarget(), QPointF(1000, 1000));
    QDir().mkpath(QStringLiteral(DIGITRACE_SCREENSHOTS));
    EXPECT_TRUE(window.grab().save(QStringLiteral(DIGITRACE_SCREENSHOTS "/snap_marker.png")));
    port.deliver(report(1000 + 3 * units, 1000, 0));
    EXPECT_EQ(cursor.snapTarget(), std::nullopt);
}

TEST_F(PortWindow, ScaleReadUnlikeAPersonIsAskedFirst) {
    const QString question =
        QStringLiteral("縮尺の確認|縮尺を 1/%1 として扱います。よろしいですか？");
    const struct {
        const char *scale;
        bool ok;
        QString asked;
        bool connected;
        float denom;
    } rows[] = {
        {"1:2500", true, question.arg(1), true, 1},
        {"1:2500", false, question.arg(1), false, 0},
        {"2,500", true, question.arg(2), true, 2},
        {"2500", false, {}, true, 2500},
    };
    for (const auto &r : rows) {
        dialogs.confirmations.clear();
        dialogs.confirmAnswer = r.ok;
        model.setScaleDenom(0);
        log.clear();
        window.controls().txtScale->setText(QString::fromLatin1(r.scale));
        window.Command1_Click();
        EXPECT_EQ(dialogs.confirmations.value(0), r.asked) << r.scale;
        EXPECT_EQ(window.Connected(), r.connected) << r.scale;
        EXPECT_EQ(log.contains(QStringLiteral("open")), r.connected) << r.scale;
        EXPECT_EQ(model.store().ScaleDenom, r.denom) << r.scale;
        EXPECT_EQ(window.controls().txtScale->text(), QString::fromLatin1(r.scale));
        window.Command2_Click();
    }
}

TEST(RecordMonitorPanel, HiddenAtFirstThenAsLeft) {
    test::FirstStart firstStart;
    TraceModel model;
    MemoryPort port;
    FakeDialogs dialogs;
    {
        frmTrace1 window(model, port, &dialogs);
        window.show();
        EXPECT_FALSE(window.features().port.recordMonitor()->isVisible());
        window.features().port.recordMonitor()->toggleViewAction()->trigger();
        window.close();
    }
    frmTrace1 again(model, port, &dialogs);
    again.show();
    EXPECT_TRUE(again.features().port.recordMonitor()->isVisible());
}

TEST(RecordMonitorPanel, KeepsTheNewestRows) {
    RecordLog log;
    for (int i = 0; i < RecordLog::kKeptRows + 20; ++i)
        log.add({i, {}, RecordEffect::Point, {}, {}});
    EXPECT_EQ(log.rowCount(), RecordLog::kKeptRows);
    EXPECT_EQ(log.row(0).slot, 20);
}

class FakeLister : public PortLister {
public:
    QList<PortInfo> ports() const override { return list; }
    QList<PortInfo> list;
};

TEST(PortSettingsDialog, ListFollowsTheDevicesAndKeepsTheChoice) {
    FakeLister lister;
    lister.list = {{QStringLiteral("/dev/ttyS0"), {}, {}, {}},
                   {QStringLiteral("/dev/ttyUSB1"), QStringLiteral("USB-Serial"),
                    QStringLiteral("FTDI"), QStringLiteral("A1B2")}};
    PortSettingsDialog dialog(lister);
    const PortChoice rows[] = {
        {QStringLiteral("/dev/ttyUSB1"), {115200, 'n', 8, 1, 'h'}, 0.01, {}},
        {QStringLiteral("/dev/pts/7"), {1200, 'm', 5, 2, 's'}, 0.0254, {}},
        {QStringLiteral("/dev/ttyS0"), {}, 1, {}},
    };
    for (const PortChoice &c : rows) {
        dialog.setChoice(c);
        EXPECT_EQ(dialog.choice(), c) << c.portName.toStdString();
    }
    dialog.setChoice(rows[0]);
    lister.list.prepend({QStringLiteral("/dev/ttyACM0"), {}, {}, {}});
    lister.list.removeAt(1);
    dialog.refreshPorts();
    EXPECT_EQ(dialog.listedPorts(),
              QStringList({QStringLiteral("/dev/ttyACM0"), QStringLiteral("/dev/ttyUSB1")}));
    EXPECT_EQ(dialog.choice().portName, QStringLiteral("/dev/ttyUSB1"));
    // Unplugged, the device stays chosen: it may come back.
    lister.list.clear();
    dialog.refreshPorts();
    EXPECT_EQ(dialog.choice().portName, QStringLiteral("/dev/ttyUSB1"));
}

// Pictures of the dialog and of the window with its monitor, for a person to look at.
TEST(Screenshots, PortSettingsAndRecordMonitor) {
    test::FirstStart firstStart;
    const QDir out(QStringLiteral(DIGITRACE_SCREENSHOTS));
    ASSERT_TRUE(out.mkpath(QStringLiteral(".")));
    FakeLister lister;
    lister.list = {
        {QStringLiteral("/dev/ttyS0"), {}, {}, {}},
        {QStringLiteral("/dev/ttyUSB0"), QStringLiteral("FT232R USB UART"), QStringLiteral("FTDI"),
         QStringLiteral("A10KZ3Q9")},
        {QStringLiteral("/dev/ttyACM0"),
         QStringLiteral("USB Serial Device"),
         QStringLiteral("Prolific"),
         {}},
    };
    PortSettingsDialog dialog(lister);
    dialog.setChoice({QStringLiteral("/dev/ttyUSB0"), {}, 1, {}});
    dialog.setConnected(true);
    dialog.show();
    EXPECT_TRUE(dialog.grab().save(out.filePath(QStringLiteral("port_settings.png"))));

    TraceModel model;
    MemoryPort port;
    FakeDialogs dialogs;
    frmTrace1 window(model, port, &dialogs);
    window.features().port.recordMonitor()->show();
    window.resize(1480, 560);
    window.show();
    window.Command1_Click();
    port.deliver(bytes(100, 100, 1) + bytes(400, 120, 2) + bytes(420, 380, 2) +
                 "  ?\x85?\x92  \xb3\xb4.0  2\r" + bytes(90, 360, 2) + bytes(0, 0, 3) +
                 bytes(250, 250, 5));
    EXPECT_TRUE(window.grab().save(out.filePath(QStringLiteral("record_monitor.png"))));
}

} // namespace
} // namespace digitrace
