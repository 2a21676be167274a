#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>

// The model knows nothing of widgets, serial ports, painting or files.
TEST(Layering, ModelIncludesOnlyQtCore) {
    const QDir dir(QStringLiteral(DIGITRACE_SOURCE_DIR "/model"));
    const QStringList files = dir.entryList({QStringLiteral("*.h"), QStringLiteral("*.cpp")});
    ASSERT_FALSE(files.isEmpty());
    const QRegularExpression forbidden(QStringLiteral(
        R"(#include\s*[<"](QtWidgets|QtGui|QtSerialPort|QWidget|QSerial\w*|QPainter|QImage|QFile\w*|QIODevice|display/|acquisition/|export/))"));
    for (const QString &name : files) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
        EXPECT_FALSE(forbidden.match(QString::fromUtf8(f.readAll())).hasMatch())
            << name.toStdString();
    }
}
