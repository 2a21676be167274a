#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringView>

#include <optional>

namespace digitrace {

// What a puck button or a cell of the tablet menu does instead of giving a record.
enum class CommandKind {
    NextClass,    // "next-class": the catalogue's next class
    ChooseClass,  // "class:NAME"
    Up,           // "up": the next feature's stepped values one step higher
    Down,         // "down"
    Same,         // "same"
    Back,         // "back": the newest record taken back
    ClearUndo,    // "clear-undo": the last clear taken back
    ClosePolygon, // "close-polygon": the open line closed on its first vertex
    Follow,       // "follow": the next two presses on one feature take its vertices between them
};

struct TabletCommand {
    Q_DECLARE_TR_FUNCTIONS(digitrace::TabletCommand)

public:
    CommandKind kind = CommandKind::NextClass;
    QString className; // for ChooseClass

    // The command's written name: "next-class", "class:等高線", …
    QString toText() const;
    // Nothing for a name that is not a command, or "class:" naming no class.
    static std::optional<TabletCommand> fromText(QStringView text);
    // What the operator reads on a printed menu and in messages.
    QString label() const;

    friend bool operator==(const TabletCommand &, const TabletCommand &) = default;
};

} // namespace digitrace
