#include "app/window/port_choice.h"

namespace digitrace {

QString portSummary(const PortChoice &choice) {
    const LineSettings &l = choice.line;
    QString line = QStringLiteral("%1,%2,%3,%4")
                       .arg(l.baudRate)
                       .arg(QChar(QLatin1Char(l.parity)).toUpper())
                       .arg(l.dataBits)
                       .arg(l.stopBits);
    if (l.flowControl == 'h')
        line += QStringLiteral(",RTS/CTS");
    else if (l.flowControl == 's')
        line += QStringLiteral(",XON/XOFF");
    return (choice.portName.isEmpty() ? defaultPortName() : choice.portName) +
           QStringLiteral("  ") + line;
}

} // namespace digitrace
