#include "export/dxf_class_layers.h"

#include "classes/class_catalogue.h"
#include "export/dxf_xdata.h"

#include <QCoreApplication>

#include <array>
#include <map>
#include <optional>

namespace digitrace {
namespace {

// The colours a reader without true colour shows for indices 0 to 255 (0 and 256 mean "by block"
// and "by layer", and name no colour of their own).
constexpr std::array<unsigned, 256> kColourIndex = {
    0x000000, 0xff0000, 0xffff00, 0x00ff00, 0x00ffff, 0x0000ff, 0xff00ff, 0xffffff, 0x808080,
    0xc0c0c0, 0xff0000, 0xff7f7f, 0xa50000, 0xa55252, 0x7f0000, 0x7f3f3f, 0x4c0000, 0x4c2626,
    0x260000, 0x261313, 0xff3f00, 0xff9f7f, 0xa52900, 0xa56752, 0x7f1f00, 0x7f4f3f, 0x4c1300,
    0x4c2f26, 0x260900, 0x261713, 0xff7f00, 0xffbf7f, 0xa55200, 0xa57c52, 0x7f3f00, 0x7f5f3f,
    0x4c2600, 0x4c3926, 0x261300, 0x261c13, 0xffbf00, 0xffdf7f, 0xa57c00, 0xa59152, 0x7f5f00,
    0x7f6f3f, 0x4c3900, 0x4c4226, 0x261c00, 0x262113, 0xffff00, 0xffff7f, 0xa5a500, 0xa5a552,
    0x7f7f00, 0x7f7f3f, 0x4c4c00, 0x4c4c26, 0x262600, 0x262613, 0xbfff00, 0xdfff7f, 0x7ca500,
    0x91a552, 0x5f7f00, 0x6f7f3f, 0x394c00, 0x424c26, 0x1c2600, 0x212613, 0x7fff00, 0xbfff7f,
    0x52a500, 0x7ca552, 0x3f7f00, 0x5f7f3f, 0x264c00, 0x394c26, 0x132600, 0x1c2613, 0x3fff00,
    0x9fff7f, 0x29a500, 0x67a552, 0x1f7f00, 0x4f7f3f, 0x134c00, 0x2f4c26, 0x092600, 0x172613,
    0x00ff00, 0x7fff7f, 0x00a500, 0x52a552, 0x007f00, 0x3f7f3f, 0x004c00, 0x264c26, 0x002600,
    0x132613, 0x00ff3f, 0x7fff9f, 0x00a529, 0x52a567, 0x007f1f, 0x3f7f4f, 0x004c13, 0x264c2f,
    0x002609, 0x135817, 0x00ff7f, 0x7fffbf, 0x00a552, 0x52a57c, 0x007f3f, 0x3f7f5f, 0x004c26,
    0x264c39, 0x002613, 0x13581c, 0x00ffbf, 0x7fffdf, 0x00a57c, 0x52a591, 0x007f5f, 0x3f7f6f,
    0x004c39, 0x264c42, 0x00261c, 0x135858, 0x00ffff, 0x7fffff, 0x00a5a5, 0x52a5a5, 0x007f7f,
    0x3f7f7f, 0x004c4c, 0x264c4c, 0x002626, 0x135858, 0x00bfff, 0x7fdfff, 0x007ca5, 0x5291a5,
    0x005f7f, 0x3f6f7f, 0x00394c, 0x26427e, 0x001c26, 0x135858, 0x007fff, 0x7fbfff, 0x0052a5,
    0x527ca5, 0x003f7f, 0x3f5f7f, 0x00264c, 0x26397e, 0x001326, 0x131c58, 0x003fff, 0x7f9fff,
    0x0029a5, 0x5267a5, 0x001f7f, 0x3f4f7f, 0x00134c, 0x262f7e, 0x000926, 0x131758, 0x0000ff,
    0x7f7fff, 0x0000a5, 0x5252a5, 0x00007f, 0x3f3f7f, 0x00004c, 0x26267e, 0x000026, 0x131358,
    0x3f00ff, 0x9f7fff, 0x2900a5, 0x6752a5, 0x1f007f, 0x4f3f7f, 0x13004c, 0x2f267e, 0x090026,
    0x171358, 0x7f00ff, 0xbf7fff, 0x5200a5, 0x7c52a5, 0x3f007f, 0x5f3f7f, 0x26004c, 0x39267e,
    0x130026, 0x1c1358, 0xbf00ff, 0xdf7fff, 0x7c00a5, 0x9152a5, 0x5f007f, 0x6f3f7f, 0x39004c,
    0x42264c, 0x1c0026, 0x581358, 0xff00ff, 0xff7fff, 0xa500a5, 0xa552a5, 0x7f007f, 0x7f3f7f,
    0x4c004c, 0x4c264c, 0x260026, 0x581358, 0xff00bf, 0xff7fdf, 0xa5007c, 0xa55291, 0x7f005f,
    0x7f3f6f, 0x4c0039, 0x4c2642, 0x26001c, 0x581358, 0xff007f, 0xff7fbf, 0xa50052, 0xa5527c,
    0x7f003f, 0x7f3f5f, 0x4c0026, 0x4c2639, 0x260013, 0x58131c, 0xff003f, 0xff7f9f, 0xa50029,
    0xa55267, 0x7f001f, 0x7f3f4f, 0x4c0013, 0x4c262f, 0x260009, 0x581317, 0x000000, 0x656565,
    0x666666, 0x999999, 0xcccccc, 0xffffff};

// What the designed layers are drawn in, and a class without a colour of its own.
constexpr int kWhite = 7;

bool sameName(const QString &a, const QString &b) {
    // Readers find layers whatever the case.
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// A name as written in a template: its \U+XXXX escapes read, other bytes as Latin-1.
QString readName(QByteArrayView written) {
    QString name;
    for (qsizetype i = 0; i < written.size(); ++i) {
        bool ok = false;
        const uint code = i + 7 <= written.size() && written.sliced(i, 3) == "\\U+"
                              ? written.sliced(i + 3, 4).toByteArray().toUInt(&ok, 16)
                              : 0;
        if (ok) {
            name += QChar(char16_t(code));
            i += 6;
        } else {
            name += QLatin1Char(written[i]);
        }
    }
    return name;
}

QByteArray groupLine(int code) {
    return QByteArray::number(code).rightJustified(3, ' ');
}

QByteArray integerLine(int value) {
    return QByteArray::number(value).rightJustified(6, ' ');
}

struct ClassLayer {
    DxfLayerName name;
    QString colour; // "#rrggbb" or ""
    bool declared;  // false for a layer the template declares already
};

// One LAYER table entry, as the template writes its own.
void appendEntry(QList<QByteArray> &lines, const ClassLayer &layer) {
    const bool coloured = !layer.colour.isEmpty();
    const unsigned rgb = coloured ? layer.colour.sliced(1).toUInt(nullptr, 16) : 0;
    lines << groupLine(0) << "LAYER" << groupLine(2) << layer.name.written << groupLine(70)
          << integerLine(0) << groupLine(62)
          << integerLine(coloured ? nearestColourIndex(rgb) : kWhite);
    if (coloured)
        lines << groupLine(420) << QByteArray::number(rgb);
    lines << groupLine(6) << "CONTINUOUS";
}

// A table of the template's TABLES section.
struct TablePlace {
    qsizetype end = -1;        // the line of its ENDTAB
    qsizetype count = -1;      // the line of its entry count
    QList<DxfLayerName> names; // its entries' names, as the template writes them
};

// Where the template can take the layers, read from its group codes up to ENTITIES.
struct HeaderPlaces {
    QHash<QByteArray, TablePlace> tables; // by table name: LAYER, APPID, ...
    qsizetype tablesEnd = -1;             // the line of the TABLES section's ENDSEC
    qsizetype blocksStart = -1;
    qsizetype entitiesStart = -1;
    QString error;
};

HeaderPlaces readHeader(const QList<QByteArrayView> &lines) {
    HeaderPlaces places;
    auto code = [&](qsizetype line) {
        bool ok = false;
        const int value = lines[line].trimmed().toByteArray().toInt(&ok);
        return ok ? std::optional<int>(value) : std::nullopt;
    };
    auto value = [&](qsizetype line) { return lines[line].trimmed(); };
    auto pairIs = [&](qsizetype line, int wanted, QByteArrayView text) {
        return line + 1 < lines.size() && code(line) == wanted && value(line + 1) == text;
    };
    QByteArrayView section;
    TablePlace *table = nullptr; // the one being read
    QByteArray tableName;
    for (qsizetype i = 0; i < lines.size(); i += 2) {
        if (!code(i)) {
            places.error = QCoreApplication::translate("digitrace::DxfExport",
                                                       "%1 行目がグループコードではありません")
                               .arg(i + 1);
            return places;
        }
        if (i + 1 == lines.size())
            break;
        if (pairIs(i, 0, "SECTION") && i + 3 < lines.size() && code(i + 2) == 2) {
            section = value(i + 3);
            if (section == "ENTITIES") {
                places.entitiesStart = i;
                return places;
            }
            if (section == "BLOCKS" && places.blocksStart < 0)
                places.blocksStart = i;
        } else if (pairIs(i, 0, "ENDSEC")) {
            if (section == "TABLES" && places.tablesEnd < 0)
                places.tablesEnd = i;
            section = {};
        } else if (section == "TABLES" && pairIs(i, 0, "TABLE") && i + 3 < lines.size() &&
                   code(i + 2) == 2) {
            tableName = value(i + 3).toByteArray();
            // A second table of one name is left as it is.
            table = places.tables.contains(tableName) ? nullptr : &places.tables[tableName];
            if (table && i + 5 < lines.size() && code(i + 4) == 70)
                table->count = i + 5;
        } else if (table && pairIs(i, 0, "ENDTAB")) {
            table->end = i;
            table = nullptr;
        } else if (table && pairIs(i, 0, tableName) && i + 3 < lines.size() && code(i + 2) == 2) {
            table->names.append({readName(value(i + 3)), value(i + 3).toByteArray()});
        }
    }
    places.error = QCoreApplication::translate("digitrace::DxfExport",
                                               "ENTITIES セクションの始まりがありません");
    return places;
}

// The class layers in catalogue order, a layer a distinct `layer` setting.
struct LayerPlan {
    QList<ClassLayer> layers;
    QHash<QString, qsizetype> byClass;
    QStringList notes;
};

LayerPlan planLayers(const ClassCatalogue &catalogue, const QList<DxfLayerName> &declared) {
    LayerPlan plan;
    QHash<QString, qsizetype> bySetting; // case-folded: readers find layers whatever the case
    auto taken = [&](const QString &name) {
        for (const DxfLayerName &d : declared)
            if (sameName(d.shown, name))
                return true;
        for (const ClassLayer &l : std::as_const(plan.layers))
            if (sameName(l.name.shown, name))
                return true;
        return false;
    };
    for (const FeatureClass &c : catalogue.classes()) {
        const QString setting = c.layer.isEmpty() ? c.name : c.layer;
        if (const auto shared = bySetting.constFind(setting.toCaseFolded());
            shared != bySetting.cend()) {
            plan.byClass.insert(c.name, *shared);
            const ClassLayer &layer = plan.layers[*shared];
            if (layer.declared && layer.colour != c.colour)
                plan.notes << QCoreApplication::translate(
                                  "digitrace::DxfExport",
                                  "クラス %1 は層 %2 を先のクラスと共有するため、層の色は先のクラス"
                                  "のものです")
                                  .arg(c.name, layer.name.shown);
            continue;
        }
        DxfLayerName name = dxfLayerName(setting);
        bool inTemplate = false;
        for (const DxfLayerName &d : declared)
            if (!inTemplate && sameName(d.shown, name.shown)) {
                // Its own spelling, for readers that do mind the case.
                name = d;
                inTemplate = true;
            }
        for (int n = 2; !inTemplate && taken(name.shown); ++n) {
            const QString suffix = u'_' + QString::number(n);
            name = dxfLayerName(
                dxfLayerName(setting).shown.left(kDxfLayerNameChars - suffix.size()) + suffix);
        }
        if (!inTemplate && name.shown != setting)
            plan.notes << QCoreApplication::translate("digitrace::DxfExport",
                                                      "クラス %1 の層 %2 は、DXFの層名に使えない"
                                                      "文字、長さ、他の層との重なりのため %3 "
                                                      "として出力しました")
                              .arg(c.name, setting, name.shown);
        if (inTemplate && !c.colour.isEmpty())
            plan.notes << QCoreApplication::translate(
                              "digitrace::DxfExport",
                              "層 %1 はテンプレートにあるため、クラス %2 の色ではなくテンプレートの"
                              "定義で出力します")
                              .arg(name.shown, c.name);
        bySetting.insert(setting.toCaseFolded(), plan.layers.size());
        plan.byClass.insert(c.name, plan.layers.size());
        plan.layers.append({name, c.colour, !inTemplate});
    }
    return plan;
}

} // namespace

QList<QByteArrayView> dxfTemplateLines(QByteArrayView bytes) {
    QList<QByteArrayView> lines;
    const char lineEnd = bytes.contains('\r') ? '\r' : '\n';
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf(lineEnd, start);
        if (end < 0)
            end = bytes.size();
        lines.append(bytes.sliced(start, end - start));
        start = end + 1;
        if (lineEnd == '\r' && start < bytes.size() && bytes[start] == '\n')
            ++start;
    }
    return lines;
}

DxfLayerName dxfLayerName(const QString &name) {
    static const QString forbidden = QStringLiteral("<>/\\\":;?*|=`,");
    QString shown;
    for (const char32_t c : name.trimmed().toUcs4()) {
        const bool control = c < 0x20 || (c >= 0x7f && c < 0xa0);
        const bool unnamed = c > 0xffff || (c >= 0xd800 && c < 0xe000);
        shown += control || unnamed || forbidden.contains(QChar(char16_t(c))) ? QChar(u'_')
                                                                              : QChar(char16_t(c));
    }
    shown = shown.left(kDxfLayerNameChars).trimmed();
    if (shown.isEmpty())
        shown = QStringLiteral("_");
    QByteArray written;
    for (const QChar c : std::as_const(shown)) {
        if (c.unicode() < 0x80)
            written += char(c.unicode());
        else
            written +=
                "\\U+" + QByteArray::number(c.unicode(), 16).toUpper().rightJustified(4, '0');
    }
    return {shown, written};
}

int nearestColourIndex(unsigned rgb) {
    auto distance = [rgb](unsigned other) {
        int sum = 0;
        for (int shift : {16, 8, 0}) {
            const int d = int((rgb >> shift) & 0xff) - int((other >> shift) & 0xff);
            sum += d * d;
        }
        return sum;
    };
    int best = 1;
    for (int i = 2; i < int(kColourIndex.size()); ++i)
        if (distance(kColourIndex[std::size_t(i)]) < distance(kColourIndex[std::size_t(best)]))
            best = i;
    return best;
}

DxfClassLayers planDxfClassLayers(QByteArrayView templateBytes, const TraceClasses &classes) {
    DxfClassLayers out;
    const QList<QByteArrayView> lines = dxfTemplateLines(templateBytes);
    const HeaderPlaces places = readHeader(lines);
    if (places.entitiesStart < 0) {
        out.error = QCoreApplication::translate("digitrace::DxfExport",
                                                "テンプレートにクラスの層を加えられません: %1")
                        .arg(places.error);
        return out;
    }
    const LayerPlan plan = planLayers(*classes.catalogue, places.tables.value("LAYER").names);

    // What goes before which line of the template, and the entry counts that grow.
    std::map<qsizetype, QList<QByteArray>> inserted;
    QHash<qsizetype, int> added;
    QList<QByteArray> newTables; // for a TABLES section of its own
    auto addEntries = [&](const QByteArray &table, const QList<QByteArray> &entries, int count) {
        const TablePlace place = places.tables.value(table);
        if (place.end >= 0) {
            inserted[place.end] += entries;
            added[place.count] += count;
            return;
        }
        const QList<QByteArray> whole =
            QList<QByteArray>{groupLine(0), "TABLE",       groupLine(2),
                              table,        groupLine(70), integerLine(count)} +
            entries + QList<QByteArray>{groupLine(0), "ENDTAB"};
        if (places.tablesEnd >= 0)
            inserted[places.tablesEnd] += whole;
        else
            newTables += whole;
    };
    QList<QByteArray> layerEntries;
    int layerCount = 0;
    for (const ClassLayer &layer : plan.layers)
        if (layer.declared) {
            appendEntry(layerEntries, layer);
            ++layerCount;
        }
    addEntries("LAYER", layerEntries, layerCount);
    bool appIdDeclared = false;
    for (const DxfLayerName &name : places.tables.value("APPID").names)
        appIdDeclared = appIdDeclared || sameName(name.shown, QLatin1String(kDxfAppId));
    if (!appIdDeclared)
        addEntries("APPID",
                   {groupLine(0), "APPID", groupLine(2), kDxfAppId, groupLine(70), integerLine(0)},
                   1);
    if (!newTables.isEmpty())
        inserted[places.blocksStart >= 0 ? places.blocksStart : places.entitiesStart] +=
            QList<QByteArray>{groupLine(0), "SECTION", groupLine(2), "TABLES"} + newTables +
            QList<QByteArray>{groupLine(0), "ENDSEC"};

    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (const auto before = inserted.find(i); before != inserted.end())
            for (const QByteArray &line : std::as_const(before->second))
                out.head += line + "\r\n";
        bool ok = false;
        const int count = lines[i].trimmed().toByteArray().toInt(&ok);
        if (added.contains(i) && ok)
            out.head += integerLine(count + added.value(i));
        else
            out.head += lines[i];
        out.head += "\r\n";
    }

    for (const ClassLayer &layer : plan.layers)
        out.names << layer.name.written;
    int unknown = 0;
    int cut = 0;
    for (auto f = classes.features->cbegin(); f != classes.features->cend(); ++f) {
        const auto layer = plan.byClass.constFind(f->className);
        if (layer == plan.byClass.cend()) {
            ++unknown;
            continue;
        }
        const FeatureClass &featureClass = *classes.catalogue->find(f->className);
        out.features.insert(f.key(), {*layer, dxfAttributes(featureClass, f->values, cut)});
    }
    out.notes = plan.notes;
    if (cut > 0)
        out.notes << QCoreApplication::translate(
                         "digitrace::DxfExport",
                         "図形の属性のうち %1 個は、DXFの拡張データに入る長さに切り詰めたか、"
                         "入らないため省きました（GIS出力には全て出ます）")
                         .arg(cut);
    if (unknown > 0)
        out.notes
            << QCoreApplication::translate(
                   "digitrace::DxfExport",
                   "クラス一覧にないクラスの図形 %1 個は、クラスのない図形と同じ層に出力しました")
                   .arg(unknown);
    return out;
}

} // namespace digitrace
