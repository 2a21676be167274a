#pragma once

#include <QString>
#include <QWidget>

class QTextBrowser;

namespace digitrace {

// The operator's part of the README, as bundled with the program: everything before the line
// that marks where the developers' part begins.
QString userGuideMarkdown();

// "使い方": the user guide rendered from Markdown in a window of its own, which leaves the main
// window usable; links open in the desktop's browser.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget *parent = nullptr);
    QTextBrowser *browser() const { return browser_; }

private:
    QTextBrowser *browser_;
};

// What バージョン情報 shows: the program's version, the Qt it runs on and the licences.
QString aboutText(const QString &version);

} // namespace digitrace
