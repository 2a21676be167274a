#include "export/dxf_export.h"

#include "export/dxf_writer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace digitrace {
namespace {

const QString kBuiltInTemplate = QStringLiteral(":/digitrace/export/DxfHead.txt");

QString templateError(const QString &path, const QString &reason) {
    return QStringLiteral("テンプレート %1 を読み込めませんでした。\n%2")
        .arg(QDir::toNativeSeparators(path), reason);
}

QString saveError(const QString &path, const QString &reason) {
    return QStringLiteral(
               "DXFファイル %1 を保存できませんでした。\n%2\n既存のファイルは変更されていません。")
        .arg(QDir::toNativeSeparators(path), reason);
}

IoResult writeExport(const TraceStore &store, const QByteArray &head, QSaveFile &target) {
    if (!DxfCoordinatesFit(store))
        return {saveError(target.fileName(),
                          QStringLiteral("座標が大きすぎる記録があり、DXF に書けません。"))};
    // Unbuffered: the writer hands over large pieces itself, and a failing write is seen at once.
    if (!target.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return {saveError(target.fileName(), target.errorString())};
    if (!WriteDxf(store, head, target)) {
        const QString reason = target.errorString();
        target.cancelWriting();
        target.commit(); // after a cancel this only removes the partial file
        return {saveError(target.fileName(), reason)};
    }
    if (!target.commit())
        return {saveError(target.fileName(), target.errorString())};
    return {};
}

} // namespace

TemplateText LoadDxfTemplate(const QString &appDir) {
    // A link to nowhere is the operator's template too, and fails to open.
    const QFileInfo own(QDir(appDir).filePath(kDxfTemplateName));
    return ReadDxfTemplate(own.exists() || own.isSymLink() ? own.filePath() : kBuiltInTemplate);
}

TemplateText ReadDxfTemplate(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {{}, templateError(file.fileName(), file.errorString())};
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return {{}, templateError(file.fileName(), file.errorString())};
    // Without a header the file starts with bare entities, which no reader opens.
    if (bytes.isEmpty())
        return {{},
                QStringLiteral("テンプレート %1 が空のため、DXFファイルを書けません。\n"
                               "DXFのヘッダーを書き込むか、このファイルを削除して組み込みの"
                               "テンプレートを使ってください。")
                    .arg(QDir::toNativeSeparators(file.fileName()))};
    return {bytes, {}};
}

IoResult ExportDxf(const TraceStore &store, const QString &appDir, const QString &path) {
    QSaveFile target(path);
    return ExportDxf(store, appDir, target);
}

IoResult ExportDxf(const TraceStore &store, const QString &appDir, QSaveFile &target) {
    const TemplateText head = LoadDxfTemplate(appDir);
    if (!head.error.isEmpty())
        return {head.error};
    return writeExport(store, head.bytes, target);
}

IoResult ExportDxf(const TraceStore &store, const TemplateText &head, const QString &path) {
    if (!head.error.isEmpty())
        return {head.error};
    QSaveFile target(path);
    return writeExport(store, head.bytes, target);
}

} // namespace digitrace
