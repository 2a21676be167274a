#pragma once

#include <QString>

class QDockWidget;
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
    // Tells the operator something that needs no answer, never in a window of its own.
    virtual void showNotice(const QString &text) = 0;
    // Puts `now` in the place of a notice still shown, without telling it anew; false when
    // `before` is no longer shown.
    virtual bool replaceNotice(const QString &before, const QString &now) = 0;
    // Takes back a notice whose news no longer holds.
    virtual void withdrawNotice(const QString &text) = 0;
    // The window grows for a panel just docked beside the form, so that the drawing area keeps
    // its size and its picture.
    virtual void makeRoomFor(QDockWidget &panel) = 0;
    // The scale box's text.
    virtual QString scaleText() const = 0;
};

} // namespace digitrace
