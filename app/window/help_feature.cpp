#include "app/window/help_feature.h"

#include "app/window/help_window.h"
#include "app/window/operator_settings.h"
#include "app/window/window_dialogs.h"
#include "app/window/window_host.h"
#include "i18n/languages.h"

#include <QActionGroup>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace digitrace {

HelpFeature::HelpFeature(WindowHost &host) : QObject(&host.mainWindow()), host_(host) {
    buildLanguageMenu();
    QMenu *help = host_.mainWindow().menuBar()->addMenu(tr("ヘルプ(&H)"));
    help->addAction(tr("使い方"), QKeySequence(Qt::Key_F1), this, &HelpFeature::showHelp);
    help->addAction(tr("バージョン情報"), this, [this] {
        host_.dialogs().inform(tr("バージョン情報"), aboutText(QStringLiteral(DIGITRACE_VERSION)));
    });
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
    QMenu *languages = host_.menu(WindowMenu::View)->addMenu(tr("言語 (次回起動から)"));
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
