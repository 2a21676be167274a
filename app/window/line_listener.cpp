#include "app/window/line_listener.h"

#include "acquisition/serial_port.h"

namespace digitrace {

QString framingText(const LineSettings &line) {
    return QStringLiteral("%1 %2%3%4")
        .arg(line.baudRate)
        .arg(line.dataBits)
        .arg(QChar(line.parity).toUpper())
        .arg(line.stopBits);
}

LineDetection LineDetection::choosing(const FormatReading &reading) const {
    return {reading.format, line, reading.firstRecords, reading.records, {}};
}

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
    tooFew_.clear();
    startTrial();
}

void LineListener::stop() {
    if (isListening())
        finish();
}

void LineListener::startTrial() {
    current_ = toTry_.takeFirst();
    detector_ = std::make_unique<FormatDetector>(current_.dataBits);
    heard_ = 0;
    extraTrials_ = 0;
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
    if (detector_->decided() || detector_->undecidable())
        return succeed(detector_->readings());
    // Bytes that fit nothing at this framing: the next one, without waiting out the time.
    if (detector_->nothingFits())
        endTrial();
}

void LineListener::endTrial() {
    trial_.stop();
    if (const QList<FormatCandidate> named = detector_->readings(); !named.isEmpty())
        return succeed(named);
    // A tablet that sends only when a button is pressed may have sent too few reports yet: the
    // same framing a while longer.
    if (detector_->tooFewReports()) {
        const FormatCandidate best = detector_->ranking().constFirst();
        if (extraTrials_++ < kExtraTrials && line_.isOpen()) {
            trial_.start();
            return;
        }
        tooFew_ = tr("%1 で形式 %2 として読める報告が %3 件だけ届きましたが、これだけでは"
                     "決められません。聞いている間にボタンを何度も押してください。")
                      .arg(framingText(current_), formatName(best.kind))
                      .arg(best.reports);
    }
    line_.close();
    // A silent line stays silent at every speed: there is nothing to try the others on.
    if (heard_ == 0) {
        finish();
        emit nothingFound(tr("回線から何も届きませんでした。タブレットの電源とケーブルを確かめ、"
                             "聞いている間にボタンを何度か押してください。"));
        return;
    }
    if (toTry_.isEmpty()) {
        finish();
        emit nothingFound(tooFew_.isEmpty()
                              ? tr("届いたバイトはどの形式にも、どの速度・フレームにも合いません。")
                              : tooFew_);
        return;
    }
    startTrial();
}

void LineListener::succeed(const QList<FormatCandidate> &readings) {
    QList<FormatReading> read;
    for (const FormatCandidate &c : readings)
        read.append({*TabletFormat::named(formatName(c.kind)), c.firstRecords, c.records});
    LineDetection detection = LineDetection().choosing(read.constFirst());
    detection.line = current_;
    detection.others = read.sliced(1);
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
