#pragma once

#include <QStringList>
#include <QWidget>

class QLabel;
class QToolButton;

namespace digitrace {

// Notices that need no answer, inside the window: the newest shows whole, on as many lines as it
// needs, with how many older ones wait behind it; its close button shows the one before. Whoever
// holds the bar shows it while presenceChanged() says there is a notice.
class NoticeBar : public QWidget {
    Q_OBJECT
public:
    explicit NoticeBar(QWidget *parent = nullptr);

    // The same notice again comes to the front instead of standing twice in the list.
    void add(const QString &text);
    // Closes the notice shown.
    void closeNewest();
    // A notice that stands for a state which has changed: `text` takes its place in the list, or
    // nothing happens when the operator has closed it; whether it was there.
    bool replace(const QString &old, const QString &text);
    // Takes back a notice that no longer holds, wherever it stands in the list.
    void remove(const QString &text);
    // Newest first.
    const QStringList &notices() const { return notices_; }
    // The notice as shown, on one line before the bar wraps it to its width.
    QString line() const;

signals:
    // The list became empty or stopped being empty.
    void presenceChanged(bool any);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    // Lines the bar grows to for a long notice.
    static constexpr int kMostLines = 4;

    void showNewest();
    int textWidth() const;

    QStringList notices_;
    QLabel *text_;
    QToolButton *close_;
};

} // namespace digitrace
