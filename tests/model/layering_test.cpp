#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSet>

namespace {

const QString kSource = QStringLiteral(DIGITRACE_SOURCE_DIR "/");
// The folders of the program's own code; tests, benchmarks and fuzzers may include anything.
const QStringList kRoots = {"model",        "acquisition", "display", "export",
                            "registration", "job",         "tracing", "classes",
                            "i18n",         "app",         "tools",   "topology"};

// What each folder of sources may include of the project's folders (its own always), and what of
// Qt and the libraries it must not. Dependencies point one way: the model knows nothing of widgets,
// ports, painting or files; below the window only the drawing area knows widgets; the window and
// its features are the application layer, which alone sees every library.
struct Layer {
    const char *dir;
    QStringList mayInclude;
    const char *forbidden;
};
const Layer kLayers[] = {
    {"model",
     {},
     R"(QtWidgets|QtGui|QtSerialPort|QWidget|QSerial\w*|QPainter|QImage|QFile\w*|QIODevice)"},
    {"registration", {}, R"(QtWidgets|QtGui|QWidget|QPainter|gdal|ogr|cpl_)"},
    {"classes", {}, R"(QtWidgets|QtGui|QWidget|QPainter|QtSerialPort|QSerial\w*|QFile\w*)"},
    {"i18n", {}, R"(QtWidgets|QWidget|QtSerialPort|QSerial\w*)"},
    {"acquisition", {"model"}, R"(QtWidgets|QWidget|QMessageBox|QPainter)"},
    {"acquisition/formats",
     {"model", "acquisition"},
     R"(QtWidgets|QtGui|QWidget|QMessageBox|QPainter|QtSerialPort|QSerial\w*)"},
    {"job",
     {"model", "registration", "classes"},
     R"(QtWidgets|QtGui|QWidget|QMessageBox|QtSerialPort|QSerial\w*)"},
    {"tracing",
     {"model", "registration", "acquisition", "acquisition/formats", "job", "classes"},
     R"(QtWidgets|QtGui|QWidget|QMessageBox|QtSerialPort|QSerial\w*)"},
    {"display", {"model"}, R"(QtWidgets|QWidget|QMessageBox|QtSerialPort|QSerial\w*)"},
    {"display/widget", {"model", "display"}, R"(QMessageBox|QtSerialPort|QSerial\w*)"},
    {"export",
     {"model", "registration", "classes"},
     R"(QtWidgets|QWidget|QMessageBox|QtSerialPort|QSerial\w*)"},
    {"topology",
     {"model", "registration", "export", "classes"},
     R"(QtWidgets|QtGui|QWidget|QMessageBox|QtSerialPort|QSerial\w*)"},
    {"app/window",
     {"model", "registration", "acquisition", "acquisition/formats", "job", "tracing", "display",
      "display/widget", "export", "i18n", "classes", "topology"},
     R"(QtSerialPort|QSerial\w*)"},
    {"app",
     {"model", "acquisition", "acquisition/formats", "job", "tracing", "export", "app/window",
      "i18n"},
     R"(QtSerialPort)"},
    {"tools/replay",
     {"model", "registration", "acquisition", "acquisition/formats", "job", "tracing", "display",
      "export", "classes", "topology"},
     R"(QtWidgets|QWidget|QMessageBox)"},
    {"tools/digitizer_sim",
     {"model", "acquisition", "acquisition/formats"},
     R"(QtWidgets|QWidget|QMessageBox)"},
};

QStringList sourcesIn(const QString &dir) {
    return QDir(kSource + dir)
        .entryList({QStringLiteral("*.h"), QStringLiteral("*.cpp")}, QDir::Files);
}

TEST(Layering, EachFolderIncludesOnlyWhatItMay) {
    const QRegularExpression include(QStringLiteral(R"(#include\s*[<"]([^>"]+)[>"])"));
    for (const Layer &layer : kLayers) {
        const QString dir = QLatin1String(layer.dir);
        const QStringList files = sourcesIn(dir);
        ASSERT_FALSE(files.isEmpty()) << layer.dir;
        const QRegularExpression forbidden(QStringLiteral("^(%1)").arg(layer.forbidden));
        for (const QString &name : files) {
            QFile f(kSource + dir + u'/' + name);
            ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
            const QString text = QString::fromUtf8(f.readAll());
            for (const QRegularExpressionMatch &m : include.globalMatch(text)) {
                const QString path = m.captured(1);
                const QString folder = path.section(u'/', 0, -2);
                const bool ours = kRoots.contains(path.section(u'/', 0, 0)) && !folder.isEmpty();
                const bool allowed = ours ? folder == dir || layer.mayInclude.contains(folder)
                                          : !forbidden.match(path).hasMatch();
                EXPECT_TRUE(allowed)
                    << layer.dir << "/" << name.toStdString() << ": " << path.toStdString();
            }
        }
    }
}

// A new folder of sources states what it may include before anything is built in it.
TEST(Layering, EveryFolderOfSourcesHasItsRow) {
    QSet<QString> stated;
    for (const Layer &layer : kLayers)
        stated << QLatin1String(layer.dir);
    for (const QString &root : kRoots) {
        QDirIterator it(kSource + root, QDir::Dirs | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        QStringList dirs{root};
        while (it.hasNext())
            dirs << QDir(kSource).relativeFilePath(it.next());
        for (const QString &dir : dirs) {
            if (!sourcesIn(dir).isEmpty()) {
                EXPECT_TRUE(stated.contains(dir)) << dir.toStdString();
            }
        }
    }
}

} // namespace
