#pragma once

#include <QString>

namespace digitrace::test {

// One tablet record: X and Y right-aligned in nine columns each, the button code, a carriage
// return.
inline QString recordText(double x, double y, int code) {
    return QStringLiteral("%1%2%3\r").arg(x, 9, 'f', 1).arg(y, 9, 'f', 1).arg(code);
}

// The same as the line sends it.
inline QByteArray recordBytes(double x, double y, int code) {
    return recordText(x, y, code).toLatin1();
}

} // namespace digitrace::test
