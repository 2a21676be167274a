#include "registration/registration.h"

#include "registration/control_points_file.h"

#include <QRegularExpression>

namespace digitrace {

namespace {

const QString kTransformKey = QStringLiteral("transform=");
const QString kCrsKey = QStringLiteral("crs=");

} // namespace

QString transformKeyword(TransformKind kind) {
    switch (kind) {
    case TransformKind::Similarity:
        return QStringLiteral("similarity");
    case TransformKind::Affine:
        return QStringLiteral("affine");
    case TransformKind::Projective:
        break;
    }
    return QStringLiteral("projective");
}

std::optional<TransformKind> transformForKeyword(const QString &word) {
    for (const TransformKind kind :
         {TransformKind::Similarity, TransformKind::Affine, TransformKind::Projective})
        if (word == transformKeyword(kind))
            return kind;
    return std::nullopt;
}

QString registrationText(const Registration &registration) {
    static const QRegularExpression lineBreaks(QStringLiteral("\\s*[\\r\\n]\\s*"));
    QString crs = registration.crs;
    crs.replace(lineBreaks, QStringLiteral(" "));
    return kTransformKey + transformKeyword(registration.kind) + u'\n' + kCrsKey + crs.trimmed() +
           u'\n' + QString::fromUtf8(formatControlPoints(registration.points));
}

std::optional<Registration> parseRegistrationText(const QString &text) {
    const qsizetype first = text.indexOf(u'\n');
    const qsizetype second = first < 0 ? -1 : text.indexOf(u'\n', first + 1);
    if (second < 0)
        return std::nullopt;
    const QString kindLine = text.first(first);
    const QString crsLine = text.sliced(first + 1, second - first - 1);
    if (!kindLine.startsWith(kTransformKey) || !crsLine.startsWith(kCrsKey))
        return std::nullopt;
    const std::optional<TransformKind> kind =
        transformForKeyword(kindLine.sliced(kTransformKey.size()));
    ControlPointsRead read = parseControlPoints(text.sliced(second + 1).toUtf8(), QString());
    if (!kind || !read.ok())
        return std::nullopt;
    return Registration{std::move(read.points), *kind, crsLine.sliced(kCrsKey.size())};
}

} // namespace digitrace
