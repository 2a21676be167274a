#include "export/file_replacement.h"

#include "tests/support/files.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

namespace digitrace {
namespace {

using test::readFile;
using test::writeFile;

const QByteArray kOld = "old content\r\n";
const QByteArray kNew = "the new content, longer than the old one\r\n";

// Writes the new content, or half of it and then fails as a full disk would.
ContentWriter writer(bool failHalfWay) {
    return [failHalfWay](QFileDevice &device) {
        if (!failHalfWay)
            return device.write(kNew) == kNew.size() ? QString() : device.errorString();
        device.write(kNew.first(kNew.size() / 2));
        return QStringLiteral("No space left on device");
    };
}

ino_t inode(const QString &path) {
    struct stat s {};
    return ::stat(QFile::encodeName(path).constData(), &s) == 0 ? s.st_ino : 0;
}

TEST(RewriteInPlace, KeepsTheOldContentUntilTheNewIsWhole) {
    const struct {
        const char *name;
        bool failHalfWay;
        QByteArray expected;
        LeftBehind left;
    } rows[] = {
        {"written", false, kNew, LeftBehind::Untouched},
        {"fails half way", true, kOld, LeftBehind::Restored},
    };
    for (const auto &row : rows) {
        QTemporaryDir dir, temp;
        const QString path = dir.filePath(QStringLiteral("trace.dxf"));
        writeFile(path, kOld);
        const auto permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
        QFile::setPermissions(path, permissions);
        const ino_t before = inode(path);

        const Replacement r = rewriteInPlace(path, writer(row.failHalfWay), temp.path());
        EXPECT_EQ(r.ok(), !row.failHalfWay) << row.name;
        EXPECT_EQ(r.left, row.left) << row.name;
        EXPECT_EQ(readFile(path), row.expected) << row.name;
        EXPECT_EQ(inode(path), before) << row.name;
        EXPECT_EQ(QFile::permissions(path), permissions | QFile::ReadUser | QFile::WriteUser)
            << row.name;
        EXPECT_TRUE(QDir(temp.path()).isEmpty()) << row.name << ": the copy is not left behind";
        if (row.failHalfWay) {
            EXPECT_TRUE(r.whatIsLeft().contains(QStringLiteral("元の内容に戻しました")));
        }
    }
}

TEST(ReplaceFile, KeepsTheFilesPermissions) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("trace.dxf"));
    writeFile(path, kOld);
    const auto permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser |
                             QFile::WriteUser | QFile::ReadGroup;
    QFile::setPermissions(path, permissions);
    ASSERT_TRUE(replaceFile(path, writer(false)).ok());
    EXPECT_EQ(readFile(path), kNew);
    EXPECT_EQ(QFile::permissions(path), permissions);
}

// Root writes into any folder, so the in-place road is taken only as another user.
TEST(ReplaceFile, RewritesInPlaceBesideAFolderItMayNotWrite) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root may write into any folder";
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("trace.dxf"));
    writeFile(path, kOld);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    const ino_t before = inode(path);
    const Replacement r = replaceFile(path, writer(false));
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_TRUE(r.ok()) << r.reason.toStdString();
    EXPECT_EQ(readFile(path), kNew);
    EXPECT_EQ(inode(path), before);
}

} // namespace
} // namespace digitrace
