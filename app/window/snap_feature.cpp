#include "app/window/snap_feature.h"

#include "app/window/window_host.h"
#include "tracing/tracing_session.h"

#include <QAction>
#include <QActionGroup>
#include <QLocale>
#include <QMainWindow>
#include <QMenu>

namespace digitrace {

const QList<double> &SnapFeature::offeredMm() {
    // A tablet is good to about a quarter of a millimetre; mapping rules allow 0.5 to 0.7.
    static const QList<double> offered{0, 0.2, kDefaultSnapMm, 0.5, 0.7};
    return offered;
}

SnapFeature::SnapFeature(WindowHost &host, TracingSession &session)
    : QObject(&host.mainWindow()), session_(session),
      menu_(new QMenu(tr("スナップ"), &host.mainWindow())), choices_(new QActionGroup(this)),
      follow_(new QAction(tr("境界をなぞる"), this)) {
    menu_->setObjectName(QStringLiteral("snapMenu"));
    choices_->setExclusive(true);
    for (const double mm : offeredMm())
        addChoice(mm);
    host.addMenuAction(MenuGroup::Tools, menu_->menuAction());
    follow_->setObjectName(QStringLiteral("followAction"));
    follow_->setShortcut(QKeySequence(Qt::Key_F));
    follow_->setStatusTip(tr("次に押す頂点から、同じ地物のもう一つの頂点までをなぞります"));
    connect(follow_, &QAction::triggered, this, [this] {
        session_.perform(TabletCommand{CommandKind::Follow, {}});
    });
    host.addMenuAction(MenuGroup::Tools, follow_);
    connect(&session_.journal(), &JobJournal::applied, this, [this](const JournalEntry &entry) {
        if (is<entry::Snapping>(entry))
            showSetting();
    });
    showSetting();
}

QAction *SnapFeature::addChoice(double mm) {
    QAction *choice =
        menu_->addAction(mm == 0 ? tr("オフ") : tr("%1 mm").arg(QLocale().toString(mm)));
    choice->setCheckable(true);
    choice->setData(mm);
    choices_->addAction(choice);
    connect(choice, &QAction::triggered, this, [this, mm] { choose(mm); });
    return choice;
}

void SnapFeature::choose(double mm) {
    session_.setSnapping(mm);
    showSetting();
}

void SnapFeature::showSetting() {
    const double mm = session_.job().snapMm;
    for (QAction *choice : choices_->actions())
        if (choice->data().toDouble() == mm) {
            choice->setChecked(true);
            return;
        }
    addChoice(mm)->setChecked(true);
}

} // namespace digitrace
