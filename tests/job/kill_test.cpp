#include "acquisition/record_framer.h"
#include "job/job_replay.h"
#include "job/journal_slot.h"
#include "model/trace_model.h"
#include "tests/support/files.h"
#include "tests/support/pseudo_terminal.h"
#include "tests/support/record_text.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <random>
#include <unistd.h>

namespace digitrace {
namespace {

// Waits for the receiver's next line; "" when it ends or stays silent.
QByteArray nextLine(QProcess &process) {
    while (!process.canReadLine())
        if (!process.waitForReadyRead(30000))
            return {};
    return process.readLine().trimmed();
}

// A receiver killed with SIGKILL after a record loses nothing it had taken: its journal restores
// the state a replay of the same bytes gives, field by field.
TEST(JournalKill, RestoreHoldsEveryRecordTaken) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> coordinate(-20000, 20000), code(1, 5);
    QByteArray sent;
    for (int i = 0; i < 400; ++i)
        sent += test::recordText(coordinate(random) / 10.0, coordinate(random) / 10.0, code(random))
                    .toLatin1();
    const QStringList records = RecordFramer().feed(sent);

    for (const int killAfter : {1, 13, 97, 260}) {
        SCOPED_TRACE(killAfter);
        QTemporaryDir dir;
        test::PseudoTerminal tablet;
        ASSERT_TRUE(tablet.isValid());
        QProcess receiver;
        receiver.start(QStringLiteral(DIGITRACE_JOURNALING_RECEIVER),
                       {tablet.device(), dir.path()});
        ASSERT_EQ(nextLine(receiver), "ready");
        // Small pieces, so that the kill finds the receiver in the middle of the stream.
        qsizetype written = 0;
        int shown = 0;
        while (shown < killAfter) {
            ssize_t n = 0;
            if (written < sent.size())
                n = ::write(tablet.fd(), sent.constData() + written,
                            std::size_t(std::min<qsizetype>(64, sent.size() - written)));
            written += std::max<ssize_t>(n, 0);
            if (n <= 0 && !receiver.canReadLine()) {
                ASSERT_TRUE(receiver.waitForReadyRead(30000));
            }
            while (receiver.canReadLine())
                shown = receiver.readLine().trimmed().toInt();
        }
        ::kill(pid_t(receiver.processId()), SIGKILL);
        ASSERT_TRUE(receiver.waitForFinished(30000));
        // The killed receiver leaves the port's lock file; another user's test could be given
        // the same pseudo-terminal and find it held.
        test::removeStaleLock(tablet.device());

        JournalSlot slot;
        ASSERT_TRUE(slot.acquire(JournalSlot::Choice::PreferUnsaved, dir.path()));
        TraceModel restored;
        const QByteArray previous = test::readFile(slot.previousPath());
        replayJournal(previous, restored);
        const QList<JournalEntry> entries = parseJournal(previous).entries;
        const auto taken = int(std::count_if(entries.begin(), entries.end(), [](const auto &e) {
            return is<entry::Record>(e);
        }));
        EXPECT_GE(taken, shown);

        TraceModel replayed;
        replayed.ResetTrace();
        replayed.setScaleDenom(1000);
        for (int i = 0; i < taken; ++i)
            replayed.takeRecord(records[i]);
        const TraceStore &a = restored.store(), &b = replayed.store();
        ASSERT_EQ(restored.store().PtCount, replayed.store().PtCount);
        for (int i = 0; i < replayed.store().PtCount; ++i)
            ASSERT_TRUE(a.Pt.X[i] == b.Pt.X[i] && a.Pt.Y[i] == b.Pt.Y[i] &&
                        a.Pt.Code[i] == b.Pt.Code[i])
                << i;
        EXPECT_EQ(std::tie(a.PointCount, a.LineCount, a.PolyCount, a.ScaleDenom, a.MinX, a.MaxY),
                  std::tie(b.PointCount, b.LineCount, b.PolyCount, b.ScaleDenom, b.MinX, b.MaxY));
        for (int f = 0; f < kDisplayFieldCount; ++f)
            EXPECT_EQ(restored.text(DisplayField(f)), replayed.text(DisplayField(f)));
    }
}

} // namespace
} // namespace digitrace
