#include <QApplication>
#include <QTemporaryFile>

#include "private_settings.h"

#include <gtest/gtest.h>

namespace {

// A common wide screen, with frames. Written where the test user can read it: a test may run as
// another user than the one owning the source tree, which that user may not be able to enter.
constexpr char kWideScreen[] = R"({
    "windowFrameMargins": true,
    "screens": [
        {"name": "wide", "x": 0, "y": 0, "width": 1920, "height": 1080,
         "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}
    ]
})";

} // namespace

int main(int argc, char **argv) {
    // The tests need no display; CTest's environment is not always there to say so. The plain
    // offscreen screen is narrower than most: the window gets the wide one.
    QTemporaryFile screen;
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.isEmpty() || platform == "offscreen") {
        if (!screen.open() || screen.write(kWideScreen) != qint64(sizeof kWideScreen - 1) ||
            !screen.flush()) {
            fprintf(stderr, "cannot write the test screen's configuration: %s\n",
                    qPrintable(screen.errorString()));
            return 2;
        }
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + screen.fileName().toLocal8Bit());
    }
    const digitrace::test::PrivateSettings settings;
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
