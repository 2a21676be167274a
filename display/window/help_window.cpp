#include "display/window/help_window.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace digitrace {
namespace {

// README.md says where the operator's part ends with this line, which Markdown does not show.
const QString kEndOfUserPart = QStringLiteral("<!-- end of the user guide -->");

} // namespace

QString userGuideMarkdown() {
    QFile file(QStringLiteral(":/digitrace/README.md"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString all = QString::fromUtf8(file.readAll());
    const qsizetype end = all.indexOf(kEndOfUserPart);
    return end < 0 ? all : all.left(end);
}

HelpWindow::HelpWindow(QWidget *parent) : QWidget(parent, Qt::Window), browser_(new QTextBrowser) {
    setWindowTitle(tr("使い方 - デジタイザートレース"));
    setAttribute(Qt::WA_DeleteOnClose);
    browser_->setOpenExternalLinks(true);
    browser_->setMarkdown(userGuideMarkdown());
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    resize(fontMetrics().averageCharWidth() * 100, fontMetrics().height() * 40);
}

QString aboutText(const QString &version) {
    const QString licence = QStringLiteral(DIGITRACE_LICENSE);
    return QCoreApplication::translate(
               "digitrace::HelpWindow",
               "デジタイザートレース %1\n"
               "紙の地図や図面をシリアル接続のデジタイザーでトレースします。\n\n"
               "Qt %2 (実行中) を LGPL v3 のもとで使用しています。\n"
               "ライセンス: %3")
        .arg(version, QString::fromLatin1(qVersion()),
             licence.isEmpty() ? QCoreApplication::translate("digitrace::HelpWindow", "未定")
                               : licence);
}

} // namespace digitrace
