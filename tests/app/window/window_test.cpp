#include "acquisition/memory_port.h"
#include "acquisition/simulated_port.h"
#include "app/window/dxf_export_feature.h"
#include "app/window/frm_trace1.h"
#include "app/window/help_window.h"
#include "app/window/job_files.h"
#include "app/window/notice_bar.h"
#include "app/window/twips.h"
#include "app/window/window_notices.h"
#include "display/renderer.h"
#include "display/widget/drawing_area.h"
#include "fakes.h"
#include "tests/support/record_text.h"
#include "tests/support/translation_file.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRawFont>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <optional>

namespace digitrace {
namespace {

using test::FakeDialogs;
using test::recordText;

const QString kCaptionAtStart = QStringLiteral("デジタイザートレース (保存ファイル名未設定)");

QByteArray bytes(double x, double y, int code) {
    return recordText(x, y, code).toLatin1();
}

QColor pixel(frmTrace1 &w, QPoint at) {
    return w.controls().picDigit->surface().image().pixelColor(at);
}

QColor qcolor(Rgb c) {
    return QColor(c.r, c.g, c.b);
}

class WindowTest : public testing::Test {
protected:
    WindowTest() : window(model, port, &dialogs) {
        port.setPortName(QStringLiteral("/dev/ttyS0"));
        window.show();
    }

    struct Buttons {
        bool connect, disconnect, scale;
        bool operator==(const Buttons &) const = default;
    };
    Buttons buttons() const {
        const TraceControls &ui = window.controls();
        return {ui.Command1->isEnabled(), ui.Command2->isEnabled(), ui.txtScale->isEnabled()};
    }

