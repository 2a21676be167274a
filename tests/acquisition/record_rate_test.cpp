#include "acquisition/record_rate.h"

#include <gtest/gtest.h>

namespace digitrace {
namespace {

TEST(RecordRate, CountsTheWindowAndFallsToZeroWhenSilent) {
    RecordRate rate(2000);
    EXPECT_EQ(rate.perSecond(0), 0.0);
    EXPECT_FALSE(rate.sinceLast(0));
    for (qint64 t = 0; t < 2000; t += 100) // 10 records a second
        rate.note(t);
    EXPECT_DOUBLE_EQ(rate.perSecond(1999), 10.0);
    EXPECT_EQ(rate.sinceLast(2500), 600);
    EXPECT_DOUBLE_EQ(rate.perSecond(3850), 0.5); // only the record at 1900 is in the window
    EXPECT_EQ(rate.perSecond(5000), 0.0);
    rate.reset();
    EXPECT_FALSE(rate.sinceLast(5000));
}

} // namespace
} // namespace digitrace
