#pragma once

#include "app/window/window_host.h"

#include <QObject>

#include <array>

class QAction;

namespace digitrace {

class JobFiles;
class SheetRegistration;
class TraceNavigation;
class frmTrace1;

// The window's menu bar: every action of the toolbar strip is also a menu item with its shortcut
// and reaches the same handler as its button; the features add their own items.
class WindowMenus : public QObject {
    Q_OBJECT
public:
    WindowMenus(frmTrace1 &window, JobFiles &files, SheetRegistration &sheet,
                TraceNavigation &navigation);

    QMenu *menu(WindowMenu name) const { return menus_[std::size_t(name)]; }
    // 接続 and 切断 follow the connection, as their buttons do.
    void showConnected(bool connected);
    void setConnectTip(const QString &tip);

private:
    std::array<QMenu *, 5> menus_{};
    QAction *connect_ = nullptr;
    QAction *disconnect_ = nullptr;
};

} // namespace digitrace
