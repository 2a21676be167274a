#include "registration/registration.h"

#include <gtest/gtest.h>

namespace digitrace {
namespace {

// A registration travels as one text through the journal and the settings; a WKT's line breaks
// become blanks, which WKT ignores. The journal's tests take the round trip further.
TEST(Registration, TextComesBackWhole) {
    const Registration sent{
        {{QStringLiteral("橋, \"北\""), 400, 35.1, 512000.5, 4100200.25, false}},
        TransformKind::Projective,
        QStringLiteral("LOCAL_CS[\"a\",\r\n  UNIT[\"m\",1]]\n")};
    const std::optional<Registration> back = parseRegistrationText(registrationText(sent));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->kind, sent.kind);
    EXPECT_EQ(back->crs, QStringLiteral("LOCAL_CS[\"a\", UNIT[\"m\",1]]"));
    ASSERT_EQ(back->points.size(), 1u);
    const ControlPoint &a = back->points[0], &b = sent.points[0];
    EXPECT_EQ(std::tie(a.name, a.tabletX, a.tabletY, a.mapX, a.mapY, a.used),
              std::tie(b.name, b.tabletX, b.tabletY, b.mapX, b.mapY, b.used));
}

TEST(Registration, ForeignTextsAreRefused) {
    const char *const rows[] = {
        "",
        "transform=conformal\ncrs=\nname,tablet_x,tablet_y,map_x,map_y,used\n",
        "crs=\ntransform=affine\nname,tablet_x,tablet_y,map_x,map_y,used\n",
        "transform=affine\ncrs=\nname,tablet_x,tablet_y,map_x,map_y,used\nP1,1,2,3\n",
    };
    for (const char *row : rows)
        EXPECT_FALSE(parseRegistrationText(QString::fromUtf8(row))) << row;
}

} // namespace
} // namespace digitrace
