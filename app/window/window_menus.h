#pragma once

#include "app/window/window_host.h"

#include <QList>
#include <QObject>

#include <array>

class QAction;

namespace digitrace {

class frmTrace1;

// The window's menu bar, made of named groups that the features add their items to. Every action
// of the toolbar strip is also a menu item with its shortcut and reaches the same handler as its
// button.
class WindowMenus : public QObject {
    Q_OBJECT
public:
    explicit WindowMenus(frmTrace1 &window);

    QMenu *menu(WindowMenu name) const { return menus_[std::size_t(name)]; }
    // Puts `action` last in `group`, before the groups that follow it in its menu.
    void add(MenuGroup group, QAction *action);
    void add(MenuGroup group, const QList<QAction *> &actions);
    // 接続 and 切断 follow the connection, as their buttons do.
    void showConnected(bool connected);
    void setConnectTip(const QString &tip);

private:
    std::array<QMenu *, std::size_t(WindowMenu::Help) + 1> menus_{};
    // Each group's items as the menu shows them, a group's separating line first.
    std::array<QList<QAction *>, std::size_t(MenuGroup::Help) + 1> items_{};
    QAction *connect_ = nullptr;
    QAction *disconnect_ = nullptr;
};

} // namespace digitrace