    test::FirstStart firstStart;
    TraceModel model{QLocale(QLocale::English, QLocale::UnitedStates)};
    MemoryPort port;
    FakeDialogs dialogs;
    frmTrace1 window;
};

TEST_F(WindowTest, StartsDisconnectedWithZeros) {
    const TraceControls &ui = window.controls();
    EXPECT_EQ(window.windowTitle(), kCaptionAtStart);
    EXPECT_EQ(buttons(), (Buttons{true, false, true}));
    EXPECT_EQ(ui.txtScale->text(), QStringLiteral("1000"));
    for (QLabel *l : {ui.lblPoints, ui.lblLines, ui.lblPoly})
        EXPECT_EQ(l->text(), QStringLiteral("0"));
    for (QLabel *l : {ui.lblLength, ui.lblLenAll, ui.lblArea})
        EXPECT_EQ(l->text(), QStringLiteral("0.00"));
    EXPECT_EQ(model.store().AppDir, QDir::currentPath());
    EXPECT_FALSE(window.Connected());
}

TEST_F(WindowTest, ButtonStatesThroughConnectDisconnectReconnect) {
    window.controls().txtScale->setText(QStringLiteral("-500"));
    window.Command1_Click();
    EXPECT_TRUE(window.Connected());
    EXPECT_EQ(buttons(), (Buttons{false, true, false}));
    EXPECT_EQ(model.store().ScaleDenom, 500.0f);
    port.deliver(bytes(10, 10, 1) + bytes(40, 10, 2));
    EXPECT_EQ(model.store().PtCount, 2);
    EXPECT_EQ(window.controls().lblLines->text(), QStringLiteral("1"));

    window.Command2_Click();
    EXPECT_FALSE(window.Connected());
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(buttons(), (Buttons{true, false, true}));
    EXPECT_EQ(pixel(window, {1, 1}), qcolor(kDisconnectedBackground));

    window.Command1_Click();
    EXPECT_EQ(model.store().PtCount, 0);
    port.deliver(bytes(5, 5, 3));
    EXPECT_EQ(model.store().Pt.X[0], 5.0f);
}

TEST_F(WindowTest, PortThatWillNotOpenLeavesTheWindowDisconnected) {
    port.setOpenError(QStringLiteral("No such file or directory"));
    window.Command1_Click();
    EXPECT_FALSE(window.Connected());
    EXPECT_EQ(buttons(), (Buttons{true, false, true}));
    ASSERT_EQ(dialogs.warnings.size(), 1);
    EXPECT_TRUE(dialogs.warnings[0].contains(QStringLiteral("/dev/ttyS0")));
}

// With every record saved, クリア asks for its confirmation.
TEST_F(WindowTest, ClearAsksAndOnlyOkResets) {
    QTemporaryDir dir;
    dialogs.saveName = dir.filePath(QStringLiteral("sheet.dtjob"));
    window.Command1_Click();
    port.deliver(bytes(10, 10, 3) + bytes(20, 20, 3));
    ASSERT_TRUE(window.features().jobFiles.saveJob());
    dialogs.confirmAnswer = false;
    window.cmdClear_Click();
    EXPECT_EQ(dialogs.confirmations.value(0),
              QStringLiteral("確認|画面をクリアしてもよいですか？"));
    EXPECT_EQ(model.store().PtCount, 2);
    EXPECT_EQ(window.controls().lblPoints->text(), QStringLiteral("2"));

    dialogs.confirmAnswer = true;
    window.cmdClear_Click();
    EXPECT_EQ(model.store().PtCount, 0);
    EXPECT_EQ(window.controls().lblPoints->text(), QStringLiteral("0"));
    EXPECT_TRUE(window.Connected()); // reception goes on into the emptied table
    port.deliver(bytes(7, 7, 3));
    EXPECT_EQ(model.store().PtCount, 1);
    EXPECT_EQ(model.store().Pt.X[0], 7.0f);
    EXPECT_EQ(pixel(window, {1, 1}), qcolor(kConnectedBackground));
}

// Unsaved records get the question closing asks: 破棄 clears, 保存 clears once saved.
TEST_F(WindowTest, ClearOfUnsavedRecordsAsksAsClosingDoes) {
    QTemporaryDir dir;
    const struct {
        int answer;
        const char *saveName; // "" cancels the file dialog
        int left;
    } rows[] = {{2, "", 2}, {0, "", 2}, {0, "sheet.dtjob", 0}, {1, "", 0}};
    window.Command1_Click();
    for (const auto &row : rows) {
        if (model.store().PtCount == 0)
            port.deliver(bytes(10, 10, 3) + bytes(20, 20, 3));
        dialogs.questions.clear();
        dialogs.saveName = *row.saveName ? dir.filePath(QString::fromLatin1(row.saveName)) : "";
        dialogs.answer({row.answer});
        window.cmdClear_Click();
        EXPECT_EQ(dialogs.questions,
                  QStringList{QStringLiteral("保存されていない記録があります。保存しますか？|"
                                             "保存/破棄/キャンセル")});
        EXPECT_EQ(model.store().PtCount, row.left) << row.answer << row.saveName;
    }
    EXPECT_TRUE(dialogs.confirmations.isEmpty());
}

// Records that arrive while a dialog is open wait until the handler is done, as if it had run
// between two records.
TEST_F(WindowTest, RecordsArrivingDuringADialogWaitForTheHandler) {
    QTemporaryDir dir;
    window.Command1_Click();
    port.deliver(bytes(10, 10, 3));
    dialogs.whileOpen = [this] { port.deliver(bytes(20, 20, 3)); };
    window.cmdClear_Click();
    EXPECT_EQ(model.store().PtCount, 1);
    EXPECT_EQ(model.store().Pt.X[0], 20.0f); // the first record of the new job

    dialogs.whileOpen = [this] { port.deliver(bytes(30, 30, 3)); };
    dialogs.saveName = dir.filePath(QStringLiteral("sheet.dxf"));
    window.cmdFile_Click();
    QFile saved(dialogs.saveName);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll().count("\r\nPOINT\r\n"), 1); // exported before the waiting record
    EXPECT_EQ(model.store().PtCount, 2);                  // taken right after
}

TEST_F(WindowTest, BackOnAnEmptyTableRepaintsConnectedColourEvenDisconnected) {
    window.cmdBack_Click();
    EXPECT_EQ(model.store().PtCount, 0);
    EXPECT_EQ(pixel(window, {5, 5}), qcolor(kConnectedBackground));
}

TEST_F(WindowTest, SaveSetsTheCaptionAndCancelLeavesIt) {
    QTemporaryDir dir;
    dialogs.saveName.clear();
    window.cmdFile_Click();
    EXPECT_EQ(dialogs.filters.value(0), QStringLiteral("DXFﾌｧｲﾙ(*.dxf)"));
    EXPECT_EQ(window.windowTitle(), kCaptionAtStart);
    EXPECT_TRUE(model.store().SaveFileName.isEmpty());

    dialogs.saveName = dir.filePath(QStringLiteral("sheet.dxf"));
    window.cmdFile_Click();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("デジタイザートレース [ 保存ファイル名: ") +
                                        dialogs.saveName + QStringLiteral(" ]"));
    EXPECT_TRUE(QFile::exists(dialogs.saveName));
    EXPECT_TRUE(dialogs.warnings.isEmpty());

