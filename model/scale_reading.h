#pragma once

#include <QLocale>
#include <QString>
#include <QStringView>

#include <optional>

namespace digitrace {

// The denominator a person would read in a scale text: "1:2500" and "1/2500" as 2500, digit
// groups of the locale ("2,500", or "2.500" where '.' groups thousands) and blanks between digits
// ignored, full-width characters as their ASCII twins, the sign dropped. Nothing when the text
// is no such number.
std::optional<double> scaleAsReadByPerson(QStringView text, const QLocale &locale);

// The denominator the scale rule takes from `text` when a person would read the text as a
// different one; nothing when both agree or a person could not read it either.
std::optional<float> scaleWorthAsking(QStringView text, const QLocale &locale);

// A denominator in the fewest plain digits that give it back: "2500", "2.5", "0.11".
QString plainDenominator(float denominator);

} // namespace digitrace
