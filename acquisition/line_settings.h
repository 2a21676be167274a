#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace digitrace {

// How the serial line frames its characters, written as "baud,parity,data bits,stop bits" and,
// when the line has flow control, a fifth field for it.
struct LineSettings {
    int baudRate = 9600;
    char parity = 'e'; // n, e, o, m or s: none, even, odd, mark, space
    int dataBits = 7;
    int stopBits = 1;
    char flowControl = 'n'; // n, h or s: none, hardware (RTS/CTS), software (XON/XOFF)

    // Nothing unless the text holds four such fields, e.g. "9600,e,7,1", or five with the flow
    // control last, e.g. "9600,e,7,1,h".
    static std::optional<LineSettings> fromText(QStringView text);
    QString toText() const;
    // A positive baud rate, a known parity, 5 to 8 data bits, 1 or 2 stop bits and a known flow
    // control.
    bool isValid() const;

    friend bool operator==(const LineSettings &, const LineSettings &) = default;
};

// Port 1: the platform's first serial port.
QString defaultPortName();

} // namespace digitrace
