#include "app/window/frm_trace1.h"

#include "app/window/drawing_area.h"
#include "app/window/job_files.h"
#include "app/window/sheet_registration.h"
#include "app/window/trace_navigation.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

namespace digitrace {

void frmTrace1::buildMenu() {
    QMenu *file = menus_[std::size_t(WindowMenu::File)] = ui_.menuBar->addMenu(tr("ファイル(&F)"));
    file->addActions(jobFiles_->actions());
    buildActionMenus(file);
}

// Every action of the toolbar strip is also a menu item with its shortcut, and reaches the same
// handler as its button; the items of the view act on the drawing area.
void frmTrace1::buildActionMenus(QMenu *file) {
    file->addSeparator();
    file->addAction(tr("DXF出力…"), QKeySequence(Qt::CTRL | Qt::Key_E), this,
                    &frmTrace1::cmdFile_Click);
    file->addAction(sheet_->exportAction());
    file->addSeparator();
    file->addAction(tr("終了"), QKeySequence(Qt::CTRL | Qt::Key_Q), this, &QWidget::close);

    QMenu *line = menus_[std::size_t(WindowMenu::Connection)] =
        ui_.menuBar->addMenu(tr("接続(&C)"));
    actConnect_ =
        line->addAction(tr("接続"), QKeySequence(Qt::Key_F5), this, &frmTrace1::Command1_Click);
    actDisconnect_ = line->addAction(tr("切断"), QKeySequence(Qt::SHIFT | Qt::Key_F5), this,
                                     &frmTrace1::Command2_Click);

    QMenu *edit = menus_[std::size_t(WindowMenu::Edit)] = ui_.menuBar->addMenu(tr("編集(&E)"));
    edit->addAction(tr("戻る"), QKeySequence::Undo, this, &frmTrace1::cmdBack_Click);
    edit->addAction(tr("クリア…"), QKeySequence(Qt::CTRL | Qt::Key_Delete), this,
                    &frmTrace1::cmdClear_Click);

    QMenu *view = menus_[std::size_t(WindowMenu::View)] = ui_.menuBar->addMenu(tr("表示(&V)"));
    view->addActions(navigation_->actions());

    QMenu *tools = menus_[std::size_t(WindowMenu::Tools)] = ui_.menuBar->addMenu(tr("ツール(&T)"));
    tools->addAction(sheet_->registerAction());
}

// What each control of the toolbar strip is for: shown as its tooltip, and read out by a screen
// reader instead of "button" or the bare number a label shows.
void frmTrace1::describeControls() {
    const struct {
        QWidget *control;
        const char *name;
        const char *description;
    } rows[] = {
        {ui_.picBar, QT_TR_NOOP("ツールバー"), QT_TR_NOOP("接続・保存・縮尺と計測値")},
        {ui_.picDigit, QT_TR_NOOP("描画領域"),
         QT_TR_NOOP("受信した記録の図。ホイールで拡大縮小、ドラッグで移動、Home で全体表示")},
        {ui_.Command1, QT_TR_NOOP("接続"), QT_TR_NOOP("タブレットに接続して受信を始めます (F5)")},
        {ui_.Command2, QT_TR_NOOP("切断"), QT_TR_NOOP("受信を終えてポートを閉じます (Shift+F5)")},
        {ui_.cmdFile, QT_TR_NOOP("DXF出力"),
         QT_TR_NOOP("記録を DXF ファイルに保存します (Ctrl+E)")},
        {ui_.txtScale, QT_TR_NOOP("縮尺の分母"),
         QT_TR_NOOP("地図の縮尺 1/N の N。接続のたびに読み取ります")},
        {ui_.lblPoints, QT_TR_NOOP("点の数"), QT_TR_NOOP("記録した単独の点の数")},
        {ui_.lblLines, QT_TR_NOOP("線の数"), QT_TR_NOOP("記録した線の数")},
        {ui_.lblPoly, QT_TR_NOOP("多角形の数"), QT_TR_NOOP("閉じた多角形の数")},
        {ui_.lblLength, QT_TR_NOOP("最新の線分の長さ"), QT_TR_NOOP("最後に記録した線分の長さ")},
        {ui_.lblLenAll, QT_TR_NOOP("全長または周長"),
         QT_TR_NOOP("現在の線の全長、または最後の多角形の周長")},
        {ui_.lblArea, QT_TR_NOOP("面積"), QT_TR_NOOP("最後に閉じた多角形の面積")},
        {ui_.cmdClear, QT_TR_NOOP("クリア"),
         QT_TR_NOOP("記録をすべて消して新しく始めます (Ctrl+Delete)")},
        {ui_.cmdBack, QT_TR_NOOP("戻る"), QT_TR_NOOP("最後の記録を取り消します (Ctrl+Z)")},
    };
    for (const auto &row : rows) {
        row.control->setAccessibleName(tr(row.name));
        row.control->setAccessibleDescription(tr(row.description));
        row.control->setToolTip(tr(row.description));
    }
}

void frmTrace1::setDisconnectEnabled(bool enabled) {
    ui_.Command2->setEnabled(enabled);
    actDisconnect_->setEnabled(enabled);
}

} // namespace digitrace
