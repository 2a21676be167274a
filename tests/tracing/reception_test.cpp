#include "tracing/reception.h"

#include "acquisition/formats/tablet_encoder.h"
#include "acquisition/memory_port.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

namespace digitrace {
namespace {

// Reception with the records it hands on collected, each as its text and a line end.
struct Receiving {
    explicit Receiving(const TabletFormat &format) {
        port.setFormat(format);
        port.setSink([this](const TabletRecord &r) {
            records += r.text.toLatin1() + '\r';
            ++handed;
        });
    }
    QByteArray readAll() { return std::exchange(records, {}); }

    MemoryPort line;
    Reception port{line, 100};
    QByteArray records;
    int handed = 0;
};

TEST(Reception, HandsOnRecordsAndTellsPositionsAndAMismatchOnce) {
    Receiving r(*TabletFormat::named(u"calcomp2000"));
    MemoryPort &line = r.line;
    Reception &port = r.port;
    QSignalSpy positions(&port, &Reception::positionReported);
    QSignalSpy refused(&port, &Reception::recordRefused);
    QSignalSpy mismatch(&port, &Reception::formatMismatch);
    ASSERT_TRUE(port.open());

    line.deliver("10,20,0\r\n11,21,0\r\n11,2");
    EXPECT_EQ(r.handed, 0);
    ASSERT_EQ(positions.count(), 1);
    EXPECT_EQ(positions.at(0).at(0).toLongLong(), 11);
    line.deliver("1,2\r\n");
    ASSERT_EQ(r.handed, 1);
    EXPECT_EQ(r.readAll(), "       11       212\r");

    line.deliver("junk\r\nmore junk\r\n");
    line.deliver(QByteArray("1,1,0\r\n").repeated(Reception::kReportsToRecover - 1));
    line.deliver("junk\r\n");
    EXPECT_EQ(refused.count(), 3);
    EXPECT_EQ(mismatch.count(), 1);
    // Once the line has fitted for a while, a new mismatch is news again.
    line.deliver(QByteArray("1,1,0\r\n").repeated(Reception::kReportsToRecover));
    line.deliver("junk\r\n");
    EXPECT_EQ(mismatch.count(), 2);
    EXPECT_EQ(port.refusedRecords(), 4);
}

// The monitor lists what arrived in the order it came, even within one read.
TEST(Reception, KeepsRecordsAndRefusalsInTheirOrder) {
    MemoryPort line;
    Reception port(line, 100);
    port.setFormat(*TabletFormat::named(u"calcomp2000"));
    QStringList order;
    port.setSink([&](const TabletRecord &r) { order << r.text.trimmed(); });
    QObject::connect(&port, &Reception::recordRefused,
                     [&](const QString &text) { order << QStringLiteral("refused ") + text; });
    ASSERT_TRUE(port.open());
    line.deliver("1,1,1\r\njunk\r\n2,2,1\r\n");
    EXPECT_EQ(order, QStringList({QStringLiteral("1        11"), QStringLiteral("refused junk"),
                                  QStringLiteral("2        21")}));
}

TEST(Reception, EndsAtAFailureAndForgetsAPartOnReopen) {
    Receiving r(*TabletFormat::named(u"summa-mm"));
    MemoryPort &line = r.line;
    Reception &port = r.port;
    QSignalSpy closed(&port, &Reception::closed);
    ASSERT_TRUE(port.open());
    line.deliver(encodeReport(port.format(), 5, 5, 1).bytes.first(3));
    port.close();
    ASSERT_TRUE(port.open());
    line.deliver(encodeReport(port.format(), 6, 6, 1).bytes);
    EXPECT_EQ(r.readAll(), "        6        61\r");
    line.breakDown(QStringLiteral("gone"));
    EXPECT_EQ(closed.count(), 2);

    // Closed, it leaves the line's bytes to whoever opens the line itself, as detection does.
    ASSERT_TRUE(line.open(nullptr));
    line.deliver("1,2,3\r\n");
    EXPECT_EQ(line.readAll(), "1,2,3\r\n");
    EXPECT_FALSE(port.isOpen());
}

// What a format read travels on as fields, which read from the record's text alike.
TEST(Reception, RecordsCarryTheFieldsTheirTextReads) {
    Receiving r(*TabletFormat::named(u"calcomp2000"));
    std::vector<TabletRecord> taken;
    r.port.setSink([&](const TabletRecord &record) { taken.push_back(record); });
    ASSERT_TRUE(r.port.open());
    r.line.deliver("12,34,1\r\n0,7,3\r\n");
    ASSERT_EQ(taken.size(), 2u);
    for (const TabletRecord &record : taken) {
        ASSERT_TRUE(record.fields);
        EXPECT_EQ(*record.fields, readRecordFields(record.text)) << record.text.toStdString();
    }
}

} // namespace
} // namespace digitrace
