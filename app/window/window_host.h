#pragma once

class QMainWindow;
class QMenu;

namespace digitrace {

class WindowDialogs;

// The menus of the main window, in the order of its menu bar.
enum class WindowMenu { File, Connection, Edit, View, Tools };

// What a feature of the main window attaches to: a menu by name, the window's dialogs, and the
// window itself as the parent of the feature's own windows, panels and menus that come last.
class WindowHost {
public:
    virtual ~WindowHost() = default;
    virtual QMenu *menu(WindowMenu name) = 0;
    virtual WindowDialogs &dialogs() = 0;
    virtual QMainWindow &mainWindow() = 0;
};

} // namespace digitrace
