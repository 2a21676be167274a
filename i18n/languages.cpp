#include "i18n/languages.h"

#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QTranslator>

namespace digitrace {

QStringList uiLanguages() {
    return {kJapanese, kEnglish};
}

QString programTranslation(const QString &language) {
    if (language == kJapanese)
        return {};
    return QStringLiteral(":/digitrace/i18n/digitrace_%1.qm").arg(language);
}

QStringList installTranslations(const QString &language) {
    QStringList missing;
    const auto install = [&missing](const QString &name, const QString &dir) {
        auto *translator = new QTranslator(QCoreApplication::instance());
        if (translator->load(name, dir) && QCoreApplication::installTranslator(translator))
            return;
        delete translator;
        missing << QStringLiteral("%1/%2").arg(dir, name);
    };
    if (const QString own = programTranslation(language); !own.isEmpty())
        install(own, {});
    // English is Qt's own source language.
    if (language != kEnglish)
        install(QStringLiteral("qtbase_") + language,
                QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    return missing;
}

} // namespace digitrace
