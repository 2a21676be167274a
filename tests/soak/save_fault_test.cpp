#include "app/window/dxf_export_feature.h"
#include "export/dxf_export.h"
#include "full_table_run.h"
#include "tests/support/file_size_limit.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <optional>

namespace digitrace {
namespace {

const QByteArray kEarlierExport = "an earlier export\r\n";

using test::FileSizeLimit;

struct SaveFault {
    const char *name;
    // Puts the fault in place; returns the file the message must name.
    QString (*prepare)(const QString &appDir, const QString &target);
    // The reason the message must give, or the system's text for reasonErrno; neither when 0.
    const char *reason;
    int reasonErrno;
    // Limits the size of the files written, in bytes short of the whole export; 0 for no limit.
    qint64 shortBy;
};

void PrintTo(const SaveFault &c, std::ostream *os) {
    *os << c.name;
}

class FailedSave : public testing::TestWithParam<SaveFault> {
protected:
    void SetUp() override {
        ASSERT_TRUE(run.finished);
        model.setAppDir(appDir.path());
        model.setSaveFileName(QStringLiteral("earlier.dxf"));
    }

    QString target() const { return QDir(outDir.path()).filePath(QStringLiteral("trace.dxf")); }

    const test::FullTableRun &run = test::theFullTableRun();
    TraceModel model = run.model;
    QTemporaryDir appDir;
    QTemporaryDir outDir;
};

TEST_P(FailedSave, LeavesTheFileTheNameAndTheTraceAsTheyWere) {
    const SaveFault &fault = GetParam();
    const QString named = fault.prepare(appDir.path(), target());
    {
        QFile earlier(target());
        ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
        ASSERT_EQ(earlier.write(kEarlierExport), kEarlierExport.size());
    }
    const QString caption = model.text(DisplayField::Caption);
    test::FixedChooser chooser(target());
    std::optional<FileSizeLimit> limit;
    if (fault.shortBy > 0) {
        QTemporaryDir probe;
        const QString whole = QDir(probe.path()).filePath(QStringLiteral("whole.dxf"));
        ASSERT_TRUE(exportDxf(model.store(), appDir.path(), whole).ok());
        limit.emplace(rlim_t(QFile(whole).size() - fault.shortBy));
        ASSERT_TRUE(limit->applied());
    }
    const SaveOutcome outcome = saveTrace(model, chooser);
    limit.reset();

    EXPECT_FALSE(outcome.cancelled);
    ASSERT_FALSE(outcome.result.ok());
    const QString message = outcome.result.error;
    EXPECT_TRUE(message.contains(QDir::toNativeSeparators(named))) << message.toStdString();
    if (fault.reason || fault.reasonErrno) {
        const QString reason = fault.reason
                                   ? QString::fromUtf8(fault.reason)
                                   : QString::fromLocal8Bit(std::strerror(fault.reasonErrno));
        EXPECT_TRUE(message.contains(reason)) << message.toStdString();
    }
    EXPECT_EQ(test::ReadFile(target()), kEarlierExport);
    EXPECT_EQ(QDir(outDir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{QStringLiteral("trace.dxf")});
    EXPECT_EQ(model.store().SaveFileName, QStringLiteral("earlier.dxf"));
    EXPECT_EQ(model.text(DisplayField::Caption), caption);
    EXPECT_EQ(test::tableMismatch(model.store(), run.tableRecords()), "");
}

QString templatePath(const QString &appDir) {
    return QDir(appDir).filePath(kDxfTemplateName);
}

QString MakeTemplateDirectory(const QString &appDir, const QString &) {
    QDir(appDir).mkdir(kDxfTemplateName);
    return templatePath(appDir);
}

QString MakeEmptyTemplate(const QString &appDir, const QString &) {
    QFile empty(templatePath(appDir));
    return empty.open(QIODevice::WriteOnly) ? templatePath(appDir) : QString();
}

QString NameTheTarget(const QString &, const QString &target) {
    return target;
}

std::string SaveFaultName(const testing::TestParamInfo<SaveFault> &info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FailedSave,
    testing::Values(SaveFault{"TemplateIsADirectory", MakeTemplateDirectory, "テンプレート", 0, 0},
                    SaveFault{"TemplateIsEmpty", MakeEmptyTemplate, "空", 0, 0},
                    // Near the end of the file: most of it has been written by then.
                    SaveFault{"FileSizeLimitReachedPartWay", NameTheTarget, nullptr, 0, 4096},
                    // The system's own reason reaches the operator, not "Unknown error".
                    SaveFault{"PartWayFailureGivesTheSystemsReason", NameTheTarget, nullptr, EFBIG,
                              4096}),
    SaveFaultName);

} // namespace
} // namespace digitrace
