#include "app/window/publish_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace digitrace {

PublishDialog::PublishDialog(QWidget *parent)
    : QDialog(parent), connection_(new QLineEdit(this)), operator_(new QLineEdit(this)),
      sheet_(new QLineEdit(this)), live_(new QCheckBox(tr("送信を続ける"), this)) {
    setWindowTitle(tr("データベースへ送信"));
    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    connection_->setPlaceholderText(QStringLiteral("PG:host=server dbname=maps user=ann"));
    connection_->setMinimumWidth(connection_->fontMetrics().horizontalAdvance(u'x') * 48);
    form->addRow(tr("接続:"), connection_);
    // The settings keep the connection, and a password in it would be kept in plain text.
    auto *password = new QLabel(tr("パスワードはここに書かず、~/.pgpass またはサービスファイル "
                                   "(pg_service.conf) で与えてください。"),
                                this);
    password->setWordWrap(true);
    form->addRow(QString(), password);
    operator_->setPlaceholderText(tr("空欄ならデータベースのログイン名"));
    form->addRow(tr("送信者:"), operator_);
    form->addRow(tr("シート名:"), sheet_);
    live_->setToolTip(tr("図形ができるたび、また戻る・クリアのたびに、シートを送り直します。"));
    form->addRow(QString(), live_);
    layout->addLayout(form);
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(tr("送信"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(tr("キャンセル"), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void PublishDialog::setChoice(const PublishChoice &choice) {
    connection_->setText(choice.connection);
    operator_->setText(choice.operatorName);
    sheet_->setText(choice.sheet);
    live_->setChecked(choice.live);
}

PublishChoice PublishDialog::choice() const {
    return {connection_->text().trimmed(), operator_->text().trimmed(), sheet_->text().trimmed(),
            live_->isChecked()};
}

} // namespace digitrace
