#include <QApplication>

#include "private_settings.h"

#include <gtest/gtest.h>

int main(int argc, char **argv) {
    // The tests need no display; CTest's environment is not always there to say so. The plain
    // offscreen screen is narrower than most: the window gets a common wide one, with frames.
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.isEmpty() || platform == "offscreen")
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" DIGITRACE_TEST_SCREEN);
    const digitrace::test::PrivateSettings settings;
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
