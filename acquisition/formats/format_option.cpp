#include "acquisition/formats/format_option.h"

#include <QFile>
#include <QFileInfo>

namespace digitrace {
namespace {

// A layout is a few lines; anything much larger is not one.
constexpr qint64 kLargestLayoutFile = 64 * 1024;

} // namespace

std::optional<TabletFormat> formatFromCommandLine(const QString &name, const QString &layoutPath,
                                                  QString *error) {
    if (name != QLatin1StringView("custom")) {
        if (!layoutPath.isEmpty()) {
            *error = QStringLiteral("a layout file is only read for the format custom");
            return std::nullopt;
        }
        std::optional<TabletFormat> format = TabletFormat::named(name);
        if (!format)
            *error = QStringLiteral("unknown tablet format \"%1\"; known: %2, custom")
                         .arg(name, builtInFormatNames().join(QStringLiteral(", ")));
        return format;
    }
    if (layoutPath.isEmpty()) {
        *error = QStringLiteral("the format custom needs a layout file");
        return std::nullopt;
    }
    // A pipe or a device would block the reading or never end.
    if (const QFileInfo info(layoutPath); info.exists() && !info.isFile()) {
        *error = QStringLiteral("cannot read the layout %1: not a regular file").arg(layoutPath);
        return std::nullopt;
    }
    QFile file(layoutPath);
    if (!file.open(QIODevice::ReadOnly)) {
        *error =
            QStringLiteral("cannot read the layout %1: %2").arg(layoutPath, file.errorString());
        return std::nullopt;
    }
    const QByteArray text = file.read(kLargestLayoutFile + 1);
    if (text.size() > kLargestLayoutFile) {
        *error = QStringLiteral("the layout %1 is larger than %2 bytes: not a layout")
                     .arg(layoutPath)
                     .arg(kLargestLayoutFile);
        return std::nullopt;
    }
    QString why;
    const std::optional<CustomLayout> layout = CustomLayout::fromText(text, &why);
    if (!layout) {
        *error = QStringLiteral("the layout %1 does not read: %2").arg(layoutPath, why);
        return std::nullopt;
    }
    TabletFormat format;
    format.kind = FormatKind::Custom;
    format.strict = true;
    format.layout = *layout;
    return format;
}

} // namespace digitrace
