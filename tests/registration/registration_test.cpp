#include "registration/registration.h"

#include <gtest/gtest.h>

namespace digitrace {
namespace {

// A registration travels as one text through the journal and the settings and comes back whole;
// a WKT's line breaks become blanks, which WKT ignores.
TEST(Registration, TextComesBackWhole) {
    const std::vector<ControlPoint> points = {
        {QStringLiteral("P1"), 10.5, 20, -35123.25, 41877.125, true},
        {QStringLiteral("橋, \"北\""), 400, 35.1, 512000.5, 4100200.25, false},
    };
    const struct {
        Registration registration;
        QString crsBack;
    } rows[] = {
        {{points, TransformKind::Similarity, QStringLiteral("EPSG:6677")}, "EPSG:6677"},
        {{points, TransformKind::Projective, {}}, ""},
        {{{}, TransformKind::Affine, QStringLiteral("LOCAL_CS[\"a\",\r\n  UNIT[\"m\",1]]\n")},
         "LOCAL_CS[\"a\", UNIT[\"m\",1]]"},
    };
    for (const auto &row : rows) {
        const std::optional<Registration> back =
            parseRegistrationText(registrationText(row.registration));
        ASSERT_TRUE(back) << registrationText(row.registration).toStdString();
        EXPECT_EQ(back->kind, row.registration.kind);
        EXPECT_EQ(back->crs, row.crsBack);
        ASSERT_EQ(back->points.size(), row.registration.points.size());
        for (std::size_t i = 0; i < back->points.size(); ++i) {
            const ControlPoint &a = back->points[i], &b = row.registration.points[i];
            EXPECT_EQ(std::tie(a.name, a.tabletX, a.tabletY, a.mapX, a.mapY, a.used),
                      std::tie(b.name, b.tabletX, b.tabletY, b.mapX, b.mapY, b.used));
        }
    }
}

TEST(Registration, ForeignTextsAreRefused) {
    const char *const rows[] = {
        "",
        "transform=affine\n",
        "transform=conformal\ncrs=\nname,tablet_x,tablet_y,map_x,map_y,used\n",
        "crs=\ntransform=affine\nname,tablet_x,tablet_y,map_x,map_y,used\n",
        "transform=affine\ncrs=\nname,tablet_x,tablet_y,map_x,map_y,used\nP1,1,2,3\n",
    };
    for (const char *row : rows)
        EXPECT_FALSE(parseRegistrationText(QString::fromUtf8(row))) << row;
    for (const char *word : {"similarity", "affine", "projective"})
        EXPECT_EQ(transformKeyword(*transformForKeyword(QString::fromUtf8(word))),
                  QString::fromUtf8(word));
}

} // namespace
} // namespace digitrace
