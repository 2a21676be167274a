#pragma once

#include <QString>

namespace digitrace {

// A program killed while it held a serial line leaves the line as that program set it. When the
// line cannot take the framing asked for (a pseudo-terminal keeps 8 data bits and no parity), the
// C library reports the next program's settings as refused ("Invalid argument"): it sees nothing
// change. resetAbandonedLine() puts the line back in the state a freshly opened one has, as a
// normal close would have done, unless some live program holds the line. True when it did.
bool resetAbandonedLine(const QString &portName);

// The device file and the lock file QSerialPort uses for a port name ("ttyUSB0" or a path).
QString devicePath(const QString &portName);
QString lockFilePath(const QString &portName);

} // namespace digitrace
