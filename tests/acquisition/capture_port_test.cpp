#include "acquisition/capture_port.h"

#include <gtest/gtest.h>

#include <QBuffer>

namespace digitrace {
namespace {

struct Played {
    QList<QByteArray> reads;
    bool ok = false;
    qint64 unfinished = -1;
};

// Plays `capture` whole and collects each announced read; `stopAfter` reads close the port.
Played play(QByteArray capture, int stopAfter = -1) {
    QBuffer source(&capture);
    source.open(QIODevice::ReadOnly);
    CapturePort port(source);
    Played played;
    QObject::connect(&port, &SerialPort::dataArrived, [&] {
        played.reads.append(port.readAll());
        if (played.reads.size() == stopAfter)
            port.close();
    });
    EXPECT_TRUE(port.open(nullptr));
    played.ok = port.playAll();
    played.unfinished = port.unfinishedRecordLength();
    return played;
}

TEST(CapturePort, HandsOverEveryByteInPiecesAndThenStops) {
    QByteArray capture;
    for (int i = 0; i < 10000; ++i)
        capture += char('0' + i % 10);
    const Played played = play(capture);
    EXPECT_TRUE(played.ok);
    ASSERT_EQ(played.reads.size(), 3);
    EXPECT_EQ(played.reads[0].size(), CapturePort::kChunkSize);
    EXPECT_EQ(played.reads.join(), capture);
}

TEST(CapturePort, StopsWhenClosed) {
    const Played played = play(QByteArray(3 * CapturePort::kChunkSize, 'x'), 1);
    EXPECT_TRUE(played.ok);
    EXPECT_EQ(played.reads.size(), 1);
}

TEST(CapturePort, DoesNotOpenASourceItCannotRead) {
    QBuffer closed;
    CapturePort port(closed);
    QString error;
    EXPECT_FALSE(port.open(&error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(port.isOpen());
}

TEST(CapturePort, MeasuresTheRecordTheCaptureEndsInside) {
    const QByteArray cut = QByteArray(CapturePort::kChunkSize - 1, 'x') + "\r\nab";
    const struct {
        QByteArray capture;
        qint64 unfinished;
    } cases[] = {
        {"", 0},      {"a\r", 0}, {"a\r\n", 0}, {"a\r\n\n", 1},
        {"a\rbc", 2}, {"abc", 3}, {cut, 2}, // the line feed is read apart from its carriage return
    };
    for (const auto &c : cases)
        EXPECT_EQ(play(c.capture).unfinished, c.unfinished) << c.capture.toStdString();
}

} // namespace
} // namespace digitrace
