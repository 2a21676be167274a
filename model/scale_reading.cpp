#include "model/scale_reading.h"

#include "model/numeric_value.h"

#include <QRegularExpression>

#include <charconv>
#include <cmath>

namespace digitrace {

std::optional<double> scaleAsReadByPerson(QStringView text, const QLocale &locale) {
    QString t = text.toString().normalized(QString::NormalizationForm_KC);
    t.removeIf([](QChar c) { return c.isSpace(); });
    static const QRegularExpression ratio(QStringLiteral("^1[:/]"));
    t.remove(ratio);
    if (!t.isEmpty() && (t.front() == u'+' || t.front() == u'-'))
        t.remove(0, 1);
    const QString decimal = locale.decimalPoint();
    const QString group = locale.groupSeparator();
    // Whole digit groups only: "25,00" is no number a person would vouch for.
    const QString digits =
        QStringLiteral(R"((\d{1,3}(%1\d{3})+|\d+)(%2\d+)?)")
            .arg(QRegularExpression::escape(group), QRegularExpression::escape(decimal));
    if (!QRegularExpression(QRegularExpression::anchoredPattern(digits)).match(t).hasMatch())
        return std::nullopt;
    if (!group.isEmpty())
        t.remove(group);
    t.replace(decimal, QStringLiteral("."));
    bool ok = false;
    const double value = t.toDouble(&ok);
    return ok && std::isfinite(value) ? std::optional(value) : std::nullopt;
}

std::optional<float> scaleWorthAsking(QStringView text, const QLocale &locale) {
    const std::optional<double> person = scaleAsReadByPerson(text, locale);
    if (!person || *person <= 0)
        return std::nullopt;
    const float rule = scaleDenomFromText(text);
    const std::optional<float> read = toSingle(*person);
    if (read && *read == rule)
        return std::nullopt;
    return rule;
}

QString plainDenominator(float denominator) {
    char buffer[64];
    const auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, denominator, std::chars_format::fixed);
    if (error != std::errc())
        return QString::number(denominator);
    return QString::fromLatin1(buffer, end - buffer);
}

} // namespace digitrace
