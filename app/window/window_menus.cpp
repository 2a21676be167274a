#include "app/window/window_menus.h"

#include "app/window/frm_trace1.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>

#include <iterator>

namespace digitrace {
namespace {

// The menus are the window's: their texts keep its translation context.
QString text(const char *source) {
    return QCoreApplication::translate("digitrace::frmTrace1", source);
}

constexpr const char *kMenuTitles[] = {
    QT_TRANSLATE_NOOP("digitrace::frmTrace1", "ファイル(&F)"),
    QT_TRANSLATE_NOOP("digitrace::frmTrace1", "接続(&C)"),
    QT_TRANSLATE_NOOP("digitrace::frmTrace1", "編集(&E)"),
    QT_TRANSLATE_NOOP("digitrace::frmTrace1", "表示(&V)"),
    QT_TRANSLATE_NOOP("digitrace::frmTrace1", "ツール(&T)"),
    QT_TRANSLATE_NOOP("digitrace::frmTrace1", "ヘルプ(&H)"),
};

struct GroupPlace {
    MenuGroup group;
    WindowMenu menu;
    bool setApart; // a line goes between it and the items above it
};

// Each group's menu, the groups of a menu in the order they show.
constexpr GroupPlace kGroups[] = {
    {MenuGroup::FileJob, WindowMenu::File, false},
    {MenuGroup::FileClasses, WindowMenu::File, true},
    {MenuGroup::FileExport, WindowMenu::File, true},
    {MenuGroup::FilePublish, WindowMenu::File, false},
    {MenuGroup::FileQuit, WindowMenu::File, true},
    {MenuGroup::ConnectionLine, WindowMenu::Connection, false},
    {MenuGroup::ConnectionSettings, WindowMenu::Connection, true},
    {MenuGroup::Edit, WindowMenu::Edit, false},
    {MenuGroup::ViewNavigation, WindowMenu::View, false},
    {MenuGroup::ViewPanels, WindowMenu::View, true},
    {MenuGroup::ViewLanguage, WindowMenu::View, false},
    {MenuGroup::Tools, WindowMenu::Tools, false},
    {MenuGroup::Help, WindowMenu::Help, false},
};
constexpr bool inGroupOrder() {
    for (std::size_t i = 0; i < std::size(kGroups); ++i)
        if (kGroups[i].group != MenuGroup(i))
            return false;
    return std::size(kGroups) == std::size_t(MenuGroup::Help) + 1;
}
static_assert(inGroupOrder());
static_assert(std::size(kMenuTitles) == std::size_t(WindowMenu::Help) + 1);

} // namespace

WindowMenus::WindowMenus(frmTrace1 &window) : QObject(&window) {
    QMenuBar *bar = window.menuBar();
    for (std::size_t i = 0; i < menus_.size(); ++i)
        menus_[i] = bar->addMenu(text(kMenuTitles[i]));
    const auto item = [&](WindowMenu in, const char *source, const QKeySequence &keys,
                          auto handler) {
        auto *action = new QAction(text(source), menu(in));
        action->setShortcut(keys);
        QObject::connect(action, &QAction::triggered, &window, handler);
        return action;
    };
    add(MenuGroup::FileExport,
        item(WindowMenu::File, QT_TRANSLATE_NOOP("digitrace::frmTrace1", "DXF出力…"),
             QKeySequence(Qt::CTRL | Qt::Key_E), &frmTrace1::cmdFile_Click));
    add(MenuGroup::FileQuit,
        item(WindowMenu::File, QT_TRANSLATE_NOOP("digitrace::frmTrace1", "終了"),
             QKeySequence(Qt::CTRL | Qt::Key_Q), &QWidget::close));
    connect_ = item(WindowMenu::Connection, QT_TRANSLATE_NOOP("digitrace::frmTrace1", "接続"),
                    QKeySequence(Qt::Key_F5), &frmTrace1::Command1_Click);
    disconnect_ = item(WindowMenu::Connection, QT_TRANSLATE_NOOP("digitrace::frmTrace1", "切断"),
                       QKeySequence(Qt::SHIFT | Qt::Key_F5), &frmTrace1::Command2_Click);
    add(MenuGroup::ConnectionLine, {connect_, disconnect_});
    add(MenuGroup::Edit,
        {item(WindowMenu::Edit, QT_TRANSLATE_NOOP("digitrace::frmTrace1", "戻る"),
              QKeySequence::Undo, &frmTrace1::cmdBack_Click),
         item(WindowMenu::Edit, QT_TRANSLATE_NOOP("digitrace::frmTrace1", "クリア…"),
              QKeySequence(Qt::CTRL | Qt::Key_Delete), &frmTrace1::cmdClear_Click)});
}

void WindowMenus::add(MenuGroup group, QAction *action) {
    const std::size_t g = std::size_t(group);
    QMenu *into = menu(kGroups[g].menu);
    QAction *before = nullptr;
    for (std::size_t next = g + 1;
         !before && next < std::size(kGroups) && kGroups[next].menu == kGroups[g].menu; ++next)
        if (!items_[next].isEmpty())
            before = items_[next].constFirst();
    if (items_[g].isEmpty() && kGroups[g].setApart)
        items_[g] << into->insertSeparator(before);
    into->insertAction(before, action);
    items_[g] << action;
}

void WindowMenus::add(MenuGroup group, const QList<QAction *> &actions) {
    for (QAction *action : actions)
        add(group, action);
}

void WindowMenus::showConnected(bool connected) {
    connect_->setEnabled(!connected);
    disconnect_->setEnabled(connected);
}

void WindowMenus::setConnectTip(const QString &tip) {
    connect_->setToolTip(tip);
}

} // namespace digitrace
