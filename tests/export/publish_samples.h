#pragma once

#include "export/sheet_publisher.h"

namespace digitrace::test {

// Control points placing the tablet's first 8000 x 6000 units on the Japanese plane grid IX at
// half a metre per unit.
inline Registration sampleRegistration() {
    Registration r;
    r.crs = QStringLiteral("EPSG:6677");
    r.points = {{QStringLiteral("A"), 0, 0, -20000, -40000, true},
                {QStringLiteral("B"), 8000, 0, -16000, -40000, true},
                {QStringLiteral("C"), 8000, 6000, -16000, -37000, true},
                {QStringLiteral("D"), 0, 6000, -20000, -37000, true}};
    return r;
}

inline SheetPublication publicationOf(const TraceStore &store, const QString &sheet,
                                      const QString &operatorName,
                                      const QString &jobId = QStringLiteral("job-1")) {
    SheetPublication p;
    p.sheet = sheet;
    p.operatorName = operatorName;
    p.jobId = jobId;
    p.registration = sampleRegistration();
    p.store = store;
    return p;
}

} // namespace digitrace::test
