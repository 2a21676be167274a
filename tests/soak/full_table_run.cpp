#include "full_table_run.h"

#include "tests/support/pseudo_terminal.h"

#include <QElapsedTimer>

#include <memory>

namespace digitrace::test {
namespace {

std::unique_ptr<FullTableRun> RunFullTable() {
    auto run = std::make_unique<FullTableRun>();
    std::mt19937 random(kSlotCount);
    run->capture = randomRecords(kSlotCount + 1, random);

    PseudoTerminal far;
    Receiver receiver(run->model, run->view);
    if (!receiver.connectTo(far)) {
        run->failure =
            "cannot connect to a pseudo-terminal: " + run->view.problems.join(u'\n').toStdString();
        return run;
    }
    QElapsedTimer clock;
    clock.start();
    const ChunkedWriter writer(far.fd(), run->capture.bytes, 64, kSlotCount);
    run->finished = runUntil([&] { return receiver.taken == kSlotCount + 1 && writer.isDone(); });
    run->elapsedMs = clock.elapsed();
    run->taken = receiver.taken;
    run->lastOutcome = receiver.lastOutcome;
    receiver.session.disconnectTablet();
    return run;
}

} // namespace

const FullTableRun &theFullTableRun() {
    static const std::unique_ptr<FullTableRun> run = RunFullTable();
    return *run;
}

} // namespace digitrace::test
