#pragma once

#include "app/window/window_dialogs.h"
#include "export/io_result.h"

#include <QObject>
#include <QString>

class QImage;

namespace digitrace {

class frmTrace1;
class SimulatedPort;

// Writes `image` as a PNG file, aside first and put in place only when complete, so that a failure
// leaves an existing file as it was. A device or a pipe is written in place.
IoResult savePicture(const QImage &image, const QString &path);

// Dialogs answered without an operator: Clear is confirmed, the save dialog names a fixed path,
// problems go to standard error.
class UnattendedDialogs : public WindowDialogs {
public:
    explicit UnattendedDialogs(QString dxfPath) : dxfPath_(std::move(dxfPath)) {}
    QString chooseSaveFile(const QString &filter) override;
    bool confirm(const QString &text, const QString &title) override;
    void warn(const QString &text) override;
    // Never asked: the demo starts a new job on an empty table and quits without closing.
    int ask(const QString &, const QStringList &answers) override {
        return int(answers.size()) - 1;
    }
    QString chooseOpenFile(const QString &) override { return {}; }
    // Notices are no failure of the run: logged, not counted.
    void notify(const QString &text) override;
    std::optional<PortChoice> choosePort(const PortChoice &, bool, SerialPort &) override {
        return {};
    }
    void inform(const QString &, const QString &) override {}
    std::optional<PublishChoice> choosePublish(const PublishChoice &) override { return {}; }
    int problems() const { return problems_; }

private:
    QString dxfPath_;
    int problems_ = 0;
};

// Connects at start, and when the capture has been played: disconnects, saves the DXF through the
// save button's flow, writes a picture of the whole window, prints what the window shows, quits.
class UnattendedDemo : public QObject {
    Q_OBJECT
public:
    UnattendedDemo(frmTrace1 &window, SimulatedPort &port, UnattendedDialogs &dialogs,
                   QString dxfPath, QString pngPath);
    void start();

private:
    void finish();

    frmTrace1 &window_;
    SimulatedPort &port_;
    UnattendedDialogs &dialogs_;
    QString dxfPath_, pngPath_;
};

} // namespace digitrace
