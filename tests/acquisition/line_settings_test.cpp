#include "acquisition/line_settings.h"

#include <gtest/gtest.h>

namespace digitrace {
namespace {

TEST(LineSettings, FromText) {
    EXPECT_EQ(LineSettings::fromText(u"9600,e,7,1"), LineSettings{});
    EXPECT_EQ(LineSettings::fromText(u" 19200 , N , 8 , 2 "), (LineSettings{19200, 'n', 8, 2}));
    EXPECT_EQ(LineSettings::fromText(u"4800,o,5,1"), (LineSettings{4800, 'o', 5, 1}));
    EXPECT_EQ(LineSettings::fromText(u"115200,n,8,1,H"), (LineSettings{115200, 'n', 8, 1, 'h'}));
    EXPECT_EQ(LineSettings::fromText(u"1200,e,7,2,s"), (LineSettings{1200, 'e', 7, 2, 's'}));
    for (const LineSettings &s : {LineSettings{}, LineSettings{19200, 'o', 8, 2, 'h'}})
        EXPECT_EQ(LineSettings::fromText(s.toText()), s) << s.toText().toStdString();
    EXPECT_EQ(LineSettings{}.toText(), QStringLiteral("9600,e,7,1"));
    for (const char16_t *bad :
         {u"", u"9600", u"9600,e,7", u"9600,e,7,1,1", u"0,e,7,1", u"-9600,e,7,1", u"fast,e,7,1",
          u"9600,x,7,1", u"9600,ee,7,1", u"9600,,7,1", u"9600,e,9,1", u"9600,e,4,1", u"9600,e,7,3",
          u"9600,e,7,1.5", u"9600,e,7,1,x", u"9600,e,7,1,", u"9600,e,7,1,hh"})
        EXPECT_EQ(LineSettings::fromText(bad), std::nullopt)
            << QString::fromUtf16(bad).toStdString();
}

} // namespace
} // namespace digitrace
