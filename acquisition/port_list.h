#pragma once

#include <QList>
#include <QString>

namespace digitrace {

// A serial device the system offers, with what it says about itself: a USB adapter names its
// chip, maker and serial number.
struct PortInfo {
    QString name; // the device path to open, e.g. /dev/ttyUSB0 or COM3
    QString description;
    QString manufacturer;
    QString serialNumber;

    bool operator==(const PortInfo &) const = default;
};

// The serial devices present now. Devices come and go (adapters are plugged in and out), so the
// list is asked again whenever it is shown.
class PortLister {
public:
    virtual ~PortLister() = default;
    virtual QList<PortInfo> ports() const = 0;
};

// The operating system's list.
class SystemPortLister : public PortLister {
public:
    QList<PortInfo> ports() const override;
};

} // namespace digitrace
