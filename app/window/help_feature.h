#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

namespace digitrace {

class WindowHost;

// ヘルプ: the operator's guide and the version; and in 表示 the language of the next start.
class HelpFeature : public QObject {
    Q_OBJECT
public:
    explicit HelpFeature(WindowHost &host);
    // 使い方: the guide in a window of its own, left open beside the main window.
    QWidget *showHelp();

private:
    void buildLanguageMenu();

    WindowHost &host_;
    QPointer<QWidget> help_;
};

} // namespace digitrace
