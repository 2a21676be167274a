#include "acquisition/memory_port.h"
#include "acquisition/simulated_port.h"
#include "app/window/frm_trace1.h"
#include "app/window/help_feature.h"
#include "app/window/help_window.h"
#include "app/window/job_files.h"
#include "app/window/operator_settings.h"
#include "app/window/port_feature.h"
#include "app/window/sheet_registration.h"
#include "app/window/status_feature.h"
#include "app/window/status_line.h"
#include "app/window/toolbar_fonts.h"
#include "app/window/twips.h"
#include "display/widget/drawing_area.h"
#include "fakes.h"
#include "i18n/languages.h"
#include "tests/support/record_text.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QTranslator>

#include <gtest/gtest.h>

namespace digitrace {
namespace {

using test::FakeDialogs;

QByteArray bytes(double x, double y, int code) {
    return test::recordText(x, y, code).toLatin1();
}

class DeskTest : public testing::Test {
protected:
    DeskTest() { window.show(); }
    QAction *action(const QString &text) const {
        for (QAction *a : window.findChildren<QAction *>())
            if (a->text() == text)
                return a;
        ADD_FAILURE() << "no menu item " << text.toStdString();
        return nullptr;
    }
    test::FirstStart firstStart;
    TraceModel model{QLocale(QLocale::English, QLocale::UnitedStates)};
    MemoryPort port;
    bool named = (port.setPortName(QStringLiteral("/dev/ttyS0")), true);
    FakeDialogs dialogs;
    frmTrace1 window{model, port, &dialogs};
};

// The rate's figure is refreshed by a timer that runs only while connected.
TEST_F(DeskTest, StatusLineFollowsTheConnectionTheRateAndTheJob) {
    QTemporaryDir dir;
    window.features().jobFiles.attachJournal(JournalSlot::Choice::AvoidUnsaved, dir.path());
    dialogs.saveName = dir.filePath(QStringLiteral("sheet.dtjob"));
    auto *timer = window.findChild<QTimer *>(QStringLiteral("rateTimer"));
    ASSERT_TRUE(timer);
    QSignalSpy tick(timer, &QTimer::timeout);
    const struct {
        std::function<void()> step;
        QString shown;
        bool ticking;
    } rows[] = {
        {[] {}, QStringLiteral("未接続  /dev/ttyS0  9600,E,7,1 | 保存済み"), false},
        {[&] { window.Command1_Click(); },
         QStringLiteral("接続中  /dev/ttyS0  9600,E,7,1 | 0.0 件/秒 | 保存済み"), true},
        // Four records within the two seconds the rate looks back on.
        {[&] {
             port.deliver(bytes(1, 1, 3) + bytes(2, 2, 3) + bytes(3, 3, 3) + bytes(4, 4, 3));
             ASSERT_TRUE(tick.wait(5000));
         },
         QStringLiteral("接続中  /dev/ttyS0  9600,E,7,1 | 2.0 件/秒 | 未保存の記録あり"), true},
        {[&] { window.Command2_Click(); },
         QStringLiteral("未接続  /dev/ttyS0  9600,E,7,1 | 未保存の記録あり"), false},
        {[&] { window.cmdClear_Click(); },
         QStringLiteral("未接続  /dev/ttyS0  9600,E,7,1 | クリアした記録は未保存（取り消せます）"),
         false},
        {[&] { window.features().jobFiles.undoClear(); },
         QStringLiteral("未接続  /dev/ttyS0  9600,E,7,1 | 未保存の記録あり"), false},
        {[&] { window.features().jobFiles.saveJob(); },
         QStringLiteral("未接続  /dev/ttyS0  9600,E,7,1 | ジョブ sheet.dtjob | 保存済み"), false},
        {[&] {
             PortChoice usb = window.features().port.portChoice();
             usb.portName = QStringLiteral("/dev/ttyUSB0");
             usb.line.baudRate = 4800;
             window.features().port.usePortChoice(usb);
         },
         QStringLiteral("未接続  /dev/ttyUSB0  4800,E,7,1 | ジョブ sheet.dtjob | 保存済み"), false},
    };
    for (const auto &row : rows) {
        row.step();
        EXPECT_EQ(window.features().status.line().text(), row.shown);
        EXPECT_EQ(timer->isActive(), row.ticking) << row.shown.toStdString();
        // Whole at once and side by side, not only after the next turn of the event loop.
        int right = 0;
        for (const QLabel *part : window.statusBar()->findChildren<QLabel *>()) {
            if (part->isVisible() && !part->text().isEmpty()) {
                EXPECT_GE(part->width(), part->sizeHint().width()) << part->text().toStdString();
                EXPECT_LT(part->x() - right, 16) << part->text().toStdString();
                right = part->geometry().right();
            }
        }
    }
}

TEST_F(DeskTest, CursorShowsTabletAndMapCoordinates) {
    window.Command1_Click();
    port.deliver(bytes(10, 10, 1) + bytes(40, 10, 2) + bytes(40, 40, 2));
    DrawingArea *pic = window.controls().picDigit;
    const QString nothing = window.features().status.line().text();
    const QPoint at(pic->width() / 4, pic->height() / 3);
    const TraceStore &s = model.store();
    const QPointF under = tabletPoint({s.ViewCx, s.ViewCy, s.ViewZoom}, at, s.HalfW, s.HalfH);
    const QString tablet =
        QStringLiteral("マウス: タブレット X %1  Y %2")
            .arg(QLocale().toString(under.x(), 'f', 1), QLocale().toString(under.y(), 'f', 1));
    QTest::mouseMove(pic, at);
    EXPECT_EQ(window.features().status.line().text(), nothing + QStringLiteral(" | ") + tablet);

    // Map X = 2 x + 100, Y = 3 y - 50.
    window.features().sheet.registerSheet({{{QStringLiteral("A"), 0, 0, 100, -50, true},
                                            {QStringLiteral("B"), 10, 0, 120, -50, true},
                                            {QStringLiteral("C"), 0, 10, 100, -20, true}},
                                           TransformKind::Affine,
                                           {}});
    QTest::mouseMove(pic, at + QPoint(1, 0));
    QTest::mouseMove(pic, at);
    EXPECT_TRUE(window.features().status.line().text().endsWith(
        tablet + QStringLiteral("   地図 X %1  Y %2")
                     .arg(QLocale().toString(under.x() * 2 + 100, 'f', 2),
                          QLocale().toString(under.y() * 3 - 50, 'f', 2))))
        << window.features().status.line().text().toStdString();

    // A Japanese plane system reads northing first, as the registration dialog shows it.
    window.features().sheet.registerSheet({{{QStringLiteral("A"), 0, 0, 100, -50, true},
                                            {QStringLiteral("B"), 10, 0, 120, -50, true},
                                            {QStringLiteral("C"), 0, 10, 100, -20, true}},
                                           TransformKind::Affine,
                                           QStringLiteral("EPSG:6677")});
    QTest::mouseMove(pic, at + QPoint(1, 0));
    QTest::mouseMove(pic, at);
    EXPECT_TRUE(window.features().status.line().text().endsWith(
        tablet + QStringLiteral("   地図 X (北) %1  Y (東) %2")
                     .arg(QLocale().toString(under.y() * 3 - 50, 'f', 2),
                          QLocale().toString(under.x() * 2 + 100, 'f', 2))))
        << window.features().status.line().text().toStdString();

    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(pic, &leave);
    EXPECT_EQ(window.features().status.line().text(), nothing);
}

TEST_F(DeskTest, HelpIsTheLastMenuAndEachItemReachesItsHandler) {
    EXPECT_EQ(window.menuBar()->actions().constLast()->text(), QStringLiteral("ヘルプ(&H)"));
    QAction *guide = action(QStringLiteral("使い方"));
    ASSERT_TRUE(guide);
    EXPECT_EQ(guide->shortcut(), QKeySequence(Qt::Key_F1));
    guide->trigger();
    auto *help = window.findChild<HelpWindow *>();
    ASSERT_TRUE(help);
    EXPECT_TRUE(help->isVisible());
    EXPECT_FALSE(help->isModal());
    EXPECT_TRUE(help->browser()->openExternalLinks());
    const QString shown = help->browser()->toPlainText();
    EXPECT_TRUE(shown.contains(QStringLiteral("タブレットをつなぐ")));
    EXPECT_FALSE(shown.contains(QStringLiteral("cmake")));
    guide->trigger();
    EXPECT_EQ(window.findChildren<HelpWindow *>().size(), 1);

    action(QStringLiteral("バージョン情報"))->trigger();
    ASSERT_EQ(dialogs.informed.size(), 1);
    EXPECT_TRUE(
        dialogs.informed[0].startsWith(QStringLiteral("バージョン情報|デジタイザートレース ")));
    EXPECT_TRUE(dialogs.informed[0].contains(QStringLiteral("Qt ") + qVersion()));
    EXPECT_TRUE(dialogs.informed[0].contains(QStringLiteral("ライセンス: MIT")));

    for (const QString &language : {kEnglish, kJapanese}) {
        action(language == kEnglish ? QStringLiteral("English") : QStringLiteral("日本語"))
            ->trigger();
        EXPECT_EQ(OperatorSettings().language(), language);
    }
}

// Without a translation the window shows its texts exactly as written; with the English one, in
// English.
TEST(DeskLanguage, JapaneseByDefaultEnglishUnderItsTranslation) {
    const struct {
        QString language;
        QStringList shown;
    } rows[] = {
        {kJapanese,
         {"接続", "切断", "ﾌｧｲﾙ", "縮尺 1/", "Points:", "Lines:", "Polygons:", "長さ:", "面積:",
          "ｸﾘｱ", "戻る", "ファイル(&F)", "デジタイザートレース (保存ファイル名未設定)",
          "未接続  /dev/ttyS0  9600,E,7,1 | 保存済み"}},
        {kEnglish,
         {"Connect", "Disconnect", "File", "Scale 1/",
          "Points:", "Lines:", "Polygons:", "Length:", "Area:", "Clear", "Back", "&File",
          "Digitizer Trace (no save file yet)", "Not connected  /dev/ttyS0  9600,E,7,1 | Saved"}},
    };
    for (const auto &row : rows) {
        test::FirstStart firstStart;
        QTranslator translator;
        if (!programTranslation(row.language).isEmpty()) {
            ASSERT_TRUE(translator.load(programTranslation(row.language)));
            QCoreApplication::installTranslator(&translator);
        }
        TraceModel model;
        MemoryPort port;
        FakeDialogs dialogs;
        frmTrace1 window(model, port, &dialogs);
        QCoreApplication::removeTranslator(&translator);
        const TraceControls &ui = window.controls();
        EXPECT_EQ(
            QStringList({ui.Command1->text(), ui.Command2->text(), ui.cmdFile->text(),
                         ui.Label3->text(), ui.Label2->text(), ui.Label1->text(), ui.Label4->text(),
                         ui.Label6->text(), ui.Label8->text(), ui.cmdClear->text(),
                         ui.cmdBack->text(), ui.menuBar->actions().constFirst()->text(),
                         window.windowTitle(), window.features().status.line().text()}),
            row.shown)
            << row.language.toStdString();
    }
}

// Each caption keeps to its designed width, each button's text to the button, and a value label
// shows its widest value whole; at 96 dpi and, in a second run, at 192.
TEST_F(DeskTest, ToolbarTextsFitAndValuesAreNeverCut) {
    const qreal dpi = window.logicalDpiY();
    const TraceControls &ui = window.controls();
    for (QPushButton *b : {ui.Command1, ui.Command2, ui.cmdFile, ui.cmdClear, ui.cmdBack})
        EXPECT_LT(QFontMetrics(b->font()).horizontalAdvance(b->text()), b->width())
            << b->text().toStdString() << " at " << dpi;
    const struct {
        QLabel *caption;
        int nextLeftTwips;
    } captions[] = {{ui.Label3, 3000}, {ui.Label2, 4320}, {ui.Label1, 5280},
                    {ui.Label4, 6600}, {ui.Label6, 7560}, {ui.Label8, 10680}};
    for (const auto &c : captions) {
        EXPECT_LT(c.caption->geometry().right(), twipsToPixels(c.nextLeftTwips, dpi))
            << c.caption->text().toStdString() << " at " << dpi;
        EXPECT_GE(c.caption->width(), c.caption->sizeHint().width());
    }
    const struct {
        QLabel *value;
        QStringList widest;
    } values[] = {{ui.lblPoints, widestCounts()},
                  {ui.lblLength, widestLengths()},
                  {ui.lblLenAll, widestLengths()},
                  {ui.lblArea, widestAreas()}};
    for (const auto &v : values) {
        const QString before = v.value->text();
        for (const QString &text : v.widest) {
            v.value->setText(text);
            EXPECT_LE(v.value->sizeHint().width(), v.value->width())
                << text.toStdString() << " at " << dpi;
            EXPECT_GE(v.value->font().pointSizeF(), 6.0);
        }
        v.value->setText(before);
    }
    // Larger than the 7.5 pt of before wherever the width allows: the buttons and the menus.
    EXPECT_GT(ui.Command1->font().pointSizeF(), 7.5);
    EXPECT_GT(ui.menuBar->font().pointSizeF(), 7.5);
}

// Pictures for people to look at: the window zoomed into the sample sheet with its status line,
// and the help window.
TEST(DeskScreenshots, ZoomedWindowAndHelp) {
    test::SampleSheetWindow sheet;
    ASSERT_TRUE(sheet.trace());
    frmTrace1 &window = sheet.window;
    DrawingArea *pic = window.controls().picDigit;
    const QPoint at(pic->width() / 3, pic->height() / 2);
    for (int notch = 0; notch < 4; ++notch)
        emit pic->zoomRequested(at, DrawingArea::kZoomStep);
    QTest::mouseMove(pic, at);
    QSignalSpy tick(window.findChild<QTimer *>(QStringLiteral("rateTimer")), &QTimer::timeout);
    ASSERT_TRUE(tick.wait(5000));
    QDir().mkpath(QStringLiteral(DIGITRACE_SCREENSHOTS));
    EXPECT_TRUE(window.grab().save(QStringLiteral(DIGITRACE_SCREENSHOTS "/window_zoomed.png")));
    QWidget *help = window.features().help.showHelp();
    help->resize(760, 560);
    EXPECT_TRUE(help->grab().save(QStringLiteral(DIGITRACE_SCREENSHOTS "/help.png")));
}

} // namespace
} // namespace digitrace
