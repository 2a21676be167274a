#include "app/window/dxf_export_feature.h"
#include "export/dxf_export.h"
#include "export/dxf_writer.h"
#include "tests/export/sample_traces.h"

#include "tests/support/files.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <functional>

namespace digitrace {
namespace {

using test::kTrailer;

const QByteArray kOldContent = "an earlier export\r\n";

using test::readFile;
using test::writeFile;

QByteArray builtInTemplate() {
    return readFile(QStringLiteral(DIGITRACE_SOURCE_DIR "/export/DxfHead.txt"));
}

// A disk that fills up after the first `budget` bytes.
class FillingSaveFile : public QSaveFile {
public:
    FillingSaveFile(const QString &name, qint64 budget) : QSaveFile(name), budget_(budget) {}

protected:
    qint64 writeData(const char *data, qint64 len) override {
        const qint64 taken = QSaveFile::writeData(data, qMin(len, budget_));
        budget_ -= taken;
        if (taken < len)
            setErrorString(QStringLiteral("No space left on device"));
        return taken;
    }

private:
    qint64 budget_;
};

class ScriptedChooser : public FileChooser {
public:
    explicit ScriptedChooser(QString answer) : answer_(std::move(answer)) {}
    QString chooseSaveFile(const QString &filter) override {
        askedFilter = filter;
        return answer_;
    }
    QString askedFilter;

private:
    QString answer_;
};

class DxfExportTest : public testing::Test {
protected:
    DxfExportTest() { trace.model.setAppDir(app.path()); }

