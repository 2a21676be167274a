#include "private_settings.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

// Ports, pseudo-terminal writers and QProcess deliver through the event loop, which needs an
// application object.
int main(int argc, char **argv) {
    const digitrace::test::PrivateSettings settings;
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
