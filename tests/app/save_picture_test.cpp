#include "app/unattended_demo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

namespace digitrace {
namespace {

QImage sampleImage() {
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(QColor(95, 63, 63));
    image.setPixel(10, 10, qRgb(255, 255, 0));
    return image;
}

QString reason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

TEST(savePicture, WritesThePictureWhole) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("window.png"));
    const IoResult result = savePicture(sampleImage(), path);
    EXPECT_TRUE(result.ok()) << result.error.toStdString();
    EXPECT_EQ(QImage(path).convertToFormat(QImage::Format_RGB32), sampleImage());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"window.png"});
}

TEST(savePicture, SaysWhyItCouldNotWrite) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("plain"));
    QFile(file).open(QIODevice::WriteOnly);
    const QString locked = dir.filePath(QStringLiteral("locked"));
    QDir().mkdir(locked);
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
    const bool devFull = QFileInfo::exists(QStringLiteral("/dev/full")) &&
                         !QFileInfo(QStringLiteral("/dev/full")).isFile();
    const struct {
        QString path;
        QString reason;
        bool possible;
    } rows[] = {
        {dir.filePath(QStringLiteral("missing/window.png")), reason(ENOENT), true},
        {file + QStringLiteral("/window.png"), reason(ENOTDIR), true},
        // Root may write anywhere.
        {locked + QStringLiteral("/window.png"), reason(EACCES), !QFileInfo(locked).isWritable()},
        {QStringLiteral("/dev/full"), reason(ENOSPC), devFull},
    };
    for (const auto &row : rows) {
        if (!row.possible)
            continue;
        const IoResult result = savePicture(sampleImage(), row.path);
        ASSERT_FALSE(result.ok()) << row.path.toStdString();
        EXPECT_TRUE(result.error.contains(QDir::toNativeSeparators(row.path)))
            << result.error.toStdString();
        EXPECT_TRUE(result.error.contains(row.reason)) << result.error.toStdString();
    }
    if (devFull) {
        EXPECT_FALSE(QFileInfo(QStringLiteral("/dev/full")).isFile()) << "replaced by a plain file";
    }
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

} // namespace
} // namespace digitrace