    QString appPath(const QString &name) const { return QDir(app.path()).filePath(name); }
    QString outPath(const QString &name) const { return QDir(out.path()).filePath(name); }
    QStringList outEntries() const {
        return QDir(out.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }

    QTemporaryDir app; // AppDir, holding the operator's template when a test puts one there
    QTemporaryDir out;
    test::SampleTrace trace = test::workedExample();
};

TEST_F(DxfExportTest, BuiltInTemplateIsTheInstalledFile) {
    const TemplateText head = loadDxfTemplate(app.path());
    ASSERT_TRUE(head.error.isEmpty()) << head.error.toStdString();
    EXPECT_EQ(head.bytes, builtInTemplate());
    EXPECT_TRUE(head.bytes.startsWith("  0\r\nSECTION\r\n  2\r\nHEADER\r\n"));
    EXPECT_TRUE(head.bytes.endsWith("  0\r\nSECTION\r\n  2\r\nENTITIES\r\n"));
}

TEST_F(DxfExportTest, OperatorsTemplateWins) {
    writeFile(appPath(kDxfTemplateName), "MY HEADER\r\n");
    const TemplateText head = loadDxfTemplate(app.path());
    EXPECT_EQ(head.bytes, "MY HEADER\r\n");
    EXPECT_TRUE(head.error.isEmpty());
}

TEST_F(DxfExportTest, ExportingTwiceReplacesTheFile) {
    const QString path = outPath(QStringLiteral("trace.dxf"));
    ASSERT_TRUE(exportDxf(trace.model.store(), app.path(), path).ok());
    trace.model.unguardedStore().PtCount = 1;
    ASSERT_TRUE(exportDxf(trace.model.store(), app.path(), path).ok());

    QByteArray expected = builtInTemplate();
    WriteDxfPoint(expected, trace.model.store(), 120.5f, 80.0f);
    EXPECT_EQ(readFile(path), expected + kTrailer);
    EXPECT_EQ(outEntries(), QStringList{QStringLiteral("trace.dxf")});
}

struct FailureCase {
    const char *name;
    std::function<void(const QString &appDir)> prepareTemplate;
    qint64 diskBytes;       // room on the disk before it is full
    const char *reasonPart; // expected in the message besides the path
    bool templateFault;
};

void PrintTo(const FailureCase &c, std::ostream *os) {
    *os << c.name;
}

class ExportFailureTest : public DxfExportTest, public testing::WithParamInterface<FailureCase> {};

TEST_P(ExportFailureTest, LeavesTheExistingFileAsItWas) {
    const FailureCase &c = GetParam();
    c.prepareTemplate(app.path());
    const QString path = outPath(QStringLiteral("trace.dxf"));
    writeFile(path, kOldContent);

    FillingSaveFile target(path, c.diskBytes);
    const IoResult result = exportDxf(trace.model.store(), app.path(), target);

    ASSERT_FALSE(result.ok());
    const QString named = c.templateFault ? appPath(kDxfTemplateName) : path;
    EXPECT_TRUE(result.error.contains(QDir::toNativeSeparators(named)))
        << result.error.toStdString();
    EXPECT_TRUE(result.error.contains(QString::fromUtf8(c.reasonPart)))
        << result.error.toStdString();
    EXPECT_EQ(readFile(path), kOldContent);
    EXPECT_EQ(outEntries(), QStringList{QStringLiteral("trace.dxf")});
}

const auto kNoTemplate = [](const QString &) {};

INSTANTIATE_TEST_SUITE_P(
    Cases, ExportFailureTest,
    testing::Values(
        FailureCase{"DiskFullPartWay", kNoTemplate, 700, "No space left on device", false},
        FailureCase{"DiskFullAtOnce", kNoTemplate, 0, "No space left on device", false},
        FailureCase{"TemplateIsADirectory",
                    [](const QString &dir) { QDir(dir).mkdir(kDxfTemplateName); }, 1 << 20,
                    "テンプレート", true},
        FailureCase{"TemplateLinksToNowhere",
                    [](const QString &dir) {
                        QFile::link(QDir(dir).filePath(QStringLiteral("gone")),
                                    QDir(dir).filePath(kDxfTemplateName));
                    },
                    1 << 20, "テンプレート", true},
        FailureCase{"TemplateIsAFifo",
                    [](const QString &dir) {
                        ::mkfifo(QFile::encodeName(QDir(dir).filePath(kDxfTemplateName)), 0600);
                    },
                    1 << 20, "通常のファイルではありません", true},
        FailureCase{"TemplateBeyondAnyHeader",
                    [](const QString &dir) {
                        QFile file(QDir(dir).filePath(kDxfTemplateName));
                        file.open(QIODevice::WriteOnly);
                        file.resize(16 * 1024 * 1024 + 1);
                    },
                    1 << 20, "16 MiB", true},
        // Copied as it is, it would give a file that no reader opens.
        FailureCase{"TemplateIsEmpty",
                    [](const QString &dir) { writeFile(QDir(dir).filePath(kDxfTemplateName), {}); },
                    1 << 20, "空", true}),
    [](const testing::TestParamInfo<FailureCase> &info) { return std::string(info.param.name); });

TEST_F(DxfExportTest, TargetInMissingDirectoryIsReported) {
    const QString path = outPath(QStringLiteral("missing/trace.dxf"));
    const IoResult result = exportDxf(trace.model.store(), app.path(), path);
    ASSERT_FALSE(result.ok());
    EXPECT_TRUE(result.error.contains(QDir::toNativeSeparators(path)));
    EXPECT_TRUE(result.error.contains(QString::fromLocal8Bit(std::strerror(ENOENT))))
        << result.error.toStdString();
    EXPECT_TRUE(outEntries().isEmpty());
}

TEST(DxfWriterDevice, FullDiskIsNoticed) {
    QFile full(QStringLiteral("/dev/full"));
    if (!full.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        GTEST_SKIP() << "no /dev/full here";
    EXPECT_FALSE(WriteDxf(test::workedExample().model.store(), "HEAD\r\n", full));
}

TEST_F(DxfExportTest, CancelChangesNothing) {
    ScriptedChooser chooser({});
    const QString caption = trace.model.text(DisplayField::Caption);
    const SaveOutcome outcome = saveTrace(trace.model, chooser);
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_TRUE(outcome.result.ok());
    EXPECT_EQ(chooser.askedFilter, QStringLiteral("DXFﾌｧｲﾙ(*.dxf)"));
    EXPECT_EQ(trace.model.store().SaveFileName, QString());
    EXPECT_EQ(trace.model.text(DisplayField::Caption), caption);
}

TEST_F(DxfExportTest, SaveNamesTheFileOnceWritten) {
    const QString path = outPath(QStringLiteral("trace.dxf"));
    ScriptedChooser chooser(path);
    const SaveOutcome outcome = saveTrace(trace.model, chooser);
    EXPECT_FALSE(outcome.cancelled);
    EXPECT_TRUE(outcome.result.ok()) << outcome.result.error.toStdString();
    EXPECT_EQ(trace.model.store().SaveFileName, path);
    EXPECT_EQ(trace.model.text(DisplayField::Caption),
              QStringLiteral("デジタイザートレース [ 保存ファイル名: ") + path +
                  QStringLiteral(" ]"));
    EXPECT_TRUE(
        readFile(path).endsWith("130.0000\r\n 11\r\n50.0000\r\n 21\r\n50.0000\r\n" + kTrailer));
}

TEST_F(DxfExportTest, FailedSaveKeepsTheEarlierName) {
    trace.model.setSaveFileName(QStringLiteral("earlier.dxf"));
    const QString caption = trace.model.text(DisplayField::Caption);
    ScriptedChooser chooser(outPath(QStringLiteral("missing/trace.dxf")));
    const SaveOutcome outcome = saveTrace(trace.model, chooser);
    EXPECT_FALSE(outcome.cancelled);
    EXPECT_FALSE(outcome.result.ok());
    EXPECT_EQ(trace.model.store().SaveFileName, QStringLiteral("earlier.dxf"));
    EXPECT_EQ(trace.model.text(DisplayField::Caption), caption);
}

} // namespace
} // namespace digitrace
