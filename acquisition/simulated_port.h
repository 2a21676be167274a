#pragma once

#include "acquisition/memory_port.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTimer>

namespace digitrace {

// A tablet played from a raw capture: from each open() on, the capture's bytes arrive at the
// line rate, in chunks of varying size as a real port hands them over.
class SimulatedPort : public MemoryPort {
    Q_OBJECT
public:
    // 9600 baud with ten bits to a character (start, 7 data, parity, stop).
    static constexpr double kCharactersPerSecond = 960;

    explicit SimulatedPort(QByteArray capture, QObject *parent = nullptr);

    // Plays `factor` (> 0) times faster than the line rate; other values are ignored.
    void setSpeedFactor(double factor);
    // A small map sheet traced on a 0.1 mm tablet.
    static QByteArray bundledSample();

    bool open(QString *error) override;
    void close() override;

signals:
    // The last byte of the capture has been handed over.
    void playedAll();

private:
    void scheduleNextChunk();
    void handOverChunk();

    QByteArray capture_;
    double speed_ = 1;
    qsizetype played_ = 0;
    qsizetype chunkEnd_ = 0;
    // Bytes played when `clock_` started: the schedule counts from there.
    qsizetype clockOrigin_ = 0;
    QElapsedTimer clock_;
    QTimer timer_;
    // Fixed seed: a capture always arrives in the same chunks, which keeps runs repeatable.
    QRandomGenerator chunkSizes_{2024};
};

} // namespace digitrace
