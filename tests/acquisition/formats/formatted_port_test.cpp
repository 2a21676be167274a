#include "acquisition/formats/formatted_port.h"
#include "acquisition/formats/tablet_encoder.h"
#include "acquisition/memory_port.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

namespace digitrace {
namespace {

TEST(FormattedPort, HandsOnRecordsAndTellsPositionsAndAMismatchOnce) {
    MemoryPort line;
    TabletFormat format = *TabletFormat::named(u"calcomp2000");
    FormattedPort port(line, format);
    QSignalSpy arrived(&port, &SerialPort::dataArrived);
    QSignalSpy positions(&port, &FormattedPort::positionReported);
    QSignalSpy refused(&port, &FormattedPort::recordRefused);
    QSignalSpy mismatch(&port, &FormattedPort::formatMismatch);
    ASSERT_TRUE(port.open(nullptr));

    line.deliver("10,20,0\r\n11,21,0\r\n11,2");
    EXPECT_EQ(arrived.count(), 0);
    ASSERT_EQ(positions.count(), 1);
    EXPECT_EQ(positions.at(0).at(0).toLongLong(), 11);
    line.deliver("1,2\r\n");
    ASSERT_EQ(arrived.count(), 1);
    EXPECT_EQ(port.bytesWaiting(), 20);
    EXPECT_EQ(port.readAll(), "       11       212\r");

    line.deliver("junk\r\nmore junk\r\n");
    line.deliver(QByteArray("1,1,0\r\n").repeated(FormattedPort::kReportsToRecover - 1));
    line.deliver("junk\r\n");
    EXPECT_EQ(refused.count(), 3);
    EXPECT_EQ(mismatch.count(), 1);
    // Once the line has fitted for a while, a new mismatch is news again.
    line.deliver(QByteArray("1,1,0\r\n").repeated(FormattedPort::kReportsToRecover));
    line.deliver("junk\r\n");
    EXPECT_EQ(mismatch.count(), 2);
    EXPECT_EQ(port.refusedRecords(), 4);
}

// The monitor lists what arrived in the order it came, even within one read.
TEST(FormattedPort, KeepsRecordsAndRefusalsInTheirOrder) {
    MemoryPort line;
    FormattedPort port(line, *TabletFormat::named(u"calcomp2000"));
    QStringList order;
    QObject::connect(&port, &SerialPort::dataArrived,
                     [&] { order << QString::fromLatin1(port.readAll()).trimmed(); });
    QObject::connect(&port, &FormattedPort::recordRefused,
                     [&](const QString &text) { order << QStringLiteral("refused ") + text; });
    ASSERT_TRUE(port.open(nullptr));
    line.deliver("1,1,1\r\njunk\r\n2,2,1\r\n");
    EXPECT_EQ(order, QStringList({QStringLiteral("1        11"), QStringLiteral("refused junk"),
                                  QStringLiteral("2        21")}));
}

TEST(FormattedPort, PassesFailuresOnAndForgetsAPartOnReopen) {
    MemoryPort line;
    FormattedPort port(line, *TabletFormat::named(u"summa-mm"));
    QSignalSpy failed(&port, &SerialPort::failed);
    QSignalSpy arrived(&port, &SerialPort::dataArrived);
    ASSERT_TRUE(port.open(nullptr));
    line.deliver(encodeReport(port.format(), 5, 5, 1).bytes.first(3));
    port.close();
    ASSERT_TRUE(port.open(nullptr));
    line.deliver(encodeReport(port.format(), 6, 6, 1).bytes);
    EXPECT_EQ(port.readAll(), "        6        61\r");
    line.breakDown(QStringLiteral("gone"));
    EXPECT_EQ(failed.count(), 1);

    // Closed, it leaves the line's bytes to whoever opens the line itself, as detection does.
    port.close();
    ASSERT_TRUE(line.open(nullptr));
    line.deliver("1,2,3\r\n");
    EXPECT_EQ(line.readAll(), "1,2,3\r\n");
    EXPECT_FALSE(port.isOpen());
}

} // namespace
} // namespace digitrace
