#include "app/window/help_window.h"

#include <QCoreApplication>
#include <QFile>
#include <QHBoxLayout>
#include <QScreen>
#include <QTextBrowser>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <iterator>

namespace digitrace {
namespace {

const QString kGuideRoot = QStringLiteral(":/digitrace/guide/");
const QString kFirstPage = QStringLiteral("/index.md");

// Wide enough for the guide's pictures (the widest, the English port settings, is 980 pixels) and
// a scroll bar, where the screen allows.
constexpr int kPreferredWidth = 1040;
constexpr int kPreferredHeightLines = 44;

} // namespace

QUrl userGuideHome() {
    //: The folder of the user guide in this language: "ja" or "en".
    QString language = HelpWindow::tr("ja");
    if (!QFile::exists(kGuideRoot + language + kFirstPage))
        language = QStringLiteral("ja");
    return QUrl(QStringLiteral("qrc") + kGuideRoot + language + kFirstPage);
}

HelpWindow::HelpWindow(QWidget *parent) : QWidget(parent, Qt::Window), browser_(new QTextBrowser) {
    setWindowTitle(tr("使い方 - デジタイザートレース"));
    setAttribute(Qt::WA_DeleteOnClose);
    browser_->setOpenExternalLinks(true);
    browser_->setSource(userGuideHome(), QTextDocument::MarkdownResource);

    const struct {
        QString text;
        QKeySequence key;
        void (QTextBrowser::*go)();
    } moves[] = {{tr("目次"), QKeySequence(Qt::ALT | Qt::Key_Home), &QTextBrowser::home},
                 {tr("前のページ"), QKeySequence::Back, &QTextBrowser::backward},
                 {tr("次のページ"), QKeySequence::Forward, &QTextBrowser::forward}};
    auto *bar = new QHBoxLayout;
    QToolButton *buttons[std::size(moves)];
    for (std::size_t i = 0; i < std::size(moves); ++i) {
        buttons[i] = new QToolButton;
        buttons[i]->setText(moves[i].text);
        buttons[i]->setShortcut(moves[i].key);
        connect(buttons[i], &QToolButton::clicked, browser_, moves[i].go);
        bar->addWidget(buttons[i]);
    }
    bar->addStretch();
    buttons[1]->setEnabled(false);
    buttons[2]->setEnabled(false);
    connect(browser_, &QTextBrowser::backwardAvailable, buttons[1], &QWidget::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, buttons[2], &QWidget::setEnabled);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 0);
    layout->addLayout(bar);
    layout->addWidget(browser_);
    fitScreen(parent);
}

void HelpWindow::fitScreen(const QWidget *over) {
    const QScreen *on = over ? over->screen() : screen();
    if (!on)
        return;
    const QRect available = on->availableGeometry();
    // The frame is the window manager's; until it is known, leave room for a common one.
    const QRect outer = frameGeometry(), inner = geometry();
    const QMargins frame =
        isVisible() ? QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                               outer.right() - inner.right(), outer.bottom() - inner.bottom())
                    : QMargins(8, 32, 8, 8);
    const QSize room = available.marginsRemoved(frame).size();
    const QSize wanted(kPreferredWidth, fontMetrics().height() * kPreferredHeightLines);
    resize(wanted.boundedTo(room));
    QRect placed(QPoint(), size());
    placed.moveCenter(over ? over->frameGeometry().center() : available.center());
    const QRect inside = available.marginsRemoved(frame);
    placed.moveLeft(std::clamp(placed.left(), inside.left(), inside.right() - placed.width() + 1));
    placed.moveTop(std::clamp(placed.top(), inside.top(), inside.bottom() - placed.height() + 1));
    move(placed.topLeft() - QPoint(frame.left(), frame.top()));
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
