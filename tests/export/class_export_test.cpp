// A classed trace written to DXF and the GIS formats, read back by real readers: ezdxf for the DXF,
// GDAL's OGR for the rest.

#include "export/dxf_class_layers.h"
#include "export/dxf_export.h"
#include "export/gis_export.h"
#include "tests/export/sample_traces.h"
#include "tests/support/files.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace digitrace {
namespace {

using test::readFile;
using test::writeFile;

TEST(DxfClassLayers, NamesAreMadeValid) {
    const struct {
        QString name;
        QString shown;
        QByteArray written;
    } rows[] = {
        {QStringLiteral("BLDG"), QStringLiteral("BLDG"), "BLDG"},
        {QStringLiteral("建物 2"), QStringLiteral("建物 2"), "\\U+5EFA\\U+7269 2"},
        {QStringLiteral("a<b>c/d\\e\"f:g;h?i*j|k=l`m,n"),
         QStringLiteral("a_b_c_d_e_f_g_h_i_j_k_l_m_n"), "a_b_c_d_e_f_g_h_i_j_k_l_m_n"},
        {QStringLiteral("  x\ty\r "), QStringLiteral("x_y"), "x_y"},
        {QString(40, u'L'), QString(31, u'L'), QByteArray(31, 'L')},
        {QString(30, u'L') + QStringLiteral(" M"), QString(30, u'L'), QByteArray(30, 'L')},
        {QStringLiteral("   "), QStringLiteral("_"), "_"},
        {QStringLiteral("\U0001F600"), QStringLiteral("_"), "_"},
    };
    for (const auto &row : rows) {
        const DxfLayerName name = dxfLayerName(row.name);
        EXPECT_EQ(name.shown, row.shown) << row.name.toStdString();
        EXPECT_EQ(name.written, row.written) << row.name.toStdString();
    }
}

TEST(DxfClassLayers, NearestColourIndex) {
    const struct {
        unsigned rgb;
        int index;
    } rows[] = {{0xff0000, 1}, {0xfe0101, 1},  {0x00ff00, 3},  {0x0000fe, 5},
                {0x808080, 8}, {0x7f3f3f, 15}, {0x000000, 250}};
    for (const auto &row : rows)
        EXPECT_EQ(nearestColourIndex(row.rgb), row.index) << std::hex << row.rgb;
}

// Classes that name one layer in two cases share it; names that become one when made valid, two
// layers; a layer the template has is used as it is, never declared twice.
TEST(DxfClassLayers, SharedRenamedAndTemplateLayers) {
    const std::optional<ClassCatalogue> catalogue = ClassCatalogue::read(QStringLiteral(R"(
[A]
kind = point
colour = #ff0000
layer = BLDG
[B]
kind = point
colour = #00ff00
layer = bldg
[C]
kind = point
layer = a/b
[D]
kind = point
layer = a:b
[E]
kind = point
colour = #0000ff
layer = _0-1_point
)"));
    ASSERT_TRUE(catalogue);
    const ClassedFeatures features = {{0, {QStringLiteral("A"), {}}},
                                      {1, {QStringLiteral("B"), {}}},
                                      {2, {QStringLiteral("D"), {}}},
                                      {3, {QStringLiteral("E"), {}}},
                                      {4, {QStringLiteral("Z"), {}}}};
    const DxfClassLayers layers =
        planDxfClassLayers(readFile(QStringLiteral(DIGITRACE_SOURCE_DIR "/export/DxfHead.txt")),
                           {&*catalogue, &features});
    ASSERT_TRUE(layers.error.isEmpty()) << layers.error.toStdString();
    EXPECT_EQ(layers.names, QList<QByteArray>({"BLDG", "a_b", "a_b_2", "_0-1_POINT"}));
    QHash<int, qsizetype> featureLayers;
    for (auto f = layers.features.cbegin(); f != layers.features.cend(); ++f)
        featureLayers.insert(f.key(), f->layer);
    EXPECT_EQ(featureLayers, (QHash<int, qsizetype>{{0, 0}, {1, 0}, {2, 2}, {3, 3}}));
    for (const QByteArray name : {"BLDG", "a_b", "a_b_2", "_0-1_POINT"})
        EXPECT_EQ(layers.head.count("LAYER\r\n  2\r\n" + name + "\r\n"), 1) << name.data();
    EXPECT_TRUE(layers.head.contains(" 70\r\n     6\r\n")); // the table's count: 3 and 3 more
    // B's colour, C and D renamed, E in the template's colour, Z unknown.
    EXPECT_EQ(layers.notes.size(), 5) << layers.notes.join(u'\n').toStdString();
}

QJsonObject readWithEzdxf(const QString &path) {
    QProcess reader;
    reader.start(QStringLiteral(DIGITRACE_PYTHON),
                 {QStringLiteral(DIGITRACE_SOURCE_DIR "/tests/export/read_dxf_layers.py"), path});
    if (!reader.waitForFinished(60000) || reader.exitCode() != 0)
        ADD_FAILURE() << reader.readAllStandardError().toStdString();
    return QJsonDocument::fromJson(reader.readAllStandardOutput()).object();
}

QByteArray builtInTemplate() {
    return readFile(QStringLiteral(DIGITRACE_SOURCE_DIR "/export/DxfHead.txt"));
}

// The layer each of the sample's classes goes on, as a reader shows it.
const std::map<QString, QString> kClassLayer = {
    {QStringLiteral("建物"), QStringLiteral("BLDG")},
    {QStringLiteral("等高線"), QStringLiteral("等高線")},
    {QStringLiteral("標高点"), QStringLiteral("spot-heights-for-the-whole-map-")},
    {QStringLiteral("危険/区域:\"A\""), QStringLiteral("危険_区域__A_")},
};

// Each template form takes the class layers with their colours; one that is no DXF header is
// refused and the file left as it was.
TEST(DxfClassExport, LayersAndColoursAsEzdxfReadsThem) {
    const QByteArray builtIn = builtInTemplate();
    const QByteArray section = "  0\r\nSECTION\r\n  2\r\n";
    const QByteArray entities = section + "ENTITIES\r\n";
    const QByteArray headerSection =
        builtIn.left(builtIn.indexOf(section + "TABLES")); // HEADER ... ENDSEC
    const QByteArray ltypeTable = builtIn.mid(builtIn.indexOf("  0\r\nTABLE\r\n"),
                                              builtIn.indexOf("  0\r\nTABLE\r\n  2\r\nLAYER") -
                                                  builtIn.indexOf("  0\r\nTABLE\r\n"));
    const struct {
        const char *name;
        QByteArray head;
        const char *refusal = nullptr;
    } rows[] = {
        {"built-in, a LAYER table", builtIn},
        {"line feeds alone", QByteArray(builtIn).replace("\r\n", "\n")},
        {"TABLES without a LAYER table",
         headerSection + section + "TABLES\r\n" + ltypeTable + "  0\r\nENDSEC\r\n" + entities},
        {"BLOCKS and no TABLES",
         headerSection + section + "BLOCKS\r\n  0\r\nENDSEC\r\n" + entities},
        {"no TABLES", headerSection + entities},
        {"no DXF at all", "MY HEADER\r\n", "1 行目がグループコードではありません"},
        {"no ENTITIES section", headerSection, "ENTITIES セクションの始まりがありません"},
    };
    const test::ClassedSample sample = test::classedSample();
    QTemporaryDir dir;
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const QString path = dir.filePath(QStringLiteral("classes.dxf"));
        writeFile(path, "earlier");
        const DxfExportResult written =
            exportDxf(sample.trace.model.store(), {row.head, {}}, path, sample.classes());
        if (row.refusal) {
            EXPECT_TRUE(written.error.contains(QString::fromUtf8(row.refusal)))
                << written.error.toStdString();
            EXPECT_EQ(readFile(path), "earlier");
            continue;
        }
        ASSERT_TRUE(written.ok()) << written.error.toStdString();
        const QJsonObject read = readWithEzdxf(path);
        EXPECT_EQ(read[u"problems"].toArray(), QJsonArray());

        const QJsonObject layers = read[u"layers"].toObject();
        const struct {
            QString layer;
            int index;
            QJsonValue rgb;
        } colours[] = {
            {QStringLiteral("BLDG"), 13, QJsonArray{208, 64, 64}},
            {QStringLiteral("等高線"), 3, QJsonArray{0, 255, 0}},
            {QStringLiteral("spot-heights-for-the-whole-map-"), 5, QJsonArray{0, 0, 254}},
            {QStringLiteral("危険_区域__A_"), 7, QJsonValue::Null},
        };
        for (const auto &c : colours) {
            EXPECT_EQ(layers[c.layer][u"color"].toInt(), c.index) << c.layer.toStdString();
            EXPECT_EQ(layers[c.layer][u"rgb"], c.rgb) << c.layer.toStdString();
        }

        QJsonArray expected;
        for (const test::Shape &shape : sample.trace.shapes) {
            const bool classed = !shape.className.isEmpty();
            const QString designed =
                shape.type == u"POINT" ? QStringLiteral("_0-1_POINT") : QStringLiteral("_0-2_LINE");
            expected.append(QJsonArray{shape.type,
                                       classed ? kClassLayer.at(shape.className) : designed,
                                       classed ? 256 : 7});
        }
        QJsonArray entities = read[u"entities"].toArray();
        QJsonArray xdata;
        for (QJsonValueRef entity : entities) {
            QJsonArray e = entity.toArray();
            xdata.append(e.size() > 3 ? e.takeAt(3) : QJsonValue());
            entity = e;
        }
        EXPECT_EQ(entities, expected);
        EXPECT_TRUE(read[u"appids"].toArray().contains(QStringLiteral("DIGITRACE")));
        // The class and values each entity of a classed feature carries, by entity.
        const struct {
            int entity;
            QJsonValue data;
        } carried[] = {
            {0, QJsonArray{QJsonArray{1000, "標高点"}, QJsonArray{1000, "標高"},
                           QJsonArray{1040, 12.5}}},
            {4, QJsonArray{QJsonArray{1000, "建物"}, QJsonArray{1000, "階数"}, QJsonArray{1070, 3},
                           QJsonArray{1000, "構造"}, QJsonArray{1000, "RC"},
                           QJsonArray{1000, "竣工"}, QJsonArray{1000, "2020-04-01"},
                           QJsonArray{1000, "kind"}, QJsonArray{1000, "木造住宅"}}},
            {5, QJsonValue()},
            {13,
             QJsonArray{QJsonArray{1000, "危険/区域:\"A\""}, QJsonArray{1000, "description_one"},
                        QJsonArray{1000, QString(36, u'あ')}, // 255 bytes of escapes at most
                        QJsonArray{1000, "description_two"}, QJsonArray{1070, 42},
                        QJsonArray{1000, "階数"}, QJsonArray{1000, "二階"}}},
        };
        for (const auto &c : carried)
            EXPECT_EQ(xdata[c.entity], c.data) << c.entity;
        const QString notes = written.notes.join(u'\n');
        EXPECT_TRUE(notes.contains(u"spot-heights-for-the-whole-map-")) << notes.toStdString();
        EXPECT_TRUE(notes.contains(u"危険_区域__A_")) << notes.toStdString();
        EXPECT_TRUE(notes.contains(u"拡張データ")) << notes.toStdString();
    }
}

struct CloseDataset {
    void operator()(GDALDataset *d) const { GDALClose(d); }
};
using Dataset = std::unique_ptr<GDALDataset, CloseDataset>;

// What a reader finds in a layer: its features' first slots, its columns' types, and the values
// by first slot and column ("" reads as no value).
struct LayerSeen {
    std::vector<int> firstSlots;
    std::map<std::string, std::string> types;
    std::map<int, std::map<std::string, std::optional<std::string>>> values;
};

std::string typeFamily(OGRFieldType type) {
    switch (type) {
    case OFTInteger:
    case OFTInteger64:
        return "integer";
    case OFTReal:
        return "real";
    case OFTDate:
        return "date";
    case OFTString:
        return "text";
    default:
        return OGRFieldDefn::GetFieldTypeName(type);
    }
}

std::map<std::string, LayerSeen> readLayers(const QStringList &files) {
    std::map<std::string, LayerSeen> seen;
    for (const QString &file : files) {
        if (!file.endsWith(u".shp") && !file.endsWith(u".gpkg") && !file.endsWith(u".geojson") &&
            !file.endsWith(u".csv"))
            continue;
        Dataset ds(GDALDataset::Open(file.toUtf8().constData(), GDAL_OF_VECTOR));
        if (!ds) {
            ADD_FAILURE() << "cannot open " << file.toStdString();
            continue;
        }
        for (OGRLayer *layer : ds->GetLayers()) {
            LayerSeen &l = seen[layer->GetName()];
            const OGRFeatureDefn *defn = layer->GetLayerDefn();
            for (int i = 0; i < defn->GetFieldCount(); ++i)
                l.types[defn->GetFieldDefn(i)->GetNameRef()] =
                    typeFamily(defn->GetFieldDefn(i)->GetType());
            for (const auto &f : *layer) {
                const int slot = f->GetFieldAsInteger("first_slot");
                l.firstSlots.push_back(slot);
                for (int i = 0; i < defn->GetFieldCount(); ++i) {
                    // Reals as numbers: a shapefile writes them with all its decimals.
                    const std::string text =
                        defn->GetFieldDefn(i)->GetType() == OFTReal
                            ? QString::number(f->GetFieldAsDouble(i)).toStdString()
                            : f->GetFieldAsString(i);
                    l.values[slot][defn->GetFieldDefn(i)->GetNameRef()] =
                        f->IsFieldSetAndNotNull(i) && !text.empty()
                            ? std::optional<std::string>(text)
                            : std::nullopt;
                }
            }
        }
    }
    return seen;
}

using Slots = std::vector<int>;
using Types = std::map<std::string, std::string>;

// The layers of a format with a layer a kind; a shapefile's names cut to ten bytes.
std::map<std::string, std::pair<Slots, Types>> layersPerKind(bool shapefile) {
    const Types building = {
        {"階数", "integer"}, {"構造", "text"}, {"竣工", "date"}, {"kind_2", "text"}};
    const Types hazard =
        shapefile
            ? Types{{"descriptio", "text"}, {"descript_2", "integer"}, {"階数", "text"}}
            : Types{{"description_one", "text"}, {"description_two", "integer"}, {"階数", "text"}};
    return {
        {"c_points", {{}, {}}},
        {"c_lines", {{}, {}}},
        {"c_polygons", {{6}, {}}},
        {"c_建物_polygons", {{1}, building}},
        {"c_建物_lines", {{13}, building}},
        {"c_等高線_lines", {{10, 16}, {{"標高", "real"}, {"注記", "text"}}}},
        {"c_標高点_points", {{0}, {{"標高", "real"}}}},
        {"c_危険_区域__A__points", {{18}, hazard}},
    };
}

// The one layer of the other formats: the class and the fields of every class, one column for
// the fields of one name and type.
std::map<std::string, std::pair<Slots, Types>> oneLayer() {
    return {{"c",
             {{0, 1, 6, 10, 13, 16, 18},
              {{"class", "text"},
               {"階数", "integer"},
               {"構造", "text"},
               {"竣工", "date"},
               {"kind_2", "text"},
               {"標高", "real"},
               {"注記", "text"},
               {"description_one", "text"},
               {"description_two", "integer"},
               {"階数_2", "text"}}}}};
}

TEST(GisClassExport, LayersTypesAndValuesAsGdalReadsThem) {
    const test::ClassedSample sample = test::classedSample();
    const struct {
        const char *file;
        const char *format;
        bool perKind;
        bool shapefile = false;
    } rows[] = {
        {"c.gpkg", "GPKG", true},
        {"c.shp", "ESRI Shapefile", true, true},
        {"c.geojson", "GeoJSON", false},
        {"c.csv", "CSV", false},
    };
    const std::optional<std::string> none;
    for (const auto &row : rows) {
        SCOPED_TRACE(row.format);
        QTemporaryDir dir;
        const GisExportOptions options{
            QString::fromLatin1(row.format), {std::nullopt, 1000}, {}, sample.classes()};
        const GisExportResult written =
            exportGis(sample.trace.model.store(), options, dir.filePath(QLatin1String(row.file)));
        ASSERT_TRUE(written.ok()) << written.result.error.toStdString();
        const std::map<std::string, LayerSeen> seen = readLayers(written.files);

        const auto expected = row.perKind ? layersPerKind(row.shapefile) : oneLayer();
        ASSERT_EQ(seen.size(), expected.size());
        for (const auto &[name, want] : expected) {
            ASSERT_TRUE(seen.count(name)) << name;
            const LayerSeen &layer = seen.at(name);
            EXPECT_EQ(layer.firstSlots, want.first) << name;
            for (const auto &[column, type] : want.second)
                EXPECT_EQ(layer.types.count(column) ? layer.types.at(column) : "missing", type)
                    << name << " " << column;
        }

        const std::string building = row.perKind ? "c_建物_polygons" : "c";
        const std::string contours = row.perKind ? "c_等高線_lines" : "c";
        const std::string hazard = row.perKind ? "c_危険_区域__A__points" : "c";
        const std::string hazardText = row.shapefile ? "descriptio" : "description_one";
        const std::string hazardFloors = row.perKind ? "階数" : "階数_2";
        const struct {
            std::string layer;
            int slot;
            std::string column;
            std::optional<std::string> value;
        } values[] = {
            {building, 1, "階数", "3"},
            {building, 1, "構造", "RC"},
            {building, 1, "竣工", "2020/04/01"},
            {building, 1, "kind_2", "木造住宅"},
            {building, 1, "kind", "polygon"},
            {contours, 10, "標高", "105"},
            {contours, 10, "注記", "主曲線"},
            {contours, 16, "標高", none},
            {hazard, 18, hazardFloors, "二階"},
            {hazard, 18, hazardText, QString(row.shapefile ? 84 : 300, u'あ').toStdString()},
        };
        for (const auto &v : values) {
            const auto &byColumn = seen.at(v.layer).values.at(v.slot);
            EXPECT_EQ(byColumn.count(v.column) ? byColumn.at(v.column) : "missing", v.value)
                << v.layer << " " << v.slot << " " << v.column;
        }
        if (!row.perKind) {
            const auto &all = seen.at("c").values;
            EXPECT_EQ(all.at(0).at("class"), "標高点");
            EXPECT_EQ(all.at(6).at("class"), none);
            EXPECT_EQ(all.at(0).at("階数"), none);
            EXPECT_EQ(all.at(0).at("標高"), "12.5");
        }

        const QString notes = written.notes.join(u'\n');
        EXPECT_TRUE(notes.contains(u"kind_2")) << notes.toStdString();
        if (row.shapefile) {
            EXPECT_TRUE(notes.contains(u"descript_2")) << notes.toStdString();
            EXPECT_TRUE(notes.contains(u"254")) << notes.toStdString();
        }
    }
}

// A class's name of any length makes a shapefile whose file name a file system takes, beside a
// long name asked for.
TEST(GisClassExport, LongClassNamesFitAFileName) {
    const test::SampleTrace sample = test::workedExample();
    const QString name = QString(200, u'x');
    const std::optional<ClassCatalogue> catalogue =
        ClassCatalogue::read(u'[' + name + QStringLiteral("]\nkind = point\n"));
    ASSERT_TRUE(catalogue);
    const ClassedFeatures features = {{0, {name, {}}}};
    QTemporaryDir dir;
    const GisExportOptions options{
        QStringLiteral("ESRI Shapefile"), {std::nullopt, 1000}, {}, {&*catalogue, &features}};
    const GisExportResult written = exportGis(
        sample.model.store(), options, dir.filePath(QString(150, u'b') + QStringLiteral(".shp")));
    ASSERT_TRUE(written.ok()) << written.result.error.toStdString();
    const QStringList points = written.files.filter(QStringLiteral("_points.shp"));
    ASSERT_EQ(points.size(), 2);
    EXPECT_EQ(readLayers(points).size(), 2u);
}

// GDAL's DXF driver takes no classes: the export says so, and where they go instead, and
// nothing of columns it does not have.
TEST(GisClassExport, DxfThroughGdalTellsThatItHoldsNoClasses) {
    const test::ClassedSample sample = test::classedSample();
    QTemporaryDir dir;
    const GisExportOptions options{
        QStringLiteral("DXF"), {std::nullopt, 1000}, {}, sample.classes()};
    const GisExportResult written =
        exportGis(sample.trace.model.store(), options, dir.filePath(QStringLiteral("c.dxf")));
    ASSERT_TRUE(written.ok()) << written.result.error.toStdString();
    ASSERT_EQ(written.notes.size(), 1) << written.notes.join(u'\n').toStdString();
    EXPECT_TRUE(written.notes[0].contains(u"DXF出力で")) << written.notes[0].toStdString();
}

} // namespace
} // namespace digitrace
