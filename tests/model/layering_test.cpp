#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace {

// Dependencies point one way: each layer includes nothing of the layers above it or beside it.
// The model knows nothing of widgets, serial ports, painting or files; no library below the
// window knows widgets.
TEST(Layering, EachLayerIncludesOnlyWhatItMay) {
    const struct {
        const char *dir;
        const char *forbidden;
    } rows[] = {
        {"model", R"(QtWidgets|QtGui|QtSerialPort|QWidget|QSerial\w*|QPainter|QImage|QFile\w*|)"
                  R"(QIODevice|display/|acquisition/|export/|app/)"},
        {"acquisition", R"(QtWidgets|QWidget|QMessageBox|QPainter|display/|export/|app/)"},
        {"export", R"(QtWidgets|QWidget|QMessageBox|QtSerialPort|QSerial\w*|display/|)"
                   R"(acquisition/|app/)"},
        {"display", R"(QtWidgets|QWidget|QMessageBox|QtSerialPort|QSerial\w*|acquisition/|)"
                    R"(export/|app/)"},
        {"registration", R"(QtWidgets|QtGui|QWidget|QPainter|gdal|ogr|cpl_|display/|)"
                         R"(acquisition/|export/|job/|app/)"},
        {"job", R"(QtWidgets|QtGui|QWidget|QMessageBox|QtSerialPort|QSerial\w*|display/|)"
                R"(acquisition/|export/|app/)"},
    };
    for (const auto &row : rows) {
        const QDir dir(QStringLiteral(DIGITRACE_SOURCE_DIR "/") + QLatin1String(row.dir));
        const QStringList files = dir.entryList({QStringLiteral("*.h"), QStringLiteral("*.cpp")});
        ASSERT_FALSE(files.isEmpty()) << row.dir;
        const QRegularExpression include(
            QStringLiteral(R"(#include\s*[<"](%1))").arg(QLatin1String(row.forbidden)));
        for (const QString &name : files) {
            QFile f(dir.filePath(name));
            ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
            const QRegularExpressionMatch found = include.match(QString::fromUtf8(f.readAll()));
            EXPECT_FALSE(found.hasMatch())
                << row.dir << "/" << name.toStdString() << ": " << found.captured().toStdString();
        }
    }
}

} // namespace