    dialogs.saveName = dir.filePath(QStringLiteral("missing/sheet.dxf"));
    window.cmdFile_Click();
    ASSERT_EQ(dialogs.warnings.size(), 1);
    EXPECT_TRUE(dialogs.warnings[0].contains(dialogs.saveName));
}

// The drawing area fills the window below the toolbar, whatever sizes the window went through; an
// inner height below 495 twips leaves it as it was.
TEST_F(WindowTest, ResizeRule) {
    const qreal dpi = window.logicalDpiY();
    const int bar = window.controls().picBar->height();
    const int tooLow = twipsToPixels(480, dpi);
    const int lowest = twipsToPixels(495, dpi);
    const struct {
        QList<QSize> history;
        QSize area;
    } rows[] = {
        {{{700, 500}}, {700, 500 - bar}},
        {{{700, tooLow}, {700, 500}}, {700, 500 - bar}},
        {{{300, 800}, {700, 500}}, {700, 500 - bar}},
        {{{700, 500}, {700, tooLow}}, {700, 500 - bar}},
        {{{900, 200}, {700, 500}, {640, 1}}, {700, 500 - bar}},
        {{{700, lowest}}, {700, lowest - bar}},
    };
    DrawingArea *pic = window.controls().picDigit;
    for (const auto &row : rows) {
        for (const QSize &size : row.history)
            window.resizeInner(size);
        EXPECT_EQ(pic->geometry(), QRect(QPoint(0, bar), row.area)) << row.history.size();
        EXPECT_EQ(window.controls().picBar->width(), row.area.width());
        EXPECT_EQ(model.store().HalfW, float(row.area.width()) / 2);
        EXPECT_EQ(model.store().HalfH, float(row.area.height()) / 2);
    }
}

TEST(initialInnerSize, ShowsTheWholeToolbarWhereTheScreenAllows) {
    EXPECT_EQ(initialInnerSize(96, 1920), QSize(925, 378)); // 13875 x 5670 twips
    EXPECT_EQ(initialInnerSize(96, 800), QSize(800, 378));
    EXPECT_EQ(initialInnerSize(144, 4000), QSize(1388, 567));
}

TEST_F(WindowTest, FirstWindowShowsEveryToolbarControl) {
    const QRect screen = window.screen()->availableGeometry();
    ASSERT_GE(screen.width(), 925) << "the test screen is too narrow";
    EXPECT_EQ(window.controls().form->size(),
              initialInnerSize(window.logicalDpiY(), screen.width()));
    for (QWidget *w : window.controls().picBar->findChildren<QWidget *>()) {
        const QRect inWindow(w->mapTo(&window, QPoint(0, 0)), w->size());
        EXPECT_TRUE(window.rect().contains(inWindow)) << w->metaObject()->className();
    }
}

