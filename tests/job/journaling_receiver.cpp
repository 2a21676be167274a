// A receiver that journals as the window does, for the kill test: it takes the tablet's records
// from a serial device and prints how many it has taken after each one.
//   journaling_receiver <device> <journal folder>

#include "acquisition/qt_serial_port.h"
#include "job/job_journal.h"
#include "model/numeric_value.h"
#include "tracing/tracing_session.h"

#include <QCoreApplication>

#include <cstdio>

    using namespace digitrace;

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    TraceModel model;
    QtSerialPort port;
    port.setPortName(QString::fromLocal8Bit(argv[1]));
    TracingSession session(port, model);
    JobJournal &job = session.journal();
    if (!job.attach(JournalSlot::Choice::AvoidUnsaved, QString::fromLocal8Bit(argv[2]), nullptr))
        return 2;
    job.discardPrevious();
    const QString scale = QStringLiteral("1000");
    int taken = 0;
    QObject::connect(&session, &TracingSession::recordTaken, [&] {
        std::printf("%d\n", ++taken);
        std::fflush(stdout);
    });
    if (!session.connectTablet({scale, scaleDenomFromText(scale)}))
        return 2;
    std::printf("ready\n");
    std::fflush(stdout);
    return QCoreApplication::exec();
}
