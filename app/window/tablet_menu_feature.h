#pragma once

#include <QObject>
#include <QPointer>

class QAction;

namespace digitrace {

class TabletMenu;
struct TabletCommand;
class TabletMenuDialog;
class TracingSession;
class WindowHost;

// The tablet menu in the window: ツール → タブレットメニュー… to write it, print it at true size
// and place it by pressing two of its corners; what a command from the puck or the menu could not
// do is told.
class TabletMenuFeature : public QObject {
    Q_OBJECT
public:
    TabletMenuFeature(WindowHost &host, TracingSession &session);

    void openDialog();
    TabletMenuDialog *dialog() const;
    // Asks where, then writes the PDF; false when cancelled or it could not be written (told).
    bool print(const TabletMenu &menu);

private:
    // The menu the dialog starts with: the job's, else one cell per class and the commands.
    TabletMenu startingMenu() const;
    void commandPerformed(const TabletCommand &command, const QString &refusal);

    WindowHost &host_;
    TracingSession &session_;
    QPointer<TabletMenuDialog> dialog_;
};

} // namespace digitrace