TEST_F(WindowTest, NextStartOpensAtTheGeometryLeft) {
    window.controls().txtScale->setText(QStringLiteral("2500"));
    window.Command1_Click();
    window.resize(700, 420);
    window.close();
    TraceModel nextModel;
    MemoryPort nextPort;
    frmTrace1 next(nextModel, nextPort, &dialogs);
    EXPECT_EQ(next.size(), QSize(700, 420));
    EXPECT_EQ(next.controls().txtScale->text(), QStringLiteral("2500")) << "the last scale";
}

// A window left partly off the screen, or larger than it, opens whole on it; one left on it
// opens where it was.
TEST_F(WindowTest, NextStartOpensWithinTheScreen) {
    const QRect room = window.screen()->availableGeometry();
    const struct {
        QRect left;
        bool kept;
    } rows[] = {
        {{room.right() - 400, room.bottom() - 200, 700, 420}, false},
        {{room.left() - 300, room.top() - 50, 700, 420}, false},
        {{room.left() + 10, room.top() + 10, room.width() + 200, 420}, false},
        {{room.left() + 100, room.top() + 100, 700, 420}, true},
    };
    for (const auto &row : rows) {
        window.show();
        window.setGeometry(row.left);
        const QPoint at = window.pos();
        window.close();
        TraceModel nextModel;
        MemoryPort nextPort;
        frmTrace1 next(nextModel, nextPort, &dialogs);
        next.show();
        EXPECT_TRUE(room.contains(next.frameGeometry())) << next.frameGeometry().x();
        EXPECT_EQ(next.pos() == at, row.kept);
    }
}

// Labels take no focus; the picture boxes are stops. A hidden panel is no stop.
TEST_F(WindowTest, TabFollowsTheDesignedOrder) {
    const TraceControls &ui = window.controls();
    const QList<QWidget *> designed = {ui.picBar,   ui.Command2, ui.Command1, ui.cmdFile,
                                       ui.txtScale, ui.picDigit, ui.cmdClear, ui.cmdBack};
    QList<QWidget *> stops;
    QWidget *w = ui.Command2;
    do {
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(&window))
            stops << w;
        w = w->nextInFocusChain();
    } while (w != ui.Command2 && stops.size() <= designed.size());
    const auto start = stops.indexOf(ui.picBar);
    ASSERT_GE(start, 0);
    EXPECT_EQ(stops.mid(start) + stops.mid(0, start), designed);
}

// Cropped and regrown, the picture is drawn whole again by the next record.
TEST_F(WindowTest, ShrinkingAndRestoringKeepsTheWholeTrace) {
    window.Command1_Click();
    port.deliver(bytes(10, 10, 1) + bytes(40, 10, 2) + bytes(40, 40, 2) + bytes(0, 0, 4));
    const QSize size = window.size();
    window.resize(size / 2);
    window.resize(size);
    port.deliver(bytes(20, 20, 3));
    DrawingArea *pic = window.controls().picDigit;
    ImageSurface full(pic->size(), pic->devicePixelRatioF());
    Renderer(model.store(), full).Redraw(kConnectedBackground);
    EXPECT_TRUE(pic->surface().image() == full.image());
}

