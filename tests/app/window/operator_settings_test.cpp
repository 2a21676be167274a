#include "app/window/operator_settings.h"

#include <gtest/gtest.h>

namespace digitrace {
namespace {

// The publish connection is kept for the next start without its password, in every form libpq
// reads; what a masked one would leave behind would be taken for the password.
TEST(OperatorSettings, KeepsThePublishConnectionWithoutItsPassword) {
    const struct {
        const char *typed, *kept;
    } rows[] = {
        {"PG:host=db dbname=map password=s3cret user=ann", "PG:host=db dbname=map user=ann"},
        {"PG:host=db password='a b\\'c' dbname=map", "PG:host=db dbname=map"},
        {"PG:postgresql://ann:s3cret@db/map", "PG:postgresql://ann@db/map"},
        {"PG:postgresql://ann@/map?host=/tmp&password=s3cret",
         "PG:postgresql://ann@/map?host=/tmp"},
        {"PG:postgres://ann@db/map?password=s3cret&sslmode=require",
         "PG:postgres://ann@db/map?sslmode=require"},
        {"PG:dbname=map", "PG:dbname=map"},
    };
    OperatorSettings settings;
    for (const auto &row : rows) {
        settings.setPublishConnection(QString::fromUtf8(row.typed));
        EXPECT_EQ(settings.publishConnection(), QString::fromUtf8(row.kept)) << row.typed;
    }
}

} // namespace
} // namespace digitrace
