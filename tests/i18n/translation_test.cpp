#include "i18n/languages.h"
#include "model/record_check.h"
#include "registration/transform_fit.h"
#include "tests/support/translation_file.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTranslator>

#include <gtest/gtest.h>

namespace digitrace {
namespace {

using Message = test::TsMessage;
using test::readTs;

QSet<QString> keys(const std::vector<Message> &messages) {
    QSet<QString> set;
    for (const Message &m : messages)
        set.insert(m.context + u'|' + m.source);
    return set;
}

// The placeholders a text fills in, sorted: a translation must keep every one.
QStringList placeholders(const QString &text) {
    static const QRegularExpression marker(QStringLiteral("%\\d"));
    QStringList found;
    for (const QRegularExpressionMatch &m : marker.globalMatch(text))
        found << m.captured();
    found.sort();
    found.removeDuplicates();
    return found;
}

TEST(Translation, EveryTextHasAFinishedEnglishTranslationThatKeepsItsPlaceholders) {
    const std::vector<Message> messages = readTs(QStringLiteral(DIGITRACE_EN_TS));
    ASSERT_GT(messages.size(), 100u);
    QTranslator english;
    ASSERT_TRUE(english.load(programTranslation(kEnglish)));
    for (const Message &m : messages) {
        const std::string what = (m.context + u'|' + m.source).toStdString();
        EXPECT_TRUE(m.finished) << what;
        // lupdate files a tr() outside a class under the namespace, where no code looks it up.
        EXPECT_NE(m.context, QStringLiteral("digitrace")) << what;
        EXPECT_FALSE(m.translation.isEmpty()) << what;
        EXPECT_EQ(placeholders(m.translation), placeholders(m.source)) << what;
        // What the program finds at run time, from the translation it embeds.
        EXPECT_EQ(english.translate(m.context.toUtf8(), m.source.toUtf8()), m.translation) << what;
    }
}

// lupdate over the sources finds exactly the texts the translation file holds: none missing, none
// left over.
TEST(Translation, TheTranslationFileHoldsExactlyTheTextsOfTheCode) {
    QTemporaryDir dir;
    const QString fresh = dir.filePath(QStringLiteral("fresh.ts"));
    QProcess lupdate;
    lupdate.setWorkingDirectory(QStringLiteral(DIGITRACE_SOURCE_DIR));
    QStringList arguments = {QStringLiteral("-I"), QStringLiteral("."),
                             QStringLiteral("-extensions"), QStringLiteral("cpp,h")};
    arguments += QStringLiteral(DIGITRACE_TRANSLATED_FOLDERS).split(u',');
    arguments += {QStringLiteral("-ts"), fresh};
    lupdate.start(QStringLiteral(DIGITRACE_LUPDATE), arguments);
    ASSERT_TRUE(lupdate.waitForFinished(120000));
    ASSERT_EQ(lupdate.exitCode(), 0) << lupdate.readAllStandardError().toStdString();
    const QSet<QString> inCode = keys(readTs(fresh));
    const QSet<QString> inFile = keys(readTs(QStringLiteral(DIGITRACE_EN_TS)));
    for (const QString &k : inCode - inFile)
        ADD_FAILURE() << "not in digitrace_en.ts: " << k.toStdString();
    for (const QString &k : inFile - inCode)
        ADD_FAILURE() << "no longer in the code: " << k.toStdString();
}

// Texts the code puts together, as an English-speaking operator reads them: the program must look
// each one up where lupdate filed it, and the pieces must make a sentence.
TEST(Translation, ComposedTextsReadAsEnglish) {
    QTranslator english;
    ASSERT_TRUE(english.load(programTranslation(kEnglish)));
    QCoreApplication::installTranslator(&english);
    const std::vector<ControlPoint> two = {{"A", 0, 0, 0, 0, true}, {"B", 1, 0, 1, 0, true}};
    const struct {
        QString shown, expected;
    } rows[] = {
        {effectText(RecordEffect::Vertex), "Vertex"},
        {effectText(RecordEffect::End), "End"},
        {flawsText({true, false, true}), "no digit in X, wrong length"},
        {fitTransform(two, TransformKind::Affine).error,
         "The affine transform needs at least 3 control points in use (now 2)."},
    };
    QCoreApplication::removeTranslator(&english);
    for (const auto &row : rows)
        EXPECT_EQ(row.shown.toStdString(), row.expected.toStdString());
}

// Japanese needs no translation of the program's own, but Qt's dialogs need theirs.
TEST(Translation, JapaneseLoadsQtsOwnTranslation) {
    EXPECT_TRUE(programTranslation(kJapanese).isEmpty());
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancel"));
    EXPECT_EQ(installTranslations(kJapanese), QStringList());
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"),
              QStringLiteral("キャンセル"));
}

} // namespace
} // namespace digitrace
