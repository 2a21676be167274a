#include "app/window/line_listener.h"

#include "acquisition/serial_port.h"

namespace digitrace {

LineListener::LineListener(SerialPort &line, QObject *parent) : QObject(parent), line_(line) {
    trial_.setSingleShot(true);
    trial_.setInterval(kTrialMs);
    connect(&trial_, &QTimer::timeout, this, &LineListener::endTrial);
    connect(&line_, &SerialPort::dataArrived, this, &LineListener::readWaiting);
    connect(&line_, &SerialPort::failed, this, [this](const QString &reason) {
        if (!isListening())
            return;
        finish();
        emit nothingFound(reason);
    });
}

LineListener::~LineListener() {
    stop();
}

QList<LineSettings> LineListener::framingsToTry(const LineSettings &first) {
    QList<LineSettings> framings{first};
    for (const int baud : {9600, 19200, 4800, 2400, 1200})
        for (const auto &[parity, dataBits] : {std::pair{'e', 7}, std::pair{'n', 8}}) {
            const LineSettings s{baud, parity, dataBits, 1, first.flowControl};
            if (!framings.contains(s))
                framings.append(s);
        }
    return framings;
}

void LineListener::listen(const QString &portName, const LineSettings &first) {
    stop();
    originalName_ = line_.portName();
    line_.setPortName(portName);
    toTry_ = framingsToTry(first);
    startTrial();
}

void LineListener::stop() {
    if (isListening())
        finish();
}

void LineListener::startTrial() {
    current_ = toTry_.takeFirst();
    detector_ = std::make_unique<FormatDetector>();
    heard_ = 0;
    line_.setSettings(current_);
    QString error;
    if (!line_.open(&error)) {
        finish();
        emit nothingFound(tr("ポート %1 を開けません: %2").arg(line_.portName(), error));
        return;
    }
    emit trying(current_);
    trial_.start();
    readWaiting();
}

void LineListener::readWaiting() {
    if (!isListening() || !line_.isOpen())
        return;
    const QByteArray bytes = line_.readAll();
    if (bytes.isEmpty())
        return;
    heard_ += bytes.size();
    detector_->feed(bytes);
    if (const std::optional<FormatKind> kind = detector_->decided()) {
        for (const FormatCandidate &c : detector_->ranking())
            if (c.kind == *kind)
                return succeed(c);
    }
    // Bytes that fit nothing at this framing: the next one, without waiting out the time.
    if (detector_->nothingFits())
        endTrial();
}

void LineListener::endTrial() {
    trial_.stop();
    line_.close();
    const FormatCandidate best = detector_->ranking().constFirst();
    // A tablet that sends only when a button is pressed may have sent too few records to decide.
    if (best.consistent() && (best.records > 0 || best.reports >= FormatDetector::kDecisiveReports))
        return succeed(best);
    // A silent line stays silent at every speed: there is nothing to try the others on.
    if (heard_ == 0) {
        finish();
        emit nothingFound(tr("回線から何も届きませんでした。タブレットの電源とケーブルを確かめ、"
                             "聞いている間にボタンを何度か押してください。"));
        return;
    }
    if (toTry_.isEmpty()) {
        finish();
        emit nothingFound(tr("届いたバイトはどの形式にも、どの速度・フレームにも合いません。"));
        return;
    }
    startTrial();
}

void LineListener::succeed(const FormatCandidate &candidate) {
    LineDetection detection{*TabletFormat::named(formatName(candidate.kind)), current_,
                            candidate.firstRecords};
    finish();
    emit found(detection);
}

void LineListener::finish() {
    trial_.stop();
    line_.close();
    line_.setPortName(originalName_);
    detector_.reset();
    toTry_.clear();
}

} // namespace digitrace
