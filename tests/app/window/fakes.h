#pragma once

#include "acquisition/memory_port.h"
#include "acquisition/simulated_port.h"
#include "app/window/frm_trace1.h"
#include "app/window/job_files.h"
#include "app/window/operator_settings.h"
#include "app/window/window_dialogs.h"

#include <QSignalSpy>
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
    QString chooseSaveFileNamed(const QString &filter, const QString &suggestedName) override {
        suggestedNames << suggestedName;
        return chooseSaveFile(filter);
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
    // Unscripted, the preferred answer: what a stray Enter gives.
    int askPreferring(const QString &text, const QStringList &answers, int preferred) override {
        questions << text + u'|' + answers.join(u'/');
        preferredAnswers << answers.value(preferred);
        whileOpen();
        return answers_.isEmpty() ? preferred : answers_.takeFirst();
    }
    QString chooseOpenFile(const QString &filter) override {
        filters << filter;
        return openName;
    }
    void notify(const QString &text) override { notices << text; }
    std::optional<PortChoice> choosePort(const PortChoice &current, bool connected,
                                         SerialPort &) override {
        portQuestions << connected;
        offeredPort = current;
        return portAnswer;
    }
    void inform(const QString &title, const QString &text) override {
        informed << title + u'|' + text;
    }
    std::optional<PublishChoice> choosePublish(const PublishChoice &current) override {
        offeredPublish = current;
        return publishAnswer;
    }
    void answer(QList<int> answers) { answers_ = std::move(answers); }

    // The second answer of each question is the one that asks nothing more: a new job, discard.
    int defaultAnswer = 1;
    QString saveName, openName;
    QStringList questions;
    // The default button of each question that names one.
    QStringList preferredAnswers;
    bool confirmAnswer = true;
    QStringList filters, suggestedNames, confirmations, warnings, notices, informed;
    // Whether the window was connected, for each time the port settings were shown.
    QList<bool> portQuestions;
    PortChoice offeredPort;
    std::optional<PortChoice> portAnswer;
    PublishChoice offeredPublish;
    std::optional<PublishChoice> publishAnswer;
    // What happens while a modal dialog is open, e.g. bytes arriving from the tablet.
    std::function<void()> whileOpen = [] {};

private:
    QList<int> answers_;
};

// Constructed before a window, makes it open as at a first start.
struct FirstStart {
    FirstStart() {
        OperatorSettings settings;
        settings.setWindowGeometry({});
        settings.setWindowState({});
        settings.setPortChoice({});
        settings.setLastScale({});
    }
};

// A window at a first start on a scripted line, its journal in the test's folder `dir`.
struct JournalledWindow {
    explicit JournalledWindow(const QString &dir) {
        port.setPortName(QStringLiteral("/dev/ttyS0"));
        window.show();
        window.features().jobFiles.attachJournal(JournalSlot::Choice::PreferUnsaved, dir);
    }
    FirstStart firstStart;
    TraceModel model{QLocale::c()};
    MemoryPort port;
    FakeDialogs dialogs;
    frmTrace1 window{model, port, &dialogs};
};

// A window at a first start, against the simulated tablet with the bundled sample sheet.
struct SampleSheetWindow {
    // Shows the window and plays the whole sheet into it; false when it did not play in time.
    bool trace() {
        port.setSpeedFactor(200);
        window.show();
        QSignalSpy played(&port, &SimulatedPort::playedAll);
        window.Command1_Click();
        return played.count() > 0 || played.wait(30000);
    }

    FirstStart firstStart;
    TraceModel model;
    SimulatedPort port{SimulatedPort::bundledSample()};
    FakeDialogs dialogs;
    frmTrace1 window{model, port, &dialogs};
};

} // namespace digitrace::test
