#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QString>
#include <QStringView>

#include <array>
#include <optional>

namespace digitrace {

// An ASCII record layout described by the site: the fields either split at a separator, in a
// chosen order, or cut at fixed columns; a line end; and how the button is written.
struct CustomLayout {
    Q_DECLARE_TR_FUNCTIONS(digitrace::CustomLayout)

public:
    enum class Button {
        Decimal, // a decimal number
        Hex,     // hexadecimal digits
        Calcomp, // one character whose code minus '0' is the number
        Flags,   // a hex digit with one bit per button: 1, 2, 4, 8 are buttons 1 to 4
    };
    enum class LineEnd { Cr, Lf, CrLf, Any };
    enum Field { X = 0, Y = 1, B = 2 };
    struct Columns {
        int first = 0; // counted from 1
        int last = 0;
        friend bool operator==(const Columns &, const Columns &) = default;
    };

    // The fields in the order they come, when split at the separator.
    std::array<Field, 3> order{X, Y, B};
    char separator = ',';
    // When set, the fields are cut at these columns instead (indexed by Field).
    std::optional<std::array<Columns, 3>> columns;
    Button button = Button::Decimal;
    // The button value that means a position report; none when every line is a record.
    std::optional<int> noButton = 0;
    // Reading takes CR, LF and CR LF alike; this is what a simulated tablet sends.
    LineEnd lineEnd = LineEnd::Any;

    // A small text of "key = value" lines that a site can share.
    QByteArray toText() const;
    // Nothing when the text does not describe a layout; `error` then says which line and why.
    static std::optional<CustomLayout> fromText(QByteArrayView text, QString *error);

    friend bool operator==(const CustomLayout &, const CustomLayout &) = default;
};

} // namespace digitrace
