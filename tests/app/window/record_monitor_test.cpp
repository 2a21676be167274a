#include "acquisition/memory_port.h"
#include "app/window/frm_trace1.h"
#include "app/window/job_files.h"
#include "app/window/port_feature.h"
#include "app/window/record_monitor.h"
#include "fakes.h"
#include "tests/support/record_text.h"

#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace digitrace {
namespace {

// The monitor lists the records of the job in hand, never those of a job cleared before it, and
// says that none arrived since the connect rather than that there are none.
TEST(RecordMonitorPanel, ListsTheJobsOwnRecords) {
    QTemporaryDir dir;
    test::JournalledWindow w(dir.path());
    frmTrace1 &window = w.window;
    MemoryPort &port = w.port;
    window.controls().txtScale->setText(QStringLiteral("500"));
    window.Command1_Click();
    port.deliver(test::recordBytes(0, 0, 1) + test::recordBytes(10, 0, 2));
    window.cmdClear_Click();
    port.deliver(test::recordBytes(5, 5, 5));
    window.features().port.showRecordsOfJob();
    const RecordLog &log = window.features().port.recordMonitor()->log();
    ASSERT_EQ(log.rowCount(), 1);
    EXPECT_EQ(log.row(0).effect, RecordEffect::Point);

    RecordRate rate;
    QElapsedTimer clock;
    clock.start();
    RecordMonitor monitor(rate, clock);
    monitor.addRecord({0, {}, RecordEffect::Point, {}, {}});
    monitor.show();
    EXPECT_FALSE(monitor.findChild<QLabel *>(QStringLiteral("rate"))
                     ->text()
                     .contains(QStringLiteral("記録はまだありません")));
}

} // namespace
} // namespace digitrace
