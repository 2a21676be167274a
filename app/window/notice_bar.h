#pragma once

#include <QStringList>
#include <QWidget>

class QLabel;
class QToolButton;

namespace digitrace {

// Notices that need no answer, one line inside the window: the newest shows, with how many older
// ones wait behind it; its close button shows the one before. Whoever holds the bar shows it
// while presenceChanged() says there is a notice.
class NoticeBar : public QWidget {
    Q_OBJECT
public:
    explicit NoticeBar(QWidget *parent = nullptr);

    // The same notice again comes to the front instead of standing twice in the list.
    void add(const QString &text);
    // Closes the notice shown.
    void closeNewest();
    // Newest first.
    const QStringList &notices() const { return notices_; }
    // The line as shown, before it is cut to the bar's width.
    QString line() const;

signals:
    // The list became empty or stopped being empty.
    void presenceChanged(bool any);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void showNewest();

    QStringList notices_;
    QLabel *text_;
    QToolButton *close_;
};

} // namespace digitrace
