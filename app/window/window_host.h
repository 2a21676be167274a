#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QAction;
class QDockWidget;
class QMainWindow;
class QMenu;

namespace digitrace {

class WindowDialogs;
struct FeatureSet;
struct Placement;

// What an output repairs of its features before it writes them, one line per change.
using OutputRepair = std::function<QStringList(FeatureSet &)>;

// The menus of the main window, in the order of its menu bar.
enum class WindowMenu { File, Connection, Edit, View, Tools, Help };

// The named places in the menus where items go, in the order of the menu bar and, within a menu,
// in the order they are shown: a feature adds its items to its group, wherever the others are.
enum class MenuGroup {
    FileJob,
    FileClasses,
    FileExport,
    FilePublish,
    FileQuit,
    ConnectionLine,
    ConnectionSettings,
    Edit,
    ViewNavigation,
    ViewPanels,
    ViewLanguage,
    Tools,
    Help,
};

// What a feature of the main window attaches to: a menu group by name, the window's dialogs, and
// the window itself as the parent of the feature's own windows and panels.
class WindowHost {
public:
    virtual ~WindowHost() = default;
    // Puts `action` last in `group` (a submenu as its menuAction()).
    virtual void addMenuAction(MenuGroup group, QAction *action) = 0;
    // A whole menu, for what belongs to the menu itself (how it shows its items).
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
    // Before an export or a publish: whatever is still to be completed is offered to see first.
    // False when the operator chose to see it, or cancelled. `repairable`: the output can repair
    // its features' topology when the operator asks for it.
    virtual bool readyForOutput(bool repairable = false) {
        (void)repairable;
        return true;
    }
    // The repair the operator asked for at the last readyForOutput(), for features placed by
    // `placement`; empty for none.
    virtual OutputRepair outputRepair(const Placement &placement) const {
        (void)placement;
        return {};
    }
};

} // namespace digitrace
