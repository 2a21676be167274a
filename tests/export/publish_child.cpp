// Publishes the full sample table as one operator, for tests that kill a publish midway.
// Arguments: connection, sheet, operator. Exit status 0 when the publish succeeded.

#include "export/sheet_publisher.h"
#include "tests/export/publish_samples.h"
#include "tests/export/sample_traces.h"

#include <cstdio>

int main(int argc, char **argv) {
    if (argc != 4)
        return 2;
    using namespace digitrace;
    const test::SampleTrace trace = test::fullTable();
    SheetPublication p = test::publicationOf(trace.model.store(), QString::fromUtf8(argv[2]),
                                             QString::fromUtf8(argv[3]));
    p.force = true;
    const PublishResult r = publishSheet(QString::fromUtf8(argv[1]), p);
    std::printf("%s\n", r.ok() ? "published" : qPrintable(r.error));
    return r.ok() ? 0 : 1;
}
