#pragma once

#include <QString>
#include <QStringList>

namespace digitrace {

// The languages of the user interface, by code: Japanese, the texts as designed and the default,
// and English.
inline const QString kJapanese = QStringLiteral("ja");
inline const QString kEnglish = QStringLiteral("en");
QStringList uiLanguages();

// The program's own translation for `language`; none for Japanese, whose texts are the source.
QString programTranslation(const QString &language);

// Installs the program's translation for `language` and Qt's own (the buttons and texts of its
// file dialog and message boxes) on the running application. What could not be loaded is named in
// the result; the texts concerned stay as they are.
QStringList installTranslations(const QString &language);

} // namespace digitrace
