#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace digitrace {

// How the serial line frames its characters, written as "baud,parity,data bits,stop bits".
struct LineSettings {
    int baudRate = 9600;
    char parity = 'e'; // n, e, o, m or s: none, even, odd, mark, space
    int dataBits = 7;
    int stopBits = 1;

    // Nothing unless the text holds four such fields, e.g. "9600,e,7,1".
    static std::optional<LineSettings> fromText(QStringView text);
    QString toText() const;
    // A positive baud rate, a known parity, 5 to 8 data bits and 1 or 2 stop bits.
    bool isValid() const;

    friend bool operator==(const LineSettings &, const LineSettings &) = default;
};

// Port 1: the platform's first serial port.
QString defaultPortName();

} // namespace digitrace
