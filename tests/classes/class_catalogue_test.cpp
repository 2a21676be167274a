#include "classes/class_catalogue.h"

#include <gtest/gtest.h>

namespace digitrace {
namespace {

const QString kSample = QStringLiteral(R"(# a comment
[建物]                 # the class name
kind = polygon         # point, line or polygon
colour = #D04040       # how its features are drawn
layer = BLDG
button = 5
field = 階数 integer default 1
field = 構造 choice 木造|鉄骨|RC default 木造 required
[等高線]
kind = line
field = 標高 real default 100 step 5   # stepped
field = 注記 text
field = 測量日 date default 2026-12-08
)");

TEST(ClassCatalogue, ReadsTheClassesTheirFieldsAndDefaults) {
    ClassCatalogue::Error error;
    const std::optional<ClassCatalogue> catalogue = ClassCatalogue::read(kSample, &error);
    ASSERT_TRUE(catalogue) << error.text().toStdString();
    ASSERT_EQ(catalogue->classes().size(), 2);
    const FeatureClass &building = catalogue->classes()[0];
    EXPECT_EQ(building.kind, ClassKind::Polygon);
    EXPECT_EQ(building.colour, QStringLiteral("#d04040"));
    EXPECT_EQ(building.layer, QStringLiteral("BLDG"));
    EXPECT_EQ(building.button, 5);
    ASSERT_EQ(building.fields.size(), 2);
    EXPECT_EQ(building.fields[0].defaultValue, QVariant(qlonglong(1)));
    EXPECT_EQ(building.fields[1].choices, (QStringList{"木造", "鉄骨", "RC"}));
    EXPECT_TRUE(building.fields[1].required);
    const FeatureClass &contour = catalogue->classes()[1];
    EXPECT_EQ(contour.layer, QStringLiteral("等高線")) << "the layer defaults to the name";
    EXPECT_EQ(contour.fields[0].step, 5);
    EXPECT_EQ(contour.fields[0].defaultValue, QVariant(100.0));
    EXPECT_EQ(contour.fields[2].defaultValue, QVariant(QDate(2026, 12, 8)));
    EXPECT_EQ(catalogue->forButton(5), &building);
    EXPECT_EQ(&catalogue->next(contour.name), &building);
    EXPECT_EQ(catalogue->text(), kSample);
}

// A catalogue that does not read changes nothing: the error names the line and the reason.
TEST(ClassCatalogue, RefusesWhatDoesNotReadNamingTheLine) {
    const struct {
        const char *text;
        int line;
        const char *reason; // a part of the reason
    } rows[] = {
        {"", 0, "クラスが一つもありません"},
        {"kind = line\n", 1, "より前"},
        {"[a]\nkind = line\n[a]\nkind = point\n", 3, "二度"},
        {"[a]\n\nfield = x text\n", 1, "kind がありません"},
        {"[a]\nkind = curve\n", 2, "point、line、polygon"},
        {"[a]\nkind = line\nkind = point\n", 3, "二度"},
        {"[a]\nkind = line\ncolour = red\n", 3, "#rrggbb"},
        {"[a]\nkind = line\nbutton = 10\n", 3, "3 から 9"},
        {"[a]\nkind = line\nbutton = 2\n", 3, "2 は頂点"},
        {"[a]\nkind = line\nbutton = 4\n[b]\nkind = line\nbutton = 4\n", 6, "クラス a"},
        {"[a]\nkind = line\nshape = round\n", 3, "知らないキー shape"},
        {"[a]\nkind = line\nfield = x\n", 3, "名前と型"},
        {"[a]\nkind = line\nfield = x number\n", 3, "型 number"},
        {"[a]\nkind = line\nfield = x choice\n", 3, "値|値"},
        {"[a]\nkind = line\nfield = x choice a||b\n", 3, "空"},
        {"[a]\nkind = line\nfield = x choice a|b default c\n", 3, "既定値 c"},
        {"[a]\nkind = line\nfield = x integer default 1.5\n", 3, "既定値 1.5"},
        {"[a]\nkind = line\nfield = x date default 2026-13-01\n", 3, "既定値"},
        {"[a]\nkind = line\nfield = x text step 5\n", 3, "step"},
        {"[a]\nkind = line\nfield = x integer step 0.5\n", 3, "step"},
        {"[a]\nkind = line\nfield = x real step -1\n", 3, "step"},
        {"[a]\nkind = line\nfield = x text colour\n", 3, "colour"},
        {"[a]\nkind = line\nfield = x text\nfield = x real\n", 4, "欄 x"},
        {"[a\nkind = line\n", 1, "[名前]"},
        {"[a]\nkind line\n", 2, "キー = 値"},
    };
    for (const auto &row : rows) {
        ClassCatalogue::Error error;
        EXPECT_FALSE(ClassCatalogue::read(QString::fromUtf8(row.text), &error)) << row.text;
        EXPECT_EQ(error.line, row.line) << row.text;
        EXPECT_TRUE(error.reason.contains(QString::fromUtf8(row.reason)))
            << row.text << " -> " << error.reason.toStdString();
    }
}

TEST(ClassCatalogue, ReadsValuesAsTheFieldsType) {
    const ClassField choice{"c", ClassField::Type::Choice, {"a", "b"}, {}, 0, false};
    const ClassField integer{"i", ClassField::Type::Integer, {}, {}, 1, false};
    const struct {
        const ClassField &field;
        const char *text;
        std::optional<QVariant> value;
    } rows[] = {
        {choice, "b", QVariant(QStringLiteral("b"))},
        {choice, "z", std::nullopt},
        {integer, "-3", QVariant(qlonglong(-3))},
        {integer, "3x", std::nullopt},
        {integer, "", QVariant()},
    };
    for (const auto &row : rows)
        EXPECT_EQ(row.field.read(QString::fromUtf8(row.text)), row.value) << row.text;
}

} // namespace
} // namespace digitrace
