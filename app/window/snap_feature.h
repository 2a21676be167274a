#pragma once

#include <QList>
#include <QObject>

class QAction;
class QActionGroup;
class QMenu;

namespace digitrace {

class TracingSession;
class WindowHost;

// Snapping and follow in the window: ツール → スナップ, a choice of tolerances in millimetres on
// the sheet (or off), journalled as the job's setting; and 境界をなぞる, also a key, after which
// two presses on one feature take its vertices between them.
class SnapFeature : public QObject {
    Q_OBJECT
public:
    SnapFeature(WindowHost &host, TracingSession &session);

    // The tolerances offered, in millimetres; 0 is off.
    static const QList<double> &offeredMm();
    QMenu *snapMenu() const { return menu_; }
    QAction *followAction() const { return follow_; }

private:
    void choose(double mm);
    // The choices show the job's setting, one of its own added when none offered is it.
    void showSetting();
    QAction *addChoice(double mm);

    TracingSession &session_;
    QMenu *menu_;
    QActionGroup *choices_;
    QAction *follow_;
};

} // namespace digitrace
