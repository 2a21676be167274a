#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QStandardPaths>

// Ports, pseudo-terminal writers and QProcess deliver through the event loop, which needs an
// application object.
int main(int argc, char **argv) {
    // Never the operator's own settings or data.
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
