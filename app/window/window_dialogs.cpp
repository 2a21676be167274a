#include "app/window/window_dialogs.h"

#include "acquisition/port_list.h"
#include "app/window/line_listener.h"
#include "app/window/port_settings_dialog.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>

namespace digitrace {
namespace {

// The extension of a filter's first pattern: "dxf" for "DXFﾌｧｲﾙ(*.dxf)".
QString firstSuffix(const QString &filter) {
    static const QRegularExpression pattern(QStringLiteral(R"(\*\.(\w+))"));
    return pattern.match(filter).captured(1);
}

} // namespace

QString QtWindowDialogs::chooseSaveFile(const QString &filter) {
    return chooseSaveFileNamed(filter, QString());
}

QString QtWindowDialogs::chooseSaveFileNamed(const QString &filter, const QString &suggestedName) {
    QFileDialog dialog(parent_);
    if (!suggestedName.isEmpty())
        dialog.selectFile(suggestedName);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(filter);
    // A name typed without an extension still gets the filter's; replacing asks first.
    dialog.setDefaultSuffix(firstSuffix(filter));
    // With several filters, the chosen one gives the extension, and so the format.
    QObject::connect(
        &dialog, &QFileDialog::filterSelected, &dialog,
        [&dialog](const QString &chosen) { dialog.setDefaultSuffix(firstSuffix(chosen)); });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

bool QtWindowDialogs::confirm(const QString &text, const QString &title) {
    return QMessageBox::question(parent_, title, text, QMessageBox::Ok | QMessageBox::Cancel,
                                 QMessageBox::Ok) == QMessageBox::Ok;
}

void QtWindowDialogs::warn(const QString &text) {
    auto *box = new QMessageBox(
        QMessageBox::Warning,
        QCoreApplication::translate("digitrace::WindowDialogs", "デジタイザートレース"), text,
        QMessageBox::Ok, parent_);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}

int QtWindowDialogs::ask(const QString &text, const QStringList &answers) {
    return askPreferring(text, answers, 0);
}

int QtWindowDialogs::askPreferring(const QString &text, const QStringList &answers, int preferred) {
    QMessageBox box(QMessageBox::Question,
                    QCoreApplication::translate("digitrace::WindowDialogs", "デジタイザートレース"),
                    text, QMessageBox::NoButton, parent_);
    QList<QPushButton *> buttons;
    for (const QString &answer : answers)
        buttons << box.addButton(answer, QMessageBox::ActionRole);
    box.setEscapeButton(buttons.constLast());
    box.setDefaultButton(buttons.value(preferred, buttons.constFirst()));
    box.exec();
    const qsizetype index = buttons.indexOf(static_cast<QPushButton *>(box.clickedButton()));
    return index < 0 ? int(answers.size()) - 1 : int(index);
}

QString QtWindowDialogs::chooseOpenFile(const QString &filter) {
    return QFileDialog::getOpenFileName(parent_, {}, {}, filter);
}

void QtWindowDialogs::notify(const QString &text) {
    if (noticeHandler_)
        return noticeHandler_(text);
    inform(QCoreApplication::translate("digitrace::WindowDialogs", "デジタイザートレース"), text);
}

void QtWindowDialogs::inform(const QString &title, const QString &text) {
    auto *box = new QMessageBox(QMessageBox::Information, title, text, QMessageBox::Ok, parent_);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}

std::optional<PortChoice> QtWindowDialogs::choosePort(const PortChoice &current, bool connected,
                                                      SerialPort &line) {
    const SystemPortLister system;
    LineListener listener(line);
    PortSettingsDialog dialog(system, &listener, parent_);
    dialog.setChoice(current);
    dialog.setConnected(connected);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.choice();
}

std::optional<PublishChoice> QtWindowDialogs::choosePublish(const PublishChoice &current) {
    PublishDialog dialog(parent_);
    dialog.setChoice(current);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.choice();
}

} // namespace digitrace
