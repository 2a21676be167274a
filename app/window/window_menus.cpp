#include "app/window/window_menus.h"

#include "app/window/frm_trace1.h"
#include "app/window/job_files.h"
#include "app/window/sheet_registration.h"
#include "app/window/trace_navigation.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>

namespace digitrace {
namespace {

// The menus are the window's: their texts keep its translation context.
QString text(const char *source) {
    return QCoreApplication::translate("digitrace::frmTrace1", source);
}

} // namespace

WindowMenus::WindowMenus(frmTrace1 &window, JobFiles &files, SheetRegistration &sheet,
                         TraceNavigation &navigation)
    : QObject(&window) {
    QMenuBar *bar = window.menuBar();
    auto add = [&](WindowMenu name, const char *title) {
        return menus_[std::size_t(name)] = bar->addMenu(text(title));
    };
    QMenu *file = add(WindowMenu::File, QT_TRANSLATE_NOOP("digitrace::frmTrace1", "ファイル(&F)"));
    file->addActions(files.actions());
    file->addMenu(files.recentMenu());
    file->addSeparator();
    file->addAction(text(QT_TRANSLATE_NOOP("digitrace::frmTrace1", "DXF出力…")),
                    QKeySequence(Qt::CTRL | Qt::Key_E), &window, &frmTrace1::cmdFile_Click);
    file->addAction(sheet.exportAction());
    file->addSeparator();
    file->addAction(text(QT_TRANSLATE_NOOP("digitrace::frmTrace1", "終了")),
                    QKeySequence(Qt::CTRL | Qt::Key_Q), &window, &QWidget::close);

    QMenu *line =
        add(WindowMenu::Connection, QT_TRANSLATE_NOOP("digitrace::frmTrace1", "接続(&C)"));
    connect_ = line->addAction(text(QT_TRANSLATE_NOOP("digitrace::frmTrace1", "接続")),
                               QKeySequence(Qt::Key_F5), &window, &frmTrace1::Command1_Click);
    disconnect_ =
        line->addAction(text(QT_TRANSLATE_NOOP("digitrace::frmTrace1", "切断")),
                        QKeySequence(Qt::SHIFT | Qt::Key_F5), &window, &frmTrace1::Command2_Click);

    QMenu *edit = add(WindowMenu::Edit, QT_TRANSLATE_NOOP("digitrace::frmTrace1", "編集(&E)"));
    edit->addAction(text(QT_TRANSLATE_NOOP("digitrace::frmTrace1", "戻る")), QKeySequence::Undo,
                    &window, &frmTrace1::cmdBack_Click);
    edit->addAction(text(QT_TRANSLATE_NOOP("digitrace::frmTrace1", "クリア…")),
                    QKeySequence(Qt::CTRL | Qt::Key_Delete), &window, &frmTrace1::cmdClear_Click);

    // The items of the view act on the drawing area.
    QMenu *view = add(WindowMenu::View, QT_TRANSLATE_NOOP("digitrace::frmTrace1", "表示(&V)"));
    view->addActions(navigation.actions());

    QMenu *tools = add(WindowMenu::Tools, QT_TRANSLATE_NOOP("digitrace::frmTrace1", "ツール(&T)"));
    tools->addAction(sheet.registerAction());
}

void WindowMenus::showConnected(bool connected) {
    connect_->setEnabled(!connected);
    disconnect_->setEnabled(connected);
}

void WindowMenus::setConnectTip(const QString &tip) {
    connect_->setToolTip(tip);
}

} // namespace digitrace
