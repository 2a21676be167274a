#pragma once

#include "acquisition/memory_port.h"

#include <QElapsedTimer>
#include <QIODevice>
#include <QRandomGenerator>
#include <QTimer>

#include <memory>

namespace digitrace {

// A tablet played from a raw capture: from each open() on, the capture's bytes arrive at the
// line rate, in chunks of varying size as a real port hands them over. The capture is read as it
// is played, so one larger than the memory, or one without end, plays as well as a small one.
class SimulatedPort : public MemoryPort {
    Q_OBJECT
public:
    // 9600 baud with ten bits to a character (start, 7 data, parity, stop).
    static constexpr double kCharactersPerSecond = 960;

    explicit SimulatedPort(QByteArray capture, QObject *parent = nullptr);
    // Plays `source`, open for reading, from its start at each open() when it can seek, else on
    // from where it stands.
    explicit SimulatedPort(std::unique_ptr<QIODevice> source, QObject *parent = nullptr);

    // Opens a capture file to play: a regular file or a device. A pipe or a socket is refused,
    // since it would keep the event loop waiting for its writer, and so is a folder. Null when
    // refused, with `error` saying why.
    static std::unique_ptr<QIODevice> openCapture(const QString &path, QString *error);
    // A small map sheet traced on a 0.1 mm tablet.
    static QByteArray bundledSample();

    // Plays `factor` (> 0) times faster than the line rate; other values are ignored.
    void setSpeedFactor(double factor);

    // Fails when the capture cannot be read from its start.
    bool open(QString *error) override;
    void close() override;

signals:
    // The last byte of the capture has been handed over.
    void playedAll();

private:
    void scheduleNextChunk();
    void handOverChunk();

    std::unique_ptr<QIODevice> source_;
    double speed_ = 1;
    qint64 played_ = 0;
    qint64 chunkSize_ = 0;
    // Bytes played when `clock_` started: the schedule counts from there.
    qint64 clockOrigin_ = 0;
    QElapsedTimer clock_;
    QTimer timer_;
    // Fixed seed: a capture always arrives in the same chunks, which keeps runs repeatable.
    QRandomGenerator chunkSizes_{2024};
};

} // namespace digitrace
