#include "tracing/tablet_menu.h"

#include "classes/class_catalogue.h"

#include <QRegularExpression>
#include <QStringList>

#include <cmath>

namespace digitrace {
namespace {

constexpr double kSmallestMm = 10;
constexpr double kLargestMm = 2000;

// "A x B" as two numbers.
std::optional<std::pair<double, double>> readPair(const QString &value) {
    static const QRegularExpression pair(QStringLiteral(R"(^\s*(\S+)\s*[xX×]\s*(\S+)\s*$)"));
    const QRegularExpressionMatch m = pair.match(value);
    bool okA = false, okB = false;
    const double a = m.hasMatch() ? m.captured(1).toDouble(&okA) : 0;
    const double b = m.hasMatch() ? m.captured(2).toDouble(&okB) : 0;
    if (!okA || !okB || !std::isfinite(a) || !std::isfinite(b))
        return std::nullopt;
    return std::pair{a, b};
}

QString number(double value) {
    return QString::number(value, 'g', 15);
}

} // namespace

TabletMenu TabletMenu::forCatalogue(const ClassCatalogue &catalogue) {
    TabletMenu menu;
    for (const FeatureClass &c : catalogue.classes())
        menu.cells.append(TabletCommand{CommandKind::ChooseClass, c.name});
    for (const CommandKind kind :
         {CommandKind::NextClass, CommandKind::Up, CommandKind::Down, CommandKind::Same,
          CommandKind::ClosePolygon, CommandKind::Back, CommandKind::ClearUndo})
        menu.cells.append(TabletCommand{kind, {}});
    menu.columns = 6;
    menu.rows = int((menu.cells.size() + menu.columns - 1) / menu.columns);
    if (menu.rows > kLargestGrid) {
        menu.rows = kLargestGrid;
        menu.cells.resize(menu.columns * menu.rows);
    }
    while (menu.cells.size() < menu.columns * menu.rows)
        menu.cells.append(std::nullopt);
    menu.heightMm = 15.0 * menu.rows;
    return menu;
}

std::optional<TabletMenu> TabletMenu::read(const QString &text, QString *error) {
    const auto fail = [error](int line, const QString &why) -> std::optional<TabletMenu> {
        if (error)
            *error = tr("%1 行目: %2").arg(line).arg(why);
        return std::nullopt;
    };
    TabletMenu menu;
    menu.cells.clear();
    bool cellsGiven = false;
    const QStringList lines = text.split(u'\n');
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const qsizetype equals = line.indexOf(u'=');
        const QString key = line.left(equals).trimmed();
        const QString value = equals < 0 ? QString() : line.mid(equals + 1).trimmed();
        if (key == u"size") {
            const auto size = readPair(value);
            if (!size || size->first < kSmallestMm || size->first > kLargestMm ||
                size->second < kSmallestMm || size->second > kLargestMm)
                return fail(i + 1, tr("大きさは「180 x 30」のように %1〜%2 mm で書いてください")
                                       .arg(kSmallestMm)
                                       .arg(kLargestMm));
            menu.widthMm = size->first;
            menu.heightMm = size->second;
        } else if (key == u"grid") {
            const auto grid = readPair(value);
            if (!grid || grid->first != std::floor(grid->first) ||
                grid->second != std::floor(grid->second) || grid->first < 1 || grid->second < 1 ||
                grid->first > kLargestGrid || grid->second > kLargestGrid)
                return fail(
                    i + 1,
                    tr("升目は「列 x 行」を 1〜%1 の整数で書いてください").arg(kLargestGrid));
            menu.columns = int(grid->first);
            menu.rows = int(grid->second);
        } else if (key == u"cells") {
            cellsGiven = true;
            for (const QString &cell : value.split(u'|')) {
                if (cell.trimmed().isEmpty()) {
                    menu.cells.append(std::nullopt);
                    continue;
                }
                const std::optional<TabletCommand> command = TabletCommand::fromText(cell);
                if (!command)
                    return fail(i + 1, tr("「%1」はクラス (class:名前) でもコマンドでもありません")
                                           .arg(cell.trimmed()));
                menu.cells.append(command);
            }
        } else if (key == u"area") {
            const QStringList corners =
                value.split(QRegularExpression(QStringLiteral("[\\s,]+")), Qt::SkipEmptyParts);
            double c[4] = {};
            bool ok = corners.size() == 4;
            for (int n = 0; ok && n < 4; ++n) {
                c[n] = corners[n].toDouble(&ok);
                ok = ok && std::isfinite(c[n]);
            }
            if (!ok || c[0] == c[2] || c[1] == c[3])
                return fail(i + 1,
                            tr("位置は向かい合う二つの角の座標「x1 y1 x2 y2」で書いてください"));
            menu.placeAt(c[0], c[1], c[2], c[3]);
        } else {
            return fail(i + 1,
                        tr("「%1」は読めません (size, grid, cells, area のどれかです)").arg(line));
        }
    }
    const qsizetype wanted = qsizetype(menu.columns) * menu.rows;
    if (!cellsGiven || menu.cells.size() > wanted)
        return fail(0,
                    tr("セルは %1 個まで (列 x 行)、「cells = …」に「|」で区切って書いてください")
                        .arg(wanted));
    while (menu.cells.size() < wanted)
        menu.cells.append(std::nullopt);
    return menu;
}

QString TabletMenu::text() const {
    QStringList cellTexts;
    for (const std::optional<TabletCommand> &cell : cells)
        cellTexts.append(cell ? cell->toText() : QString());
    QString out = QStringLiteral("size = %1 x %2\ngrid = %3 x %4\ncells = %5\n")
                      .arg(number(widthMm), number(heightMm))
                      .arg(columns)
                      .arg(rows)
                      .arg(cellTexts.join(QStringLiteral(" | ")));
    if (area)
        out += QStringLiteral("area = %1 %2 %3 %4\n")
                   .arg(number(area->left()), number(area->top()), number(area->right()),
                        number(area->bottom()));
    return out;
}

void TabletMenu::placeAt(double x1, double y1, double x2, double y2) {
    area = QRectF(QPointF(std::min(x1, x2), std::min(y1, y2)),
                  QPointF(std::max(x1, x2), std::max(y1, y2)));
}

std::optional<int> TabletMenu::cellAt(double x, double y) const {
    if (!area ||
        !(x >= area->left() && x <= area->right() && y >= area->top() && y <= area->bottom()))
        return std::nullopt;
    // QRectF's top is the smaller Y; the printed top row lies at the larger one.
    const int column = std::min(columns - 1, int((x - area->left()) / area->width() * columns));
    const int rowFromTop = std::min(rows - 1, int((area->bottom() - y) / area->height() * rows));
    return rowFromTop * columns + column;
}

} // namespace digitrace
