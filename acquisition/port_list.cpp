#include "acquisition/port_list.h"

#include <QSerialPortInfo>

namespace digitrace {

QList<PortInfo> SystemPortLister::ports() const {
    QList<PortInfo> out;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        out.append(
            {info.systemLocation(), info.description(), info.manufacturer(), info.serialNumber()});
    return out;
}

} // namespace digitrace
