#pragma once

#include "acquisition/formats/format_detector.h"
#include "acquisition/line_settings.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

namespace digitrace {

class SerialPort;

// What the line was heard to speak: the format, with its usual strictness, the line settings
// under which it read, and its first records.
struct LineDetection {
    TabletFormat format;
    LineSettings line;
    QList<DecodedItem> firstRecords;
};

// Listens to an idle tablet line under the usual speeds and framings, one after the other, until
// the bytes heard read as one tablet format. It opens the line for each framing and closes it
// again; the line's device name is put back when it is done.
class LineListener : public QObject {
    Q_OBJECT
public:
    static constexpr int kTrialMs = 1500;

    explicit LineListener(SerialPort &line, QObject *parent = nullptr);
    ~LineListener() override;

    // How long one framing is listened to at most.
    void setTrialTime(int ms) { trial_.setInterval(ms); }
    // Starts with `first`, the settings the operator chose, then the usual others.
    void listen(const QString &portName, const LineSettings &first);
    void stop();
    bool isListening() const { return detector_ != nullptr; }

    // The framings tried, in order: `first`, then 9600 down to 1200 and 19200, 7E1 and 8N1 each.
    static QList<LineSettings> framingsToTry(const LineSettings &first);

signals:
    void trying(const LineSettings &line);
    void found(const LineDetection &detection);
    // Nothing read as a format, or the line could not be listened to; `reason` says which.
    void nothingFound(const QString &reason);

private:
    void startTrial();
    void readWaiting();
    void endTrial();
    void finish();
    void succeed(const FormatCandidate &candidate);

    SerialPort &line_;
    QList<LineSettings> toTry_;
    LineSettings current_;
    std::unique_ptr<FormatDetector> detector_;
    QTimer trial_;
    QString originalName_;
    qint64 heard_ = 0;
};

} // namespace digitrace
