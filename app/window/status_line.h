#pragma once

#include <QObject>
#include <QPointF>
#include <QString>
#include <QTimer>

#include <array>
#include <optional>

class QLabel;
class QStatusBar;

namespace digitrace {

// The status line below the drawing area: the connection with its port and line settings, the
// records per second while receiving, the job file and its sheet, whether the job is saved, and the
// cursor's position over the drawing area in tablet units (and in map units once the sheet is
// registered). A map position as the operator reads it: its two values in the map CRS's own axis
// order, each with its title ("X (北)", "Y (東)" in a Japanese plane system; "X", "Y" for local
// coordinates).
struct MapReading {
    std::array<double, 2> values;
    std::array<QString, 2> titles;
};

enum class CursorSource { Mouse, Tablet };

class StatusLine : public QObject {
    Q_OBJECT
public:
    explicit StatusLine(QStatusBar *bar);

    void showConnection(bool connected, const QString &portSummary);
    // Nothing hides the figure: it is only shown while receiving.
    void showRate(std::optional<double> perSecond);
    // `clearedUnsaved`: unsaved records were cleared and can still be had back.
    void showSaved(bool unsaved, bool clearedUnsaved = false);
    // The job file's name, nothing for a job not yet saved to one.
    void showJobFile(const QString &path);
    // The job's sheet name, nothing when it has none.
    void showSheet(const QString &name);
    // Nothing when the cursor is not over the drawing area or the view shows nothing yet. The
    // mouse and the tablet's cursor are told apart: they are seldom at the same place.
    void showCursor(std::optional<QPointF> tablet, std::optional<MapReading> map = std::nullopt,
                    CursorSource source = CursorSource::Mouse);

    // The first line of a notice, for a while, in front of the other parts.
    void showNotice(const QString &text);

    // Every part shown, in order, separated by " | ", for tests and screen readers.
    QString text() const;

private:
    QLabel *notice_;
    QLabel *connection_;
    QLabel *rate_;
    QLabel *jobFile_;
    QLabel *sheet_;
    QLabel *saved_;
    QLabel *cursor_;
    QTimer noticeTime_;
};

} // namespace digitrace
