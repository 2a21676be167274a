#include "app/window/help_feature.h"

#include "app/window/help_window.h"
#include "app/window/operator_settings.h"
#include "app/window/window_dialogs.h"
#include "app/window/window_host.h"
#include "i18n/languages.h"

#include <QAction>
#include <QActionGroup>
#include <QMainWindow>
#include <QMenu>

namespace digitrace {

HelpFeature::HelpFeature(WindowHost &host) : QObject(&host.mainWindow()), host_(host) {
    buildLanguageMenu();
    auto *guide = new QAction(tr("使い方"), this);
    guide->setShortcut(QKeySequence(Qt::Key_F1));
    connect(guide, &QAction::triggered, this, &HelpFeature::showHelp);
    host_.addMenuAction(MenuGroup::Help, guide);
    auto *about = new QAction(tr("バージョン情報"), this);
    connect(about, &QAction::triggered, this, [this] {
        host_.dialogs().inform(tr("バージョン情報"), aboutText(QStringLiteral(DIGITRACE_VERSION)));
    });
    host_.addMenuAction(MenuGroup::Help, about);
}

QWidget *HelpFeature::showHelp() {
    if (!help_)
        help_ = new HelpWindow(&host_.mainWindow());
    help_->show();
    help_->raise();
    help_->activateWindow();
    return help_;
}

void HelpFeature::buildLanguageMenu() {
    auto *languages = new QMenu(tr("言語 (次回起動から)"), &host_.mainWindow());
    host_.addMenuAction(MenuGroup::ViewLanguage, languages->menuAction());
    auto *group = new QActionGroup(languages);
    const QString chosen = OperatorSettings().language();
    const struct {
        QString code;
        QString name;
    } rows[] = {{kJapanese, tr("日本語")}, {kEnglish, tr("English")}};
    for (const auto &row : rows) {
        QAction *item = languages->addAction(row.name);
        item->setCheckable(true);
        item->setChecked(row.code == (chosen.isEmpty() ? kJapanese : chosen));
        group->addAction(item);
        connect(item, &QAction::triggered, this,
                [code = row.code] { OperatorSettings().setLanguage(code); });
    }
}

} // namespace digitrace
