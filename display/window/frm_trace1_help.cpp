// The window's ヘルプ menu and its choice of language.

#include "display/window/frm_trace1.h"
#include "display/window/help_window.h"
#include "display/window/operator_settings.h"
#include "display/window/window_dialogs.h"
#include "i18n/languages.h"

#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

namespace digitrace {

void frmTrace1::buildHelpMenu() {
    QMenu *help = ui_.menuBar->addMenu(tr("ヘルプ(&H)"));
    help->addAction(tr("使い方"), QKeySequence(Qt::Key_F1), this, &frmTrace1::showHelp);
    help->addAction(tr("バージョン情報"), this, [this] {
        dialogs_->inform(tr("バージョン情報"), aboutText(QStringLiteral(DIGITRACE_VERSION)));
    });
}

QWidget *frmTrace1::showHelp() {
    if (!help_)
        help_ = new HelpWindow(this);
    help_->show();
    help_->raise();
    help_->activateWindow();
    return help_;
}

void frmTrace1::buildLanguageMenu(QMenu *view) {
    QMenu *languages = view->addMenu(tr("言語 (次回起動から)"));
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
