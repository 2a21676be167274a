#pragma once

#include "acquisition/formats/record_decoder.h"
#include "model/numeric_value.h"

#include <QByteArray>
#include <QString>

#include <cmath>

namespace digitrace::test {

// The designed records of `capture` in whole counts, as a tablet that counts in units of its
// coordinates sends them: every format can carry them.
inline QByteArray wholeCountSheet(const QByteArray &capture) {
    QByteArray whole;
    for (const QByteArray &record : capture.split('\r')) {
        const QString text = QString::fromLatin1(record);
        if (text.size() == 19)
            whole += canonicalRecord(qint64(std::nearbyint(numericValue(text.first(9)))),
                                     qint64(std::nearbyint(numericValue(text.sliced(9, 9)))),
                                     text.back().digitValue());
    }
    return whole;
}

} // namespace digitrace::test
