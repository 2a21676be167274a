#include "acquisition/formats/tablet_encoder.h"
#include "acquisition/memory_port.h"
#include "app/window/class_feature.h"
#include "app/window/detection_panel.h"
#include "app/window/format_panel.h"
#include "app/window/frm_trace1.h"
#include "app/window/help_feature.h"
#include "app/window/help_window.h"
#include "app/window/line_listener.h"
#include "app/window/port_feature.h"
#include "app/window/port_settings_dialog.h"
#include "app/window/publish_dialog.h"
#include "app/window/registration_dialog.h"
#include "app/window/tablet_menu_dialog.h"
#include "app/window/tablet_menu_feature.h"
#include "app/window/window_features.h"
#include "display/widget/drawing_area.h"
#include "fakes.h"
#include "i18n/languages.h"
#include "tests/support/record_text.h"
#include "tracing/tracing_session.h"

#include <QDir>
#include <QImage>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTextBrowser>
#include <QTimer>
#include <QTranslator>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <optional>

namespace digitrace {

// The topology check's markers and list (topology_window_test.cpp).
QImage topologyPicture();

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

// Every link and picture of every page leads somewhere, each language has the same pages, and
// the first page's contents lead to every other page.
TEST(HelpWindowTest, EveryLinkAndPictureOfTheGuideIsThere) {
    static const QRegularExpression link(QStringLiteral("\\]\\(([^)]+)\\)"));
    const QStringList pages =
        QDir(kGuide + kJapanese).entryList({QStringLiteral("*.md")}, QDir::Files, QDir::Name);
    ASSERT_GE(pages.size(), 11);
    for (const QString &language : uiLanguages()) {
        const QDir dir(kGuide + language);
        EXPECT_EQ(dir.entryList({QStringLiteral("*.md")}, QDir::Files, QDir::Name), pages);
        QStringList contents{QStringLiteral("index.md")};
        for (const QString &page : pages) {
            QFile file(dir.filePath(page));
            ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << page.toStdString();
            for (const QRegularExpressionMatch &m :
                 link.globalMatch(QString::fromUtf8(file.readAll()))) {
                EXPECT_TRUE(m.captured(1).startsWith(QStringLiteral("http")) ||
                            dir.exists(m.captured(1)))
                    << (language + u'/' + page + u' ' + m.captured(1)).toStdString();
                if (page == QStringLiteral("index.md"))
                    contents << m.captured(1);
            }
        }
        for (const QString &page : pages)
            EXPECT_TRUE(contents.contains(page)) << (language + u'/' + page).toStdString();
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

// A computer with a built-in port and a USB adapter.
struct TwoPorts : PortLister {
    QList<PortInfo> ports() const override {
        return {{QStringLiteral("/dev/ttyS0"), {}, {}, {}},
                {QStringLiteral("/dev/ttyUSB0"), QStringLiteral("FT232R USB UART"),
                 QStringLiteral("FTDI"), QStringLiteral("A10KZ3Q9")}};
    }
};

// A 1000 lpi tablet speaking summa-mm at 19200 baud, 8 data bits, no parity.
PortChoice summaTablet() {
    return {QStringLiteral("/dev/ttyUSB0"),
            {19200, 'n', 8, 1, 'n'},
            0.0254,
            *TabletFormat::named(u"summa-mm")};
}

// Presses of `button` at each place, each released again, as the tablet reports them.
QByteArray presses(const TabletFormat &format, const QList<QPoint> &places, int button) {
    QByteArray bytes;
    for (const QPoint &p : places)
        for (const int b : {0, button, 0})
            bytes += encodeReport(format, p.x(), p.y(), b).bytes;
    return bytes;
}

// Whatever the framing tried, the line hands over the same bytes once it is opened.
class SpeakingLine : public MemoryPort {
public:
    explicit SpeakingLine(QByteArray bytes) : bytes_(std::move(bytes)) {}
    bool open(QString *error) override {
        if (!MemoryPort::open(error))
            return false;
        QTimer::singleShot(0, this, [this] { deliver(bytes_); });
        return true;
    }

private:
    QByteArray bytes_;
};

QImage portSettingsPicture() {
    const TwoPorts lister;
    MemoryPort idle;
    LineListener listener(idle);
    PortSettingsDialog dialog(lister, &listener);
    dialog.setChoice(summaTablet());
    dialog.show();
    return dialog.grab().toImage();
}

QImage customLayoutPicture() {
    TabletFormat site;
    site.kind = FormatKind::Custom;
    site.strict = true;
    site.layout = *CustomLayout::fromText(
        "order = button,x,y\nseparator = ;\nbutton = flags\nno-button = 0\nline-end = crlf\n",
        nullptr);
    FormatPanel panel;
    panel.setFormat(site);
    panel.show();
    return panel.grab().toImage();
}

QImage detectionPicture() {
    const TabletFormat summa = summaTablet().format;
    const QList<QPoint> marks{{4120, 2980}, {6310, 3150}, {6480, 5020}, {4200, 4890}};
    SpeakingLine line(presses(summa, marks, 1) + presses(summa, marks, 2));
    LineListener listener(line);
    const TwoPorts lister;
    PortSettingsDialog dialog(lister, &listener);
    dialog.setChoice(summaTablet());
    dialog.show();
    QSignalSpy found(&listener, &LineListener::found);
    dialog.detectionPanel()->detectButton()->click();
    if (found.isEmpty() && !found.wait(10000))
        return {};
    return dialog.detectionPanel()->grab().toImage();
}

QImage publishPicture() {
    PublishDialog dialog;
    dialog.setChoice({QStringLiteral("PG:service=maps"), QStringLiteral("ann"),
                      QStringLiteral("NI-54-25-1"), true});
    dialog.show();
    return dialog.grab().toImage();
}

// Seven marks of a 1:1000 sheet on the plane rectangular system IX, turned by 3 degrees and
// digitized a few centimetres off, the map coordinates typed to the centimetre; the north-east
// corner's north was typed half a metre wrong.
QImage registrationPicture() {
    const struct {
        const char *name;
        double x, y, offEast, offNorth;
    } marks[] = {{"NW", 12.5, 300.25, 0.05, -0.04}, {"NE", 612.5, 300.25, -0.06, 0.53},
                 {"SE", 612.5, 20, 0.04, 0.05},     {"SW", 12.5, 20, -0.03, -0.05},
                 {"N", 312.5, 300.25, 0.02, 0.04},  {"S", 312.5, 20, -0.04, 0.02},
                 {"C", 312.5, 160, 0.03, 0.05}};
    Registration registration{{}, TransformKind::Affine, QStringLiteral("EPSG:6677")};
    const double a = 3 * M_PI / 180;
    const auto typed = [](double v) { return std::round(v * 100) / 100; };
    for (const auto &m : marks)
        registration.points.push_back(
            {QString::fromLatin1(m.name), m.x, m.y,
             typed(-12000 + m.x * std::cos(a) - m.y * std::sin(a) + m.offEast),
             typed(-35500 + m.x * std::sin(a) + m.y * std::cos(a) + m.offNorth), true});
    test::FakeDialogs dialogs;
    RegistrationDialog dialog(dialogs, registration, std::nullopt, 1, QStringLiteral("NI-54-25-1"));
    dialog.show();
    // Room for the seventh row.
    dialog.resize(dialog.width(), dialog.height() + 40);
    return dialog.grab().toImage();
}

// A building and a mark traced on a summa-mm tablet, and a road begun, the puck on its way to
// the road's next vertex.
QImage cursorPicture() {
    test::FirstStart firstStart;
    TraceModel model{QLocale::c()};
    MemoryPort port;
    test::FakeDialogs dialogs;
    frmTrace1 window{model, port, &dialogs};
    window.features().port.usePortChoice(summaTablet());
    const TabletFormat summa = summaTablet().format;
    window.show();
    window.Command1_Click();
    const auto press = [&](int x, int y, int button) {
        port.deliver(presses(summa, {{x, y}}, button));
    };
    press(3000, 3000, 1);
    for (const QPoint &p : {QPoint(9000, 3000), QPoint(9000, 7000), QPoint(3000, 7000)})
        press(p.x(), p.y(), 2);
    press(3000, 3000, 3);
    press(11000, 2000, 5);
    press(1000, 9000, 1);
    press(6000, 10000, 2);
    port.deliver(encodeReport(summa, 9800, 10900, 0).bytes);
    window.controls().picDigit->setFocus();
    const QImage picture = window.controls().picDigit->grab().toImage();
    window.Command2_Click();
    window.features().job.finish();
    return picture;
}

// A few buildings, contours stepped from the puck and a well traced into classes, the second
// building selected: the class panel, the attribute strip and the class colours.
QImage classesPicture() {
    test::FirstStart firstStart;
    TraceModel model{QLocale::c()};
    MemoryPort port;
    test::FakeDialogs dialogs;
    frmTrace1 window{model, port, &dialogs};
    window.show();
    TracingSession &session = window.features().session;
    EXPECT_TRUE(session.useCatalogue(QStringLiteral(
        "[建物]\nkind = polygon\ncolour = #d04040\nfield = 階数 integer default 1\n"
        "field = 構造 choice 木造|鉄骨|RC default 木造\n"
        "[等高線]\nkind = line\ncolour = #4080ff\nfield = 標高 real default 100 step 5 required\n"
        "[井戸]\nkind = point\ncolour = #00c0c0\nfield = 名称 text required\n")));
    window.Command1_Click();
    const auto record = [&](double x, double y, int code) {
        port.deliver(test::recordText(x, y, code).toLatin1());
    };
    for (const QPointF &corner : {QPointF(100, 100), QPointF(400, 500)}) {
        record(corner.x(), corner.y(), 1);
        record(corner.x() + 200, corner.y(), 2);
        record(corner.x() + 200, corner.y() + 150, 2);
        record(corner.x(), corner.y() + 150, 2);
        record(0, 0, 3);
    }
    session.chooseClass(QStringLiteral("等高線"));
    for (int i = 0; i < 3; ++i) {
        record(50, 800 + 60 * i, 1);
        record(400, 850 + 60 * i, 2);
        record(800, 820 + 60 * i, 2);
        session.stepNextFeature(1);
    }
    session.chooseClass(QStringLiteral("井戸"));
    record(700, 300, 1);
    record(700, 300, 3);
    window.findChild<ClassFeature *>()->select(5);
    window.controls().picDigit->setFocus();
    const QImage picture =
        window.grab(QRect(0, 0, window.width(), window.statusBar()->y())).toImage();
    window.Command2_Click();
    window.features().job.finish();
    return picture;
}

// The tablet menu of a catalogue's classes and the commands, as its dialog shows it.
QImage tabletMenuPicture() {
    test::FirstStart firstStart;
    TraceModel model{QLocale::c()};
    MemoryPort port;
    test::FakeDialogs dialogs;
    frmTrace1 window{model, port, &dialogs};
    EXPECT_TRUE(window.features().session.useCatalogue(
        QStringLiteral("[建物]\nkind = polygon\ncolour = #d04040\n[等高線]\nkind = line\n"
                       "colour = #4080ff\n[井戸]\nkind = point\ncolour = #00c0c0\n")));
    window.features().tabletMenu.openDialog();
    TabletMenuDialog *dialog = window.features().tabletMenu.dialog();
    const QImage picture = dialog->grab().toImage();
    dialog->close();
    window.features().job.finish();
    return picture;
}

// The guide's pictures are the program as it is: each is taken again here and compared with the
// one the guide embeds, and the guide holds no picture that is not taken here. When the window
// changes, copy the fresh pictures over the stale ones.
TEST(GuidePictures, ShowTheProgramAsItIs) {
    const QDir fresh(QStringLiteral(DIGITRACE_SCREENSHOTS "/guide"));
    const struct {
        const char *name;
        QImage (*take)();
    } dialogPictures[] = {{"port_settings.png", portSettingsPicture},
                          {"custom_layout.png", customLayoutPicture},
                          {"detection.png", detectionPicture},
                          {"publish.png", publishPicture},
                          {"registration.png", registrationPicture},
                          {"cursor.png", cursorPicture},
                          {"classes.png", classesPicture},
                          {"tablet_menu.png", tabletMenuPicture},
                          {"topology.png", topologyPicture}};
    for (const QString &code : uiLanguages()) {
        const Language language(code);
        std::vector<std::pair<QString, QImage>> pictures;
        for (const auto &row : dialogPictures)
            pictures.emplace_back(QString::fromLatin1(row.name), row.take());

        test::SampleSheetWindow sheet;
        ASSERT_TRUE(sheet.trace());
        frmTrace1 &window = sheet.window;
        // No blinking text cursor, and no status line, whose rate follows the clock.
        window.controls().picDigit->setFocus();
        const QRect above(0, 0, window.width(), window.statusBar()->y());
        pictures.emplace_back(QStringLiteral("window.png"), window.grab(above).toImage());
        pictures.emplace_back(QStringLiteral("toolbar.png"),
                              window.controls().picBar->grab().toImage());
        window.Command2_Click();
        pictures.emplace_back(QStringLiteral("disconnected.png"), window.grab(above).toImage());

        const QDir guide(QStringLiteral(DIGITRACE_GUIDE_DIR "/") + code);
        QStringList taken;
        for (const auto &[name, picture] : pictures)
            taken << name;
        taken.sort();
        EXPECT_EQ(taken.join(u' ').toStdString(),
                  guide.entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name)
                      .join(u' ')
                      .toStdString());
        ASSERT_TRUE(fresh.mkpath(code));
        for (const auto &[name, picture] : pictures) {
            const QString made = fresh.filePath(code + u'/' + name);
            ASSERT_TRUE(!picture.isNull() && picture.save(made)) << name.toStdString();
            const QImage embedded(guide.filePath(name));
            EXPECT_TRUE(!embedded.isNull() &&
                        embedded.convertToFormat(QImage::Format_RGB32) ==
                            QImage(made).convertToFormat(QImage::Format_RGB32))
                << "stale: cp " << made.toStdString() << ' ' << guide.filePath(name).toStdString();
        }

        // The help window on some of its pages, each whole, for a person to look at.
        auto *help = static_cast<HelpWindow *>(window.features().help.showHelp());
        for (const QString &page :
             {QString(), QStringLiteral("buttons"), QStringLiteral("formats"),
              QStringLiteral("detection"), QStringLiteral("cursor"), QStringLiteral("registration"),
              QStringLiteral("publish"), QStringLiteral("classes"), QStringLiteral("tablet_menu"),
              QStringLiteral("topology")}) {
            if (!page.isEmpty())
                help->browser()->setSource(QUrl(page + QStringLiteral(".md")));
            help->resize(help->width(),
                         std::max(720, int(help->browser()->document()->size().height()) + 60));
            EXPECT_TRUE(help->grab().save(QStringLiteral(DIGITRACE_SCREENSHOTS "/help_%1%2.png")
                                              .arg(code, page.isEmpty() ? page : u'_' + page)));
        }
        help->close();
    }
}

} // namespace
} // namespace digitrace
