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

// "9600 7E1": the speed and the framing as tablet manuals write them.
QString framingText(const LineSettings &line);

// One format the line's bytes read as, with its usual strictness, and what it read of them.
struct FormatReading {
    TabletFormat format;
    QList<DecodedItem> firstRecords;
    int records = 0;
};

// What the line was heard to speak: the format, the line settings under which it read, and its
// first records. Where other formats read the same bytes differently, they are named beside it
// for the operator to choose.
struct LineDetection {
    TabletFormat format;
    LineSettings line;
    QList<DecodedItem> firstRecords;
    int records = 0;
    QList<FormatReading> others;

    // The detection as if `reading` had been found alone.
    LineDetection choosing(const FormatReading &reading) const;
};

// Listens to an idle tablet line under the usual speeds and framings, one after the other, until
// the bytes heard read as one tablet format. It opens the line for each framing and closes it
// again; the line's device name is put back when it is done.
class LineListener : public QObject {
    Q_OBJECT
public:
    static constexpr int kTrialMs = 1500;
    // Times a framing under which a few reports read is listened to again, for more of them.
    static constexpr int kExtraTrials = 2;

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
    void succeed(const QList<FormatCandidate> &readings);

    SerialPort &line_;
    QList<LineSettings> toTry_;
    LineSettings current_;
    std::unique_ptr<FormatDetector> detector_;
    QTimer trial_;
    QString originalName_;
    qint64 heard_ = 0;
    int extraTrials_ = 0;
    // Why a framing under which a few reports read was passed over.
    QString tooFew_;
};

} // namespace digitrace
