#include "acquisition/memory_port.h"
#include "app/window/frm_trace1.h"
#include "app/window/notice_bar.h"
#include "app/window/port_feature.h"
#include "app/window/record_monitor.h"
#include "app/window/status_feature.h"
#include "app/window/status_line.h"
#include "app/window/window_notices.h"
#include "display/renderer.h"
#include "display/widget/drawing_area.h"
#include "fakes.h"
#include "tests/support/record_text.h"

#include <QAction>
#include <QDir>
#include <QDockWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>

#include <gtest/gtest.h>

#include <functional>

namespace digitrace {
namespace {

using test::FakeDialogs;

TEST(NoticeBar, NewestFirstOnOneLine) {
    NoticeBar bar;
    bar.show();
    const struct {
        std::function<void()> step;
        QStringList notices;
        QString line;
    } rows[] = {
        {[&] { bar.add(QStringLiteral("a\nmore of a")); },
         {QStringLiteral("a\nmore of a")},
         QStringLiteral("a more of a")},
        {[&] { bar.add(QStringLiteral("b")); },
         {"b", "a\nmore of a"},
         QStringLiteral("b  （ほかに 1 件）")},
        {[&] { bar.add(QStringLiteral("a\nmore of a")); },
         {"a\nmore of a", "b"},
         QStringLiteral("a more of a  （ほかに 1 件）")},
        {[&] { bar.findChild<QToolButton *>()->click(); }, {"b"}, QStringLiteral("b")},
        {[&] { bar.closeNewest(); }, {}, {}},
    };
    for (const auto &row : rows) {
        row.step();
        EXPECT_EQ(bar.notices(), row.notices);
        EXPECT_EQ(bar.line(), row.line);
    }
}

struct NoticeWindow {
    NoticeWindow() {
        port.setPortName(QStringLiteral("/dev/ttyS0"));
        window.show();
    }
    test::FirstStart firstStart;
    TraceModel model;
    MemoryPort port;
    FakeDialogs dialogs;
    frmTrace1 window{model, port, &dialogs};
};

// A notice opens no window: the bar takes its place between the menu bar and the form, which
// moves down whole, and the status line repeats its first line.
TEST(NoticeWindow, TheBarSitsAboveTheFormAndNoWindowOpens) {
    NoticeWindow w;
    const TraceControls &ui = w.window.controls();
    const QRect strip = ui.picBar->geometry();
    w.window.features().port.setSilenceInterval(1);
    w.window.Command1_Click();
    const QSize area = ui.picDigit->size();
    QSignalSpy told(&w.window, &frmTrace1::noticeShown);
    ASSERT_TRUE(told.wait(5000));
    EXPECT_TRUE(w.dialogs.warnings.isEmpty() && w.dialogs.informed.isEmpty());
    NoticeBar &bar = w.window.features().notices.bar();
    ASSERT_TRUE(bar.isVisible());
    const int barTop = bar.mapTo(&w.window, QPoint(0, 0)).y();
    EXPECT_GT(barTop, ui.menuBar->geometry().bottom());
    EXPECT_GT(ui.form->y(), barTop + bar.height() - 1);
    EXPECT_EQ(ui.picBar->geometry(), strip);
    EXPECT_EQ(ui.picDigit->size(), area) << "the window grew instead";
    EXPECT_TRUE(w.window.features().status.line().text().startsWith(
        bar.notices().constFirst().section(u'\n', 0, 0)));
    bar.closeNewest();
    EXPECT_EQ(ui.form->y(), ui.menuBar->geometry().bottom() + 1);
    EXPECT_EQ(ui.picDigit->size(), area);
}

// Shown, the record monitor docks below the drawing area and leaves the toolbar strip its width;
// a place the operator gives it above or apart is kept, a side from an older layout is not.
TEST(NoticeWindow, TheRecordMonitorLeavesTheStripWhole) {
    const struct {
        std::function<void(frmTrace1 &)> leave;
        Qt::DockWidgetArea area;
        bool floating = false;
    } rows[] = {
        {[](frmTrace1 &) {}, Qt::BottomDockWidgetArea},
        {[](frmTrace1 &w) {
             w.addDockWidget(Qt::TopDockWidgetArea, w.features().port.recordMonitor());
         },
         Qt::TopDockWidgetArea},
        {[](frmTrace1 &w) {
             w.addDockWidget(Qt::RightDockWidgetArea, w.features().port.recordMonitor());
         },
         Qt::BottomDockWidgetArea},
        {[](frmTrace1 &w) { w.features().port.recordMonitor()->setFloating(true); },
         Qt::BottomDockWidgetArea, true},
    };
    for (const auto &row : rows) {
        {
            NoticeWindow first;
            first.window.features().port.recordMonitor()->show();
            row.leave(first.window);
            first.window.close();
        }
        TraceModel model;
        MemoryPort port;
        FakeDialogs dialogs;
        frmTrace1 again(model, port, &dialogs);
        again.show();
        EXPECT_TRUE(again.features().port.recordMonitor()->isVisible());
        EXPECT_EQ(again.dockWidgetArea(again.features().port.recordMonitor()), row.area);
        EXPECT_EQ(again.features().port.recordMonitor()->isFloating(), row.floating);
        EXPECT_LT(again.controls().cmdBack->geometry().right(), again.controls().form->width());
    }
}

// Pictures for people to look at: a notice in its bar, and the monitor docked below.
TEST(NoticeWindow, Screenshots) {
    test::SampleSheetWindow sheet;
    ASSERT_TRUE(sheet.trace());
    frmTrace1 &window = sheet.window;
    window.features().notices.recordRefused(RecordOutcome::RefusedOutOfRange);
    window.features().notices.recordRefused(RecordOutcome::RefusedFull);
    QCoreApplication::processEvents();
    QDir().mkpath(QStringLiteral(DIGITRACE_SCREENSHOTS));
    EXPECT_TRUE(window.grab().save(QStringLiteral(DIGITRACE_SCREENSHOTS "/notice_bar.png")));
    window.features().notices.bar().closeNewest();
    window.features().notices.bar().closeNewest();
    const int areaHeight = window.controls().picDigit->height();
    window.features().port.recordMonitor()->toggleViewAction()->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(window.controls().picDigit->height(), areaHeight) << "the window grew instead";
    ImageSurface whole(window.controls().picDigit->size());
    Renderer(sheet.model.store(), whole).Redraw(kConnectedBackground);
    EXPECT_TRUE(window.controls().picDigit->surface().image() == whole.image());
    EXPECT_TRUE(window.grab().save(QStringLiteral(DIGITRACE_SCREENSHOTS "/monitor_below.png")));
}

} // namespace
} // namespace digitrace
