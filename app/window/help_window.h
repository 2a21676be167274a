#pragma once

#include <QString>
#include <QUrl>
#include <QWidget>

class QTextBrowser;

namespace digitrace {

// The first page of the operator's guide in the window's language (Japanese when the guide has no
// pages in it).
QUrl userGuideHome();

// "使い方": the operator's guide, pages of Markdown with pictures of the window, in a window of its
// own that leaves the main window usable. Links between pages open here, others in the desktop's
// browser. It opens within the available part of the screen `over` is on.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget *parent = nullptr);
    QTextBrowser *browser() const { return browser_; }

private:
    // Sizes and places the window within the screen's available area, centred on `over`.
    void fitScreen(const QWidget *over);

    QTextBrowser *browser_;
};

// What バージョン情報 shows: the program's version, the Qt it runs on and the licences.
QString aboutText(const QString &version);

} // namespace digitrace
