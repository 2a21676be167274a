#include "export/dxf_export.h"

#include "export/dxf_writer.h"
#include "export/file_replacement.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <optional>

namespace digitrace {
namespace {

// Far beyond any real header (a full R12 header with tables is a few hundred KiB).
constexpr qint64 kMaxTemplateBytes = 16 * 1024 * 1024;

const QString kBuiltInTemplate = QStringLiteral(":/digitrace/export/DxfHead.txt");

QString templateError(const QString &path, const QString &reason) {
    return QCoreApplication::translate("digitrace::DxfExport",
                                       "テンプレート %1 を読み込めませんでした。\n%2")
        .arg(QDir::toNativeSeparators(path), reason);
}

QString saveError(const QString &path, const Replacement &failure) {
    return failure.message(QCoreApplication::translate("digitrace::DxfExport",
                                                       "DXFファイル %1 を保存できませんでした。")
                               .arg(QDir::toNativeSeparators(path)));
}

DxfExportResult writeExport(const TraceStore &store, const QByteArray &head, QSaveFile &target,
                            const TraceClasses &classes) {
    auto refused = [&](const QString &reason) {
        return DxfExportResult{{saveError(target.fileName(), {reason, LeftBehind::Untouched, {}})}};
    };
    if (!dxfCoordinatesFit(store))
        return refused(QCoreApplication::translate(
            "digitrace::DxfExport", "座標が大きすぎる記録があり、DXF に書けません。"));
    std::optional<DxfClassLayers> layers;
    if (classes.inUse()) {
        layers = planDxfClassLayers(head, classes);
        if (!layers->error.isEmpty())
            return refused(layers->error);
    }
    const ContentWriter write = [&](QFileDevice &device) {
        const bool written =
            layers ? WriteDxf(store, *layers, device) : WriteDxf(store, head, device);
        return written ? QString() : device.errorString();
    };
    const Replacement done = replaceFile(target, write);
    if (!done.ok())
        return {{saveError(target.fileName(), done)}};
    return {{}, layers ? layers->notes : QStringList()};
}

} // namespace

TemplateText loadDxfTemplate(const QString &appDir) {
    // A link to nowhere is the operator's template too, and fails to open.
    const QFileInfo own(QDir(appDir).filePath(kDxfTemplateName));
    return readDxfTemplate(own.exists() || own.isSymLink() ? own.filePath() : kBuiltInTemplate);
}

TemplateText readDxfTemplate(const QString &path) {
    QFile file(path);
    // A FIFO would wait for a writer for ever, a device may never end: only plain files are
    // headers. A missing file goes on to open(), which names the reason.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return {{},
                templateError(path, QCoreApplication::translate("digitrace::DxfExport",
                                                                "通常のファイルではありません。"))};
    if (!file.open(QIODevice::ReadOnly))
        return {{}, templateError(file.fileName(), file.errorString())};
    QByteArray bytes = file.read(kMaxTemplateBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return {{}, templateError(file.fileName(), file.errorString())};
    if (bytes.size() > kMaxTemplateBytes)
        return {{},
                templateError(file.fileName(),
                              QCoreApplication::translate(
                                  "digitrace::DxfExport",
                                  "%1 MiB を超えるため、DXFのヘッダーとは見なせません。")
                                  .arg(kMaxTemplateBytes / (1024 * 1024)))};
    // Without a header the file starts with bare entities, which no reader opens.
    if (bytes.isEmpty())
        return {{},
                QCoreApplication::translate(
                    "digitrace::DxfExport",
                    "テンプレート %1 が空のため、DXFファイルを書けません。\n"
                    "DXFのヘッダーを書き込むか、このファイルを削除して組み込みの"
                    "テンプレートを使ってください。")
                    .arg(QDir::toNativeSeparators(file.fileName()))};
    return {bytes, {}};
}

DxfExportResult exportDxf(const TraceStore &store, const QString &appDir, const QString &path,
                          const TraceClasses &classes) {
    QSaveFile target(path);
    return exportDxf(store, appDir, target, classes);
}

DxfExportResult exportDxf(const TraceStore &store, const QString &appDir, QSaveFile &target,
                          const TraceClasses &classes) {
    const TemplateText head = loadDxfTemplate(appDir);
    if (!head.error.isEmpty())
        return {{head.error}};
    return writeExport(store, head.bytes, target, classes);
}

DxfExportResult exportDxf(const TraceStore &store, const TemplateText &head, const QString &path,
                          const TraceClasses &classes) {
    if (!head.error.isEmpty())
        return {{head.error}};
    QSaveFile target(path);
    return writeExport(store, head.bytes, target, classes);
}

} // namespace digitrace
