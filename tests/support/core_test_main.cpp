#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

// Ports, pseudo-terminal writers and QProcess deliver through the event loop, which needs an
// application object.
int main(int argc, char **argv) {
    // Never the operator's own settings or data.
    QStandardPaths::setTestModeEnabled(true);
    // Settings of this process alone: test programs run side by side (and one program under
    // several platforms), and one's first start must not wipe what another just left.
    const QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
