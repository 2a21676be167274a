#pragma once

#include "app/window/dxf_export_feature.h"
#include "app/window/port_choice.h"
#include "app/window/publish_dialog.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QWidget;

namespace digitrace {

class SerialPort;

// Every dialog the main window shows, behind one interface so tests can answer them.
class WindowDialogs : public FileChooser {
public:
    // OK or Cancel; true for OK.
    virtual bool confirm(const QString &text, const QString &title) = 0;
    // Tells the operator about a problem without blocking the window or reception.
    virtual void warn(const QString &text) = 0;
    // A question with buttons of its own: the index of the answer, the last one (the cancel)
    // when the dialog is closed otherwise.
    virtual int ask(const QString &text, const QStringList &answers) = 0;
    // The same with `preferred` as the default button, the one a stray Enter presses, where the
    // first answer would do harm. Dialogs that answer by themselves answer as ask() does.
    virtual int askPreferring(const QString &text, const QStringList &answers, int preferred) {
        Q_UNUSED(preferred);
        return ask(text, answers);
    }
    // "" means the operator cancelled.
    virtual QString chooseOpenFile(const QString &filter) = 0;
    // Tells the operator something worth knowing (how an export went, a doubtful line), without a
    // question and without blocking the window or reception.
    virtual void notify(const QString &text) = 0;
    // The port settings, starting from `current`; nothing when cancelled. `connected` says that
    // a change applies from the next connect; while not, `line` may be listened to for 自動検出.
    virtual std::optional<PortChoice> choosePort(const PortChoice &current, bool connected,
                                                 SerialPort &line) = 0;
    // Shows a text to read, such as the version, without blocking the window.
    virtual void inform(const QString &title, const QString &text) = 0;
    // Where and as whom to publish the sheet, starting from `current`; nothing when cancelled.
    virtual std::optional<PublishChoice> choosePublish(const PublishChoice &current) = 0;
};

class QtWindowDialogs : public WindowDialogs {
public:
    explicit QtWindowDialogs(QWidget *parent) : parent_(parent) {}
    QString chooseSaveFile(const QString &filter) override;
    QString chooseSaveFileNamed(const QString &filter, const QString &suggestedName) override;
    bool confirm(const QString &text, const QString &title) override;
    void warn(const QString &text) override;
    int ask(const QString &text, const QStringList &answers) override;
    int askPreferring(const QString &text, const QStringList &answers, int preferred) override;
    QString chooseOpenFile(const QString &filter) override;
    void notify(const QString &text) override;
    std::optional<PortChoice> choosePort(const PortChoice &current, bool connected,
                                         SerialPort &line) override;
    void inform(const QString &title, const QString &text) override;
    std::optional<PublishChoice> choosePublish(const PublishChoice &current) override;
    // Where notify() puts its notices, such as the window's notice bar; a box of their own
    // without one.
    void setNoticeHandler(std::function<void(const QString &)> handler) {
        noticeHandler_ = std::move(handler);
    }

private:
    QWidget *parent_;
    std::function<void(const QString &)> noticeHandler_;
};

} // namespace digitrace
