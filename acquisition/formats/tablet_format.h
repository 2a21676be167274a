#pragma once

#include "acquisition/formats/custom_layout.h"
#include "acquisition/formats/tablet_command.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>
#include <cstdint>
#include <optional>

namespace digitrace {

// The record layouts a tablet may speak, by the names the command line and settings know.
enum class FormatKind {
    Fixed19,       // the designed 19-column text: X in 1-9, Y in 10-18, the code in 19
    BitpadAscii,   // ASCII "XXXX,YYYY,F"
    Calcomp2000,   // ASCII "X,Y,B"
    SummaMm,       // 5-byte binary reports
    WacomIv,       // 7-byte binary reports
    CalcompBinary, // 6-byte binary reports
    Custom,        // an ASCII layout the site describes
};

// The built-in formats, in the order detection prefers them when two read the same bytes alike.
QStringList builtInFormatNames();
QString formatName(FormatKind kind);
std::optional<FormatKind> formatKindFromName(QStringView name);
bool isBinaryFormat(FormatKind kind);

// Which designed code (0-9) each button number of the tablet gives, or which command (a command
// is never a record); numbers with neither are ignored and counted.
class ButtonTable {
    Q_DECLARE_TR_FUNCTIONS(digitrace::ButtonTable)

public:
    static constexpr int kLargestButton = 16;

    // Button n gives code n, for 1 to 9.
    ButtonTable();
    static ButtonTable empty();

    std::optional<int> code(int button) const;
    void set(int button, std::optional<int> code);
    // The button giving `code`, the lowest when several do.
    std::optional<int> buttonFor(int code) const;
    const std::optional<TabletCommand> &command(int button) const;
    void setCommand(int button, std::optional<TabletCommand> command);

    // "1=1 2=2 … 7=next-class 8=class:等高線": pairs of button and code or command, separated by
    // spaces or commas.
    QString toText() const;
    // Nothing when a pair does not read, a button is beyond 0-16, a code beyond 0-9 or a command
    // unknown; `error` then says which.
    static std::optional<ButtonTable> fromText(QStringView text, QString *error = nullptr);

    friend bool operator==(const ButtonTable &, const ButtonTable &) = default;

private:
    std::array<std::int8_t, kLargestButton + 1> codes_{};
    std::array<std::optional<TabletCommand>, kLargestButton + 1> commands_{};
};

// What a connection reads the line as.
struct TabletFormat {
    FormatKind kind = FormatKind::Fixed19;
    // Refuses what does not match the layout exactly, instead of taking what can be read of it.
    bool strict = false;
    ButtonTable buttons;
    CustomLayout layout; // for FormatKind::Custom

    // A built-in format by name, with its usual strictness and button table.
    static std::optional<TabletFormat> named(QStringView name);
    QString name() const { return formatName(kind); }

    friend bool operator==(const TabletFormat &, const TabletFormat &) = default;
};

} // namespace digitrace
