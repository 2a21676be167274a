#include "app/window/frm_trace1.h"
#include "app/window/help_feature.h"
#include "app/window/help_window.h"
#include "display/widget/drawing_area.h"
#include "fakes.h"
#include "i18n/languages.h"

#include <QDir>
#include <QImage>
#include <QRegularExpression>
#include <QScreen>
#include <QStatusBar>
#include <QTextBrowser>
#include <QTranslator>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace digitrace {
namespace {

// The program's translation for `language` while it lives, as `--lang` installs it.
class Language {
public:
    explicit Language(const QString &language) {
        if (programTranslation(language).isEmpty())
            return;
        EXPECT_TRUE(translator_.load(programTranslation(language)));
        QCoreApplication::installTranslator(&translator_);
    }
    ~Language() { QCoreApplication::removeTranslator(&translator_); }

private:
    QTranslator translator_;
};

const QString kGuide = QStringLiteral(":/digitrace/guide/");

TEST(HelpWindowTest, ShowsTheGuideInTheWindowsLanguageFromItsFirstPage) {
    const struct {
        QString language;
        QString title, linkedTitle;
    } rows[] = {{kJapanese, QStringLiteral("デジタイザートレースの使い方"),
                 QStringLiteral("タブレットをつなぐ\n")},
                {kEnglish, QStringLiteral("Using Digitizer Trace"),
                 QStringLiteral("Connecting a tablet\n")}};
    for (const auto &row : rows) {
        const Language language(row.language);
        HelpWindow help;
        const QString shown = help.browser()->toPlainText();
        EXPECT_TRUE(shown.startsWith(row.title)) << shown.left(80).toStdString();
        // The first page tells what the drawing area's colours mean.
        EXPECT_TRUE(shown.contains(QStringLiteral("RGB(95,63,63)")));
        EXPECT_TRUE(shown.contains(QStringLiteral("RGB(31,95,63)")));
        EXPECT_FALSE(shown.contains(QStringLiteral("cmake")));
        // A linked page opens as Markdown too, and the way back is open.
        help.browser()->setSource(QUrl(QStringLiteral("connecting.md")));
        EXPECT_TRUE(help.browser()->toPlainText().startsWith(row.linkedTitle))
            << help.browser()->toPlainText().left(40).toStdString();
        EXPECT_TRUE(help.browser()->isBackwardAvailable());
    }
}

// Every link and picture of every page leads somewhere, and each language has the same pages.
TEST(HelpWindowTest, EveryLinkAndPictureOfTheGuideIsThere) {
    static const QRegularExpression link(QStringLiteral("\\]\\(([^)]+)\\)"));
    const QStringList pages =
        QDir(kGuide + kJapanese).entryList({QStringLiteral("*.md")}, QDir::Files, QDir::Name);
    ASSERT_GE(pages.size(), 7);
    for (const QString &language : uiLanguages()) {
        const QDir dir(kGuide + language);
        EXPECT_EQ(dir.entryList({QStringLiteral("*.md")}, QDir::Files, QDir::Name), pages);
        for (const QString &page : pages) {
            QFile file(dir.filePath(page));
            ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << page.toStdString();
            for (const QRegularExpressionMatch &m :
                 link.globalMatch(QString::fromUtf8(file.readAll())))
                EXPECT_TRUE(m.captured(1).startsWith(QStringLiteral("http")) ||
                            dir.exists(m.captured(1)))
                    << (language + u'/' + page + u' ' + m.captured(1)).toStdString();
        }
    }
}

// Also run on a small screen: the window and its frame stay within the screen's free area, also
// when the main window sits in a corner.
TEST(HelpWindowTest, OpensWithinTheAvailableScreen) {
    test::SampleSheetWindow sheet;
    frmTrace1 &main = sheet.window;
    const QRect available = main.screen()->availableGeometry();
    main.show();
    main.setGeometry(available.right() - 300, available.bottom() - 200, 280, 180);
    const QWidget *help = main.features().help.showHelp();
    const QRect frame = help->frameGeometry();
    EXPECT_TRUE(available.contains(frame))
        << frame.x() << ',' << frame.y() << ' ' << frame.width() << 'x' << frame.height() << " in "
        << available.width() << 'x' << available.height();
}

// The guide's pictures are the window as it is: each is taken again here and compared with the
// one the guide embeds. When the window changes, copy the fresh pictures over the stale ones.
TEST(GuidePictures, ShowTheWindowAsItIs) {
    const QDir fresh(QStringLiteral(DIGITRACE_SCREENSHOTS "/guide"));
    for (const QString &code : uiLanguages()) {
        const Language language(code);
        test::SampleSheetWindow sheet;
        ASSERT_TRUE(sheet.trace());
        frmTrace1 &window = sheet.window;
        // No blinking text cursor, and no status line, whose rate follows the clock.
        window.controls().picDigit->setFocus();
        const QRect above(0, 0, window.width(), window.statusBar()->y());
        std::vector<std::pair<QString, QImage>> pictures;
        pictures.emplace_back(QStringLiteral("window.png"), window.grab(above).toImage());
        pictures.emplace_back(QStringLiteral("toolbar.png"),
                              window.controls().picBar->grab().toImage());
        window.Command2_Click();
        pictures.emplace_back(QStringLiteral("disconnected.png"), window.grab(above).toImage());

        ASSERT_TRUE(fresh.mkpath(code));
        for (const auto &[name, taken] : pictures) {
            const QString made = fresh.filePath(code + u'/' + name);
            ASSERT_TRUE(taken.save(made));
            const QString guide = QStringLiteral(DIGITRACE_GUIDE_DIR "/") + code + u'/' + name;
            const QImage embedded(guide);
            EXPECT_TRUE(!embedded.isNull() &&
                        embedded.convertToFormat(QImage::Format_RGB32) ==
                            QImage(made).convertToFormat(QImage::Format_RGB32))
                << "stale: cp " << made.toStdString() << ' ' << guide.toStdString();
        }

        QWidget *help = window.features().help.showHelp();
        help->resize(1000, 720);
        EXPECT_TRUE(
            help->grab().save(QStringLiteral(DIGITRACE_SCREENSHOTS "/help_%1.png").arg(code)));
        static_cast<HelpWindow *>(help)->browser()->setSource(QUrl(QStringLiteral("buttons.md")));
        EXPECT_TRUE(help->grab().save(
            QStringLiteral(DIGITRACE_SCREENSHOTS "/help_%1_buttons.png").arg(code)));
        help->close();
    }
}

} // namespace
} // namespace digitrace
