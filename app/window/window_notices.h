#pragma once

#include "model/trace_model.h"

#include <QObject>

class QMainWindow;

namespace digitrace {

class NoticeBar;
class StatusLine;
class WindowPlacement;

// What the window tells the operator without asking: in a bar between the menu bar and the form,
// and in the status line.
class WindowNotices : public QObject {
    Q_OBJECT
public:
    WindowNotices(QMainWindow &window, QWidget &form, WindowPlacement &placement, StatusLine &line);

    NoticeBar &bar() { return *bar_; }
    void show(const QString &text);
    // The model refused a record: told once per job and kind.
    void recordRefused(RecordOutcome outcome);
    // A new job: its refusals are worth telling again.
    void startJob() { toldTableFull_ = toldOutOfRange_ = false; }

signals:
    void shown(const QString &text);

private:
    void showBar(bool any);

    QMainWindow &window_;
    QWidget &form_;
    WindowPlacement &placement_;
    StatusLine &line_;
    QWidget *host_;
    NoticeBar *bar_;
    // What the window grew by to show the bar, given back when it closes.
    int growth_ = 0;
    bool toldTableFull_ = false;
    bool toldOutOfRange_ = false;
};

} // namespace digitrace
