#include "acquisition/formats/tablet_format.h"

#include "acquisition/formats/format_registry.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace digitrace {

QStringList builtInFormatNames() {
    QStringList names;
    for (const TabletFormatDescription *d : tabletFormats())
        if (d->builtIn)
            names.append(d->name);
    return names;
}

QString formatName(FormatKind kind) {
    return describe(kind).name;
}

std::optional<FormatKind> formatKindFromName(QStringView name) {
    for (const TabletFormatDescription *d : tabletFormats())
        if (name == d->name)
            return d->kind;
    return std::nullopt;
}

bool isBinaryFormat(FormatKind kind) {
    return describe(kind).binary;
}

ButtonTable::ButtonTable() {
    codes_.fill(-1);
    for (int n = 1; n <= 9; ++n)
        codes_[n] = std::int8_t(n);
}

ButtonTable ButtonTable::empty() {
    ButtonTable t;
    t.codes_.fill(-1);
    return t;
}

std::optional<int> ButtonTable::code(int button) const {
    if (button < 0 || button > kLargestButton || codes_[button] < 0)
        return std::nullopt;
    return codes_[button];
}

void ButtonTable::set(int button, std::optional<int> code) {
    if (button < 0 || button > kLargestButton)
        return;
    codes_[button] = std::int8_t(code ? *code : -1);
    if (code)
        commands_[button].reset();
}

const std::optional<TabletCommand> &ButtonTable::command(int button) const {
    static const std::optional<TabletCommand> none;
    return button < 0 || button > kLargestButton ? none : commands_[button];
}

void ButtonTable::setCommand(int button, std::optional<TabletCommand> command) {
    if (button < 0 || button > kLargestButton)
        return;
    if (command)
        codes_[button] = -1;
    commands_[button] = std::move(command);
}

std::optional<int> ButtonTable::buttonFor(int code) const {
    for (int n = 0; n <= kLargestButton; ++n)
        if (codes_[n] == code)
            return n;
    return std::nullopt;
}

QString ButtonTable::toText() const {
    QStringList pairs;
    for (int n = 0; n <= kLargestButton; ++n)
        if (codes_[n] >= 0)
            pairs.append(QStringLiteral("%1=%2").arg(n).arg(codes_[n]));
        else if (commands_[n])
            pairs.append(QStringLiteral("%1=%2").arg(n).arg(commands_[n]->toText()));
    return pairs.join(u' ');
}

std::optional<ButtonTable> ButtonTable::fromText(QStringView text, QString *error) {
    static const QRegularExpression pair(QStringLiteral("^(\\d{1,2})=(\\d|\\S+)$"));
    ButtonTable table = empty();
    for (const QString &item :
         text.toString().split(QRegularExpression(QStringLiteral("[\\s,]+")), Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch m = pair.match(item);
        const bool isCode = m.hasMatch() && m.capturedLength(2) == 1 && m.captured(2)[0].isDigit();
        const std::optional<TabletCommand> command =
            m.hasMatch() && !isCode ? TabletCommand::fromText(m.captured(2)) : std::nullopt;
        if (!m.hasMatch() || m.captured(1).toInt() > kLargestButton || (!isCode && !command)) {
            if (error)
                *error = tr("ボタン表の「%1」が読めません。ボタン番号 0〜%2 とコード 0〜9 を"
                            "「3=2」のように、またはコマンドを「7=next-class」「8=class:建物」"
                            "「9=up」のように書いてください。")
                             .arg(item)
                             .arg(kLargestButton);
            return std::nullopt;
        }
        const int button = m.captured(1).toInt();
        if (table.codes_[button] >= 0 || table.commands_[button]) {
            if (error)
                *error = tr("ボタン表でボタン %1 が二度書かれています (「%2」)。ボタンごとに"
                            "コードは一つです。")
                             .arg(button)
                             .arg(item);
            return std::nullopt;
        }
        if (isCode)
            table.codes_[button] = std::int8_t(m.captured(2).toInt());
        else
            table.commands_[button] = command;
    }
    return table;
}

std::optional<TabletFormat> TabletFormat::named(QStringView name) {
    const std::optional<FormatKind> kind = formatKindFromName(name);
    if (!kind || !describe(*kind).builtIn)
        return std::nullopt;
    const TabletFormatDescription &d = describe(*kind);
    TabletFormat format;
    format.kind = d.kind;
    format.strict = d.strict;
    format.buttons = d.buttons;
    return format;
}

std::unique_ptr<TabletDecoder> makeDecoder(const TabletFormat &format) {
    return describe(format.kind).makeDecoder(format);
}

} // namespace digitrace
