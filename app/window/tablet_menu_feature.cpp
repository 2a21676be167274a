#include "app/window/tablet_menu_feature.h"

#include "app/window/tablet_menu_dialog.h"
#include "app/window/tablet_menu_picture.h"
#include "app/window/window_dialogs.h"
#include "app/window/window_host.h"
#include "tracing/tracing_session.h"

#include <QAction>
#include <QMainWindow>

namespace digitrace {

TabletMenuFeature::TabletMenuFeature(WindowHost &host, TracingSession &session)
    : QObject(&host.mainWindow()), host_(host), session_(session) {
    auto *open = new QAction(tr("タブレットメニュー…"), this);
    open->setObjectName(QStringLiteral("tabletMenu"));
    connect(open, &QAction::triggered, this, &TabletMenuFeature::openDialog);
    host_.addMenuAction(MenuGroup::Tools, open);
    connect(&session_, &TracingSession::commandPerformed, this,
            &TabletMenuFeature::commandPerformed);
}

TabletMenuDialog *TabletMenuFeature::dialog() const {
    return dialog_;
}

TabletMenu TabletMenuFeature::startingMenu() const {
    if (const std::optional<TabletMenu> &menu = session_.tabletMenu())
        return *menu;
    if (const std::optional<ClassCatalogue> &catalogue = session_.job().classes.catalogue())
        return TabletMenu::forCatalogue(*catalogue);
    return TabletMenu::forCatalogue(ClassCatalogue());
}

void TabletMenuFeature::openDialog() {
    if (dialog_) {
        dialog_->raise();
        dialog_->activateWindow();
        return;
    }
    const std::optional<ClassCatalogue> &catalogue = session_.job().classes.catalogue();
    auto *dialog = new TabletMenuDialog(startingMenu(), catalogue ? &*catalogue : nullptr,
                                        session_.job().tabletUnitMm, &host_.mainWindow());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog_ = dialog;
    Reception &reception = session_.reception();
    connect(dialog, &TabletMenuDialog::printRequested, this, &TabletMenuFeature::print);
    connect(dialog, &TabletMenuDialog::placingStarted, this,
            [&reception] { reception.setDiverted(true); });
    connect(&reception, &Reception::recordDiverted, dialog, [dialog](const QString &record) {
        const RecordFields at = readRecordFields(record);
        dialog->takeCorner(at.x, at.y);
    });
    connect(dialog, &TabletMenuDialog::placed, this, [this, &reception](const TabletMenu &menu) {
        reception.setDiverted(false);
        session_.useTabletMenu(menu);
    });
    connect(dialog, &TabletMenuDialog::dropRequested, this, [this, &reception] {
        reception.setDiverted(false);
        session_.dropTabletMenu();
    });
    connect(dialog, &QDialog::finished, this, [&reception] { reception.setDiverted(false); });
    dialog->show();
}

bool TabletMenuFeature::print(const TabletMenu &menu) {
    const QString path =
        host_.dialogs().chooseSaveFileNamed(tr("PDF (*.pdf)"), QStringLiteral("tablet-menu.pdf"));
    if (path.isEmpty())
        return false;
    const std::optional<ClassCatalogue> &catalogue = session_.job().classes.catalogue();
    const QString error = TabletMenuPicture(menu, catalogue ? &*catalogue : nullptr).writePdf(path);
    if (!error.isEmpty()) {
        host_.dialogs().warn(error);
        return false;
    }
    host_.dialogs().notify(tr("タブレットメニューを %1 に書き出しました。拡大・縮小なし (実寸) で"
                              "印刷してください。")
                               .arg(path));
    return true;
}

void TabletMenuFeature::commandPerformed(const TabletCommand &command, const QString &refusal) {
    if (!refusal.isEmpty())
        host_.showNotice(tr("%1: %2").arg(command.label(), refusal));
}

} // namespace digitrace
