#include "registration/control_points_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>
#include <QStringList>

#include <cmath>
#include <optional>

namespace digitrace {

namespace {

// One CSV line's fields; quotes may wrap a field and "" inside them stands for one quote.
QStringList splitFields(const QString &line) {
    QStringList fields;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted) {
            if (c == u'"' && i + 1 < line.size() && line[i + 1] == u'"')
                field += line[++i];
            else if (c == u'"')
                quoted = false;
            else
                field += c;
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            fields << field;
            field.clear();
        } else {
            field += c;
        }
    }
    fields << field;
    return fields;
}

QString quoted(const QString &name) {
    if (!name.contains(u',') && !name.contains(u'"'))
        return name;
    QString text = name;
    return u'"' + text.replace(QStringLiteral("\""), QStringLiteral("\"\"")) + u'"';
}

QString headerFor(MapColumns columns) {
    switch (columns) {
    case MapColumns::XY:
        break;
    case MapColumns::EastNorth:
        return QStringLiteral("name,tablet_x,tablet_y,map_east,map_north,used");
    case MapColumns::NorthEast:
        return QStringLiteral("name,tablet_x,tablet_y,map_north,map_east,used");
    }
    return kControlPointsHeader;
}

std::optional<MapColumns> columnsForHeader(const QString &header) {
    for (const MapColumns columns : {MapColumns::XY, MapColumns::EastNorth, MapColumns::NorthEast})
        if (header == headerFor(columns))
            return columns;
    return std::nullopt;
}

QString number(double v) {
    // The shortest text that reads back as the same double.
    return QString::number(v, 'f', QLocale::FloatingPointShortest);
}

} // namespace

ControlPointsRead parseControlPoints(const QByteArray &text, const QString &fileName) {
    ControlPointsRead read;
    QStringList lines = QString::fromUtf8(text).split(u'\n');
    const QString where = QDir::toNativeSeparators(fileName);
    // Spreadsheets save CSV with a byte order mark.
    if (lines[0].startsWith(QChar(0xfeff)))
        lines[0].remove(0, 1);
    const std::optional<MapColumns> columns = columnsForHeader(lines[0].trimmed());
    if (!columns) {
        read.error =
            QCoreApplication::translate("digitrace::ControlPoints",
                                        "基準点ファイル %1 の1行目が見出し \"%2\" ではありません。")
                .arg(where, kControlPointsHeader);
        return read;
    }
    read.columns = *columns;
    for (qsizetype n = 1; n < lines.size(); ++n) {
        if (lines[n].size() > kLongestControlPointsLine) {
            read.error = QCoreApplication::translate("digitrace::ControlPoints",
                                                     "基準点ファイル %1 の%2行目が長すぎます"
                                                     "（%3文字まで）。")
                             .arg(where)
                             .arg(n + 1)
                             .arg(kLongestControlPointsLine);
            read.points.clear();
            return read;
        }
        const QString line = lines[n].trimmed();
        if (line.isEmpty())
            continue;
        const QStringList f = splitFields(line);
        ControlPoint p;
        bool ok = f.size() == 6;
        double *targets[] = {&p.tabletX, &p.tabletY, &p.mapX, &p.mapY};
        for (int i = 0; ok && i < 4; ++i) {
            // QString::toDouble reads '.' whatever the user's locale.
            *targets[i] = f[i + 1].trimmed().toDouble(&ok);
            ok = ok && std::isfinite(*targets[i]);
        }
        const QString used = ok ? f[5].trimmed() : QString();
        ok = ok && (used == u"1" || used == u"0");
        if (!ok) {
            read.error = QCoreApplication::translate(
                             "digitrace::ControlPoints",
                             "基準点ファイル %1 の%2行目が読めません: 名前、タブレットX、"
                             "タブレットY、地図X、地図Y、使用(1か0)の6項目が必要です。")
                             .arg(where)
                             .arg(n + 1);
            read.points.clear();
            return read;
        }
        if (read.columns == MapColumns::NorthEast)
            std::swap(p.mapX, p.mapY);
        p.name = f[0].trimmed();
        p.used = used == u"1";
        read.points.push_back(p);
    }
    return read;
}

QByteArray formatControlPoints(const std::vector<ControlPoint> &points, MapColumns columns) {
    QString text = headerFor(columns) + u'\n';
    const bool northFirst = columns == MapColumns::NorthEast;
    for (const ControlPoint &p : points)
        text += QStringList{quoted(p.name),
                            number(p.tabletX),
                            number(p.tabletY),
                            number(northFirst ? p.mapY : p.mapX),
                            number(northFirst ? p.mapX : p.mapY),
                            p.used ? QStringLiteral("1") : QStringLiteral("0")}
                    .join(u',') +
                u'\n';
    return text.toUtf8();
}

ControlPointsRead loadControlPoints(const QString &path) {
    const QString where = QDir::toNativeSeparators(path);
    ControlPointsRead read;
    // A device or a pipe would be read for ever, or block.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        read.error =
            QCoreApplication::translate("digitrace::ControlPoints",
                                        "基準点ファイル %1 は通常のファイルではありません。")
                .arg(where);
        return read;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        read.error = QCoreApplication::translate("digitrace::ControlPoints",
                                                 "基準点ファイル %1 を開けません: %2")
                         .arg(where, file.errorString());
        return read;
    }
    const QByteArray text = file.read(kLargestControlPointsFile + 1);
    if (file.error() != QFileDevice::NoError) {
        read.error = QCoreApplication::translate("digitrace::ControlPoints",
                                                 "基準点ファイル %1 を読めません: %2")
                         .arg(where, file.errorString());
        return read;
    }
    if (text.size() > kLargestControlPointsFile) {
        read.error = QCoreApplication::translate("digitrace::ControlPoints",
                                                 "基準点ファイル %1 は大きすぎます（%2 KiBまで）。")
                         .arg(where)
                         .arg(kLargestControlPointsFile / 1024);
        return read;
    }
    return parseControlPoints(text, path);
}

QString saveControlPoints(const std::vector<ControlPoint> &points, const QString &path,
                          MapColumns columns) {
    const QByteArray bytes = formatControlPoints(points, columns);
    // A file that could not be read back is not written.
    for (const QString &line : QString::fromUtf8(bytes).split(u'\n'))
        if (line.size() > kLongestControlPointsLine)
            return QCoreApplication::translate("digitrace::ControlPoints",
                                               "基準点ファイル %1 を保存できません: 1行が%2文字を"
                                               "超えます。基準点の名前を短くしてください。")
                .arg(QDir::toNativeSeparators(path))
                .arg(kLongestControlPointsLine);
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return {};
    return QCoreApplication::translate("digitrace::ControlPoints",
                                       "基準点ファイル %1 を保存できません: %2")
        .arg(QDir::toNativeSeparators(path), file.errorString());
}

} // namespace digitrace
