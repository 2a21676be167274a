#include "acquisition/formats/tablet_command.h"

#include <array>
#include <utility>

namespace digitrace {
namespace {

constexpr QStringView kClassPrefix = u"class:";

// The written names of the commands that take no argument.
constexpr std::array<std::pair<CommandKind, QStringView>, 8> kNames{{
    {CommandKind::NextClass, u"next-class"},
    {CommandKind::Up, u"up"},
    {CommandKind::Down, u"down"},
    {CommandKind::Same, u"same"},
    {CommandKind::Back, u"back"},
    {CommandKind::ClearUndo, u"clear-undo"},
    {CommandKind::ClosePolygon, u"close-polygon"},
    {CommandKind::Follow, u"follow"},
}};

} // namespace

QString TabletCommand::toText() const {
    if (kind == CommandKind::ChooseClass)
        return kClassPrefix.toString() + className;
    for (const auto &[k, name] : kNames)
        if (k == kind)
            return name.toString();
    return {};
}

std::optional<TabletCommand> TabletCommand::fromText(QStringView text) {
    text = text.trimmed();
    if (text.startsWith(kClassPrefix)) {
        const QStringView name = text.mid(kClassPrefix.size()).trimmed();
        if (name.isEmpty())
            return std::nullopt;
        return TabletCommand{CommandKind::ChooseClass, name.toString()};
    }
    for (const auto &[kind, name] : kNames)
        if (text == name)
            return TabletCommand{kind, {}};
    return std::nullopt;
}

QString TabletCommand::label() const {
    switch (kind) {
    case CommandKind::ChooseClass:
        return className;
    case CommandKind::NextClass:
        return tr("次のクラス");
    case CommandKind::Up:
        return tr("上げる");
    case CommandKind::Down:
        return tr("下げる");
    case CommandKind::Same:
        return tr("同じ値");
    case CommandKind::Back:
        return tr("一つ戻す");
    case CommandKind::ClearUndo:
        return tr("クリアを取り消す");
    case CommandKind::ClosePolygon:
        return tr("多角形を閉じる");
    case CommandKind::Follow:
        return tr("境界をなぞる");
    }
    return {};
}

} // namespace digitrace
