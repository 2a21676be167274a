#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char **argv) {
    // The tests need no display; CTest's environment is not always there to say so. The plain
    // offscreen screen is narrower than most: the window gets a common wide one, with frames.
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.isEmpty() || platform == "offscreen")
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" DIGITRACE_TEST_SCREEN);
    // Never the operator's own settings.
    QStandardPaths::setTestModeEnabled(true);
    // Settings of this process alone: test programs run side by side (and one program under
    // several platforms), and one's first start must not wipe what another just left.
    const QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