// The wheel zooms about the cursor, a drag pans, new records are drawn in that view without it
// jumping, and Home shows the automatic fit again.
TEST_F(WindowTest, ZoomPanAndHome) {
    window.Command1_Click();
    port.deliver(bytes(10, 10, 1) + bytes(40, 10, 2) + bytes(40, 40, 2) + bytes(0, 0, 4));
    DrawingArea *pic = window.controls().picDigit;
    const auto fullRepaint = [&](std::optional<View> view) {
        ImageSurface full(pic->size(), pic->devicePixelRatioF());
        Renderer renderer(model.store(), full);
        if (view)
            renderer.viewState().setOperatorView(*view);
        renderer.Redraw(kConnectedBackground);
        return full.image();
    };
    const QImage fitted = pic->surface().image();

    const QPointF at(pic->width() / 3.0, pic->height() / 4.0);
    QWheelEvent wheel(at, pic->mapToGlobal(at), {}, {0, 240}, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(pic, &wheel);
    const View zoomed =
        zoomAbout({model.store().ViewCx, model.store().ViewCy, model.store().ViewZoom}, at,
                  model.store().HalfW, model.store().HalfH, 1.25 * 1.25);
    EXPECT_TRUE(pic->surface().image() == fullRepaint(zoomed));
    EXPECT_FALSE(pic->surface().image() == fitted);

    QTest::mousePress(pic, Qt::LeftButton, {}, QPoint(50, 50));
    QTest::mouseMove(pic, QPoint(80, 40));
    QTest::mouseRelease(pic, Qt::LeftButton, {}, QPoint(80, 40));
    const View panned = panBy(zoomed, QPointF(30, -10));
    EXPECT_TRUE(pic->surface().image() == fullRepaint(panned));

    port.deliver(bytes(400, 400, 3)); // widens the automatic fit, not the operator's view
    EXPECT_TRUE(pic->surface().image() == fullRepaint(panned));

    QTest::keyClick(pic, Qt::Key_Home);
    EXPECT_TRUE(pic->surface().image() == fullRepaint(std::nullopt));
}

// The picture after Home, and after 続ける, is the whole trace fitted to the area as it is now.
TEST_F(WindowTest, HomeAndAContinuedJobShowTheTraceInTheAreaAsItIsNow) {
    const QList<QByteArray> records = {bytes(10, 10, 1), bytes(40, 10, 2), bytes(40, 40, 2),
                                       bytes(0, 0, 4)};
    DrawingArea *pic = window.controls().picDigit;
    const auto fittedNow = [&](Rgb background) {
        TraceModel fresh;
        fresh.setHalfSize(float(pic->width()) / 2, float(pic->height()) / 2);
        for (const QByteArray &r : records)
            fresh.takeRecord(QString::fromLatin1(r.chopped(1)));
        ImageSurface full(pic->size(), pic->devicePixelRatioF());
        Renderer(fresh.store(), full).Redraw(background);
        return full.image();
    };
    window.Command1_Click();
    port.deliver(records.join());
    const struct {
        const char *step;
        std::function<void()> act;
        Rgb background;
    } rows[] = {
        {"Home after a resize",
         [&] {
             window.resizeInner(window.controls().form->size() * 2);
             QTest::keyClick(pic, Qt::Key_Home);
         },
         kConnectedBackground},
        {"続ける",
         [&] {
             window.Command2_Click();
             dialogs.answer({0});
             window.Command1_Click();
         },
         kConnectedBackground},
    };
    for (const auto &row : rows) {
        row.act();
        EXPECT_TRUE(pic->surface().image() == fittedNow(row.background)) << row.step;
    }
}

// Each menu item reaches the same handler as its button, and the items follow the buttons' states.
TEST_F(WindowTest, MenuItemsActAsTheirButtons) {
    const auto action = [&](const QString &text) -> QAction * {
        for (QAction *a : window.findChildren<QAction *>())
            if (a->text() == text)
                return a;
        ADD_FAILURE() << "no menu item " << text.toStdString();
        return nullptr;
    };
    QAction *connectItem = action(QStringLiteral("接続"));
    QAction *disconnectItem = action(QStringLiteral("切断"));
    ASSERT_TRUE(connectItem && disconnectItem);
    EXPECT_TRUE(connectItem->isEnabled());
    EXPECT_FALSE(disconnectItem->isEnabled());

    connectItem->trigger();
    EXPECT_TRUE(window.Connected());
    EXPECT_FALSE(connectItem->isEnabled());
    EXPECT_TRUE(disconnectItem->isEnabled());
    port.deliver(bytes(10, 10, 1) + bytes(40, 10, 2) + bytes(40, 40, 2));
    action(QStringLiteral("戻る"))->trigger();
    EXPECT_EQ(model.store().PtCount, 2);

    const QImage fitted = window.controls().picDigit->surface().image();
    action(QStringLiteral("拡大"))->trigger();
    EXPECT_FALSE(window.controls().picDigit->surface().image() == fitted);
    action(QStringLiteral("全体表示"))->trigger();
    EXPECT_TRUE(window.controls().picDigit->surface().image() == fitted);

    dialogs.answer({2});
    action(QStringLiteral("クリア…"))->trigger();
    EXPECT_EQ(dialogs.questions.size(), 1);
    action(QStringLiteral("DXF出力…"))->trigger();
    EXPECT_EQ(dialogs.filters, QStringList{kDxfFilter});

    disconnectItem->trigger();
    EXPECT_FALSE(window.Connected());
    EXPECT_TRUE(connectItem->isEnabled());
}

// Each menu's groups in their order, set apart by lines where they should be, whichever feature
// added its items first.
TEST_F(WindowTest, MenuGroupsKeepTheirPlacesAndLines) {
    const struct {
        int menu;
        const char *items;
    } rows[] = {
        {0, "ジョブを開く…|ジョブを保存|名前を付けてジョブを保存…|直前のクリアを取り消す|"
            "最近のジョブ|-|"
            "クラス一覧を開く…|クラスをデータベースから読み込む…|クラスをデータベースへ送る…|-|"
            "DXF出力…|GIS出力…|データベースへ送信…|-|終了"},
        {1, "接続|切断|-|ポート設定…"},
        {2, "戻る|クリア…"},
        {3, "全体表示|拡大|縮小|-|記録モニタ|クラス|作業リスト|属性|トポロジー検査|"
            "言語 (次回起動から)"},
        {4, "基準点の登録…|トポロジー検査|隣接図葉を表示|タブレットメニュー…|スナップ|"
            "境界をなぞる"},
        {5, "使い方|バージョン情報"},
    };
    const QList<QAction *> menus = window.menuBar()->actions();
    for (const auto &row : rows) {
        QStringList shown;
        for (const QAction *a : menus.value(row.menu)->menu()->actions())
            shown << (a->isSeparator() ? QStringLiteral("-") : a->text());
        EXPECT_EQ(shown.join(u'|'), QString::fromUtf8(row.items)) << row.menu;
    }
}

TEST_F(WindowTest, EveryToolbarControlSaysWhatItIsFor) {
    const TraceControls &ui = window.controls();
    for (QWidget *w : std::initializer_list<QWidget *>{
             ui.picBar, ui.picDigit, ui.Command1, ui.Command2, ui.cmdFile, ui.txtScale,
             ui.lblPoints, ui.lblLines, ui.lblPoly, ui.lblLength, ui.lblLenAll, ui.lblArea,
             ui.cmdClear, ui.cmdBack}) {
        EXPECT_FALSE(w->accessibleName().isEmpty()) << w->metaObject()->className();
        EXPECT_FALSE(w->toolTip().isEmpty()) << w->accessibleName().toStdString();
    }
}

TEST_F(WindowTest, ControlsSitAtTheirTwipsAt96Dpi) {
    if (window.logicalDpiY() != 96)
        GTEST_SKIP() << "screen is not at 96 dpi";
    const TraceControls &ui = window.controls();
    struct Row {
        QWidget *w;
        QRect twips;
    };
    const Row rows[] = {
        {ui.picBar, {0, 0, 13875, 375}},       {ui.Command1, {30, 30, 735, 255}},
        {ui.Command2, {720, 30, 735, 255}},    {ui.cmdFile, {1560, 30, 735, 255}},
        {ui.txtScale, {3000, 30, 735, 270}},   {ui.lblPoints, {4320, 30, 495, 255}},
        {ui.lblLines, {5280, 30, 495, 255}},   {ui.lblPoly, {6600, 30, 495, 255}},
        {ui.lblLength, {7560, 30, 1305, 255}}, {ui.lblLenAll, {8880, 30, 1305, 255}},
        {ui.lblArea, {10680, 30, 1935, 255}},  {ui.cmdClear, {12720, 30, 495, 255}},
        {ui.cmdBack, {13320, 30, 495, 255}},
    };
    for (const Row &r : rows)
        EXPECT_EQ(r.w->geometry(),
                  twipsRect(r.twips.x(), r.twips.y(), r.twips.width(), r.twips.height(), 96))
            << r.w->metaObject()->className();
    EXPECT_EQ(ui.form->size(), QSize(925, 378));
    EXPECT_EQ(ui.picDigit->y(), 25);
    EXPECT_EQ(ui.Label3->pos(), QPoint(160, 5));
    EXPECT_EQ(ui.lblPoints->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(ui.lblArea->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
}

TEST_F(WindowTest, EveryJapaneseTextHasGlyphsInTheWindowFont) {
    QStringList texts = {QStringLiteral("接続"),
                         QStringLiteral("切断"),
                         QStringLiteral("ﾌｧｲﾙ"),
                         QStringLiteral("ｸﾘｱ"),
                         QStringLiteral("戻る"),
                         QStringLiteral("縮尺 1/"),
                         QStringLiteral("長さ:"),
                         QStringLiteral("面積:"),
                         QStringLiteral("デジタイザートレース (保存ファイル名未設定)"),
                         QStringLiteral("デジタイザートレース [ 保存ファイル名: ]"),
                         QStringLiteral("画面をクリアしてもよいですか？"),
                         QStringLiteral("確認"),
                         QString::fromUtf16(u"0.00 \uFF4D2 km2 cm2 mm2"),
                         QStringLiteral("未接続 接続中 0.0 件/秒 未保存の記録あり 保存済み"),
                         QStringLiteral("マウス: タブレット X 1.0  Y 2.0   地図 X 3.00  Y 4.00"),
                         QStringLiteral("ヘルプ(&H) 使い方 バージョン情報 - デジタイザートレース"),
                         QStringLiteral("言語 (次回起動から) 日本語 English"),
                         aboutText(QStringLiteral("0.1.0")).replace(u'\n', u' ')};
    // Every text of the window that is translated, too: dialogs, panels, notices.
    for (const test::TsMessage &m : test::readTs(QStringLiteral(DIGITRACE_EN_TS)))
        texts << m.source;
    const QRawFont font = QRawFont::fromFont(window.controls().Command1->font());
    ASSERT_TRUE(font.isValid());
    for (const QString &text : texts) {
        for (char32_t c : text.toUcs4())
            EXPECT_TRUE(c < 0x20 || font.supportsCharacter(c)) // line ends are no glyphs
                << "U+" << std::hex << unsigned(c) << " missing in "
                << font.familyName().toStdString();
    }
}

TEST_F(WindowTest, ClosingWhileConnectedEndsReception) {
    window.Command1_Click();
    ASSERT_TRUE(port.isOpen());
    window.close();
    EXPECT_FALSE(window.Connected());
    EXPECT_FALSE(port.isOpen());
}

TEST_F(WindowTest, FullTableIsToldOnceAndReceptionGoesOn) {
    window.Command1_Click();
    // One read per record, as the line hands them over: each is taken before the next arrives.
    for (int i = 0; i < kSlotCount + 3; ++i)
        port.deliver(bytes(i % 97, i % 89, 3));
    EXPECT_EQ(model.store().PtCount, kSlotCount);
    EXPECT_EQ(window.features().notices.bar().notices().size(), 1);
    EXPECT_TRUE(window.Connected());
    window.cmdBack_Click();
    port.deliver(bytes(1, 1, 3));
    EXPECT_EQ(model.store().PtCount, kSlotCount);
}

// Writes a picture of the window after the sample sheet, for people to look at.
TEST(WindowDemo, TracesTheSampleSheet) {
    test::SampleSheetWindow sheet;
    ASSERT_TRUE(sheet.trace());
    QCoreApplication::processEvents();
    EXPECT_GT(sheet.model.store().PtCount, 100);
    EXPECT_GT(sheet.model.store().PolyCount, 0);
    EXPECT_TRUE(sheet.dialogs.warnings.isEmpty());
    EXPECT_TRUE(sheet.window.grab().save(QStringLiteral(DIGITRACE_TEST_OUTPUT "/window-demo.png")));
}

} // namespace
} // namespace digitrace
