#include "acquisition/formats/custom_layout.h"

#include <QCoreApplication>
#include <QList>
#include <QRegularExpression>

#include <cctype>
#include <set>

namespace digitrace {
namespace {

constexpr const char *kButtonNames[] = {"decimal", "hex", "calcomp", "flags"};
constexpr const char *kLineEndNames[] = {"cr", "lf", "crlf", "any"};
constexpr int kWidestColumn = 256;

template <std::size_t N> int indexOf(const char *const (&names)[N], const QByteArray &value) {
    for (std::size_t i = 0; i < N; ++i)
        if (value == names[i])
            return int(i);
    return -1;
}

QByteArray fieldName(CustomLayout::Field f) {
    return f == CustomLayout::X ? "x" : f == CustomLayout::Y ? "y" : "button";
}

std::optional<std::array<CustomLayout::Field, 3>> readOrder(const QByteArray &value) {
    const QList<QByteArray> names = value.split(',');
    if (names.size() != 3)
        return std::nullopt;
    std::array<CustomLayout::Field, 3> order{};
    bool seen[3] = {};
    for (int i = 0; i < 3; ++i) {
        const QByteArray name = names[i].trimmed();
        const int f = name == "x" ? 0 : name == "y" ? 1 : name == "button" ? 2 : -1;
        if (f < 0 || seen[f])
            return std::nullopt;
        seen[f] = true;
        order[i] = CustomLayout::Field(f);
    }
    return order;
}

// "1-9,10-18,19" for X, Y and the button.
std::optional<std::array<CustomLayout::Columns, 3>> readColumns(const QByteArray &value) {
    static const QRegularExpression range(QStringLiteral("^\\s*(\\d{1,3})(?:-(\\d{1,3}))?\\s*$"));
    const QList<QByteArray> parts = value.split(',');
    if (parts.size() != 3)
        return std::nullopt;
    std::array<CustomLayout::Columns, 3> columns{};
    for (int i = 0; i < 3; ++i) {
        const QRegularExpressionMatch m = range.match(QString::fromLatin1(parts[i]));
        if (!m.hasMatch())
            return std::nullopt;
        const int first = m.captured(1).toInt();
        const int last = m.captured(2).isEmpty() ? first : m.captured(2).toInt();
        if (first < 1 || last < first || last > kWidestColumn)
            return std::nullopt;
        columns[i] = {first, last};
    }
    return columns;
}

bool overlap(CustomLayout::Columns a, CustomLayout::Columns b) {
    return a.first <= b.last && b.first <= a.last;
}

// A line without its comment: `#` starts one at the start of the line or after a space, except
// as the first character of a value, so that "separator = #" still names '#'.
QByteArray withoutComment(const QByteArray &line) {
    const qsizetype equals = line.indexOf('=');
    qsizetype valueStart = equals < 0 ? -1 : equals + 1;
    while (valueStart > 0 && valueStart < line.size() && std::isspace(uchar(line[valueStart])))
        ++valueStart;
    for (qsizetype i = 0; i < line.size(); ++i)
        if (line[i] == '#' && i != valueStart && (i == 0 || std::isspace(uchar(line[i - 1]))))
            return line.left(i).trimmed();
    return line;
}

} // namespace

QByteArray CustomLayout::toText() const {
    QByteArray text = "# digitrace tablet record layout\n";
    if (columns) {
        text += "columns = ";
        for (int f = 0; f < 3; ++f)
            text += (f ? "," : "") + QByteArray::number((*columns)[f].first) + '-' +
                    QByteArray::number((*columns)[f].last);
        text += '\n';
    } else {
        text += "order = " + fieldName(order[0]) + ',' + fieldName(order[1]) + ',' +
                fieldName(order[2]) + '\n';
        text += "separator = " +
                (separator == ' '    ? QByteArray("space")
                 : separator == '\t' ? QByteArray("tab")
                                     : QByteArray(1, separator)) +
                '\n';
    }
    text += QByteArray("button = ") + kButtonNames[int(button)] + '\n';
    text += "no-button = " + (noButton ? QByteArray::number(*noButton) : QByteArray("none")) + '\n';
    text += QByteArray("line-end = ") + kLineEndNames[int(lineEnd)] + '\n';
    return text;
}

std::optional<CustomLayout> CustomLayout::fromText(QByteArrayView text, QString *error) {
    CustomLayout layout;
    int lineNumber = 0;
    const auto fail = [&](const QString &why) {
        if (error)
            *error = tr("%1 行目: %2").arg(lineNumber).arg(why);
        return std::nullopt;
    };
    std::set<QByteArray> seen;
    for (const QByteArray &rawLine : text.toByteArray().split('\n')) {
        ++lineNumber;
        const QByteArray line = withoutComment(rawLine.trimmed());
        if (line.isEmpty())
            continue;
        const qsizetype equals = line.indexOf('=');
        if (equals < 0)
            return fail(tr("「名前 = 値」の形ではありません。"));
        const QByteArray key = line.left(equals).trimmed();
        const QByteArray value = line.mid(equals + 1).trimmed();
        if (!seen.insert(key).second)
            return fail(tr("「%1」は二度目です。一つの項目は一度だけ書いてください。")
                            .arg(QString::fromLatin1(key)));
        // Fields are either cut at columns or split at a separator, never both.
        const bool splits = key == "order" || key == "separator";
        if ((key == "columns" && (seen.count("order") || seen.count("separator"))) ||
            (splits && seen.count("columns")))
            return fail(tr("columns は order や separator と一緒には書けません。桁で切るか、"
                           "区切り文字で分けるかのどちらかです。"));
        if (key == "order") {
            const auto order = readOrder(value);
            if (!order)
                return fail(
                    tr("order には x, y, button を一度ずつ、コンマで区切って並べてください。"));
            layout.order = *order;
        } else if (key == "separator") {
            if (value == "space")
                layout.separator = ' ';
            else if (value == "tab")
                layout.separator = '\t';
            else if (value.size() == 1 && !(value[0] >= '0' && value[0] <= '9'))
                layout.separator = value[0];
            else
                return fail(tr("separator は数字でない 1 文字か space か tab です。"));
        } else if (key == "columns") {
            const auto columns = readColumns(value);
            if (!columns)
                return fail(
                    tr("columns は X, Y, ボタンの桁を「1-9,10-18,19」のように書いてください。"));
            const auto &c = *columns;
            if (overlap(c[0], c[1]) || overlap(c[0], c[2]) || overlap(c[1], c[2]))
                return fail(tr("columns の X, Y, ボタンの桁が重なっています。"));
            layout.columns = *columns;
        } else if (key == "button") {
            const int i = indexOf(kButtonNames, value);
            if (i < 0)
                return fail(tr("button は decimal, hex, calcomp, flags のどれかです。"));
            layout.button = Button(i);
        } else if (key == "no-button") {
            bool ok = false;
            const int n = value.toInt(&ok);
            if (value == "none")
                layout.noButton.reset();
            else if (ok && n >= 0 && n <= 0xFFFF)
                layout.noButton = n;
            else
                return fail(tr("no-button は 0〜65535 の数か none です。"));
        } else if (key == "line-end") {
            const int i = indexOf(kLineEndNames, value);
            if (i < 0)
                return fail(tr("line-end は cr, lf, crlf, any のどれかです。"));
            layout.lineEnd = LineEnd(i);
        } else {
            return fail(tr("「%1」という項目はありません。").arg(QString::fromLatin1(key)));
        }
    }
    return layout;
}

} // namespace digitrace
