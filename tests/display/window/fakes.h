#pragma once

#include "display/window/operator_settings.h"
#include "display/window/window_dialogs.h"

#include <QStringList>

#include <functional>

namespace digitrace::test {

class FakeDialogs : public WindowDialogs {
public:
    QString chooseSaveFile(const QString &filter) override {
        filters << filter;
        whileOpen();
        return saveName;
    }
    bool confirm(const QString &text, const QString &title) override {
        confirmations << title + u'|' + text;
        whileOpen();
        return confirmAnswer;
    }
    void warn(const QString &text) override { warnings << text; }
    int ask(const QString &text, const QStringList &answers) override {
        questions << text + u'|' + answers.join(u'/');
        whileOpen();
        return answers_.isEmpty() ? defaultAnswer : answers_.takeFirst();
    }
    QString chooseOpenFile(const QString &filter) override {
        filters << filter;
        return openName;
    }
    void inform(const QString &title, const QString &text) override {
        informed << title + u'|' + text;
    }
    void answer(QList<int> answers) { answers_ = std::move(answers); }

    // The second answer of each question is the one that asks nothing more: a new job, discard.
    int defaultAnswer = 1;
    QString saveName, openName;
    QStringList questions;
    bool confirmAnswer = true;
    QStringList filters, confirmations, warnings, informed;
    // What happens while a modal dialog is open, e.g. bytes arriving from the tablet.
    std::function<void()> whileOpen = [] {};

private:
    QList<int> answers_;
};

// Constructed before a window, makes it open as at a first start.
struct FirstStart {
    FirstStart() { OperatorSettings().setWindowGeometry({}); }
};

} // namespace digitrace::test
