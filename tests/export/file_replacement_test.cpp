#include "export/file_replacement.h"

#include "tests/support/file_size_limit.h"
#include "tests/support/files.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <optional>

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

QStringList entries(const QString &dir) {
    return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

// Three files of one layer, the second too long for a disk that is nearly full: whatever happens,
// the set on disk is the old one or the new one, never a mix, and no stray file is left.
TEST(ReplaceFileSet, LeavesTheSetWhollyOldOrWhollyNew) {
    const QByteArray longContent(300, 'n');
    enum Third { Absent, Present, Folder };
    const struct {
        const char *name;
        bool folderReadOnly; // the in-place road
        Third third;
        rlim_t sizeLimit; // 0 for none
        bool ok;
        LeftBehind left;
    } rows[] = {
        {"replaced, the third made", false, Absent, 0, true, {}},
        {"disk fills on the second", false, Present, 100, false, LeftBehind::Untouched},
        {"a folder in the third's place", false, Folder, 0, false, LeftBehind::Untouched},
        {"in place", true, Present, 0, true, {}},
        {"in place, the third missing", true, Absent, 0, false, LeftBehind::Untouched},
        {"in place, disk fills on the second", true, Present, 100, false, LeftBehind::Restored},
    };
    for (const auto &row : rows) {
        if (row.folderReadOnly && ::geteuid() == 0)
            continue; // root writes into any folder; these rows run unprivileged
        QTemporaryDir dir;
        const QString a = dir.filePath(QStringLiteral("t_lines.shp")),
                      b = dir.filePath(QStringLiteral("t_lines.dbf")),
                      c = dir.filePath(QStringLiteral("t_lines.shx"));
        writeFile(a, "old a");
        writeFile(b, "old b");
        if (row.third == Present)
            writeFile(c, "old c");
        if (row.third == Folder)
            QDir().mkdir(c);
        const QStringList before = entries(dir.path());
        const QList<NewFile> files = {{a, "new a"}, {b, longContent}, {c, "new c"}};
        if (row.folderReadOnly)
            QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
        Replacement r;
        {
            std::optional<test::FileSizeLimit> limit;
            if (row.sizeLimit)
                limit.emplace(row.sizeLimit);
            r = replaceFileSet(files);
        }
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        ASSERT_EQ(r.ok(), row.ok) << row.name << ": " << r.reason.toStdString();
        if (row.ok) {
            for (const NewFile &f : files)
                EXPECT_EQ(readFile(f.path), f.content) << row.name;
        } else {
            EXPECT_EQ(r.left, row.left) << row.name;
            EXPECT_EQ(readFile(a) + readFile(b), "old aold b") << row.name;
            if (row.third == Present) {
                EXPECT_EQ(readFile(c), "old c") << row.name;
            }
        }
        EXPECT_EQ(entries(dir.path()),
                  row.ok ? QStringList({"t_lines.dbf", "t_lines.shp", "t_lines.shx"}) : before)
            << row.name;
    }
}

} // namespace
} // namespace digitrace
