#include "display/window/window_dialogs.h"

#include <QFileDialog>
#include <QMessageBox>

namespace digitrace {

QString QtWindowDialogs::chooseSaveFile(const QString &filter) {
    QFileDialog dialog(parent_);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(filter);
    // A name typed without an extension still becomes a .dxf file; replacing asks first.
    dialog.setDefaultSuffix(QStringLiteral("dxf"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

bool QtWindowDialogs::confirm(const QString &text, const QString &title) {
    return QMessageBox::question(parent_, title, text, QMessageBox::Ok | QMessageBox::Cancel,
                                 QMessageBox::Ok) == QMessageBox::Ok;
}

void QtWindowDialogs::warn(const QString &text) {
    auto *box = new QMessageBox(QMessageBox::Warning, QStringLiteral("デジタイザートレース"), text,
                                QMessageBox::Ok, parent_);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}

} // namespace digitrace
