#pragma once

#include "display/window/window_dialogs.h"

#include <QStringList>

namespace digitrace::test {

class FakeDialogs : public WindowDialogs {
public:
    QString chooseSaveFile(const QString &filter) override {
        filters << filter;
        return saveName;
    }
    bool confirm(const QString &text, const QString &title) override {
        confirmations << title + u'|' + text;
        return confirmAnswer;
    }
    void warn(const QString &text) override { warnings << text; }

    QString saveName;
    bool confirmAnswer = true;
    QStringList filters, confirmations, warnings;
};

} // namespace digitrace::test
