#include "acquisition/formats/tablet_encoder.h"
#include "acquisition/memory_port.h"
#include "acquisition/qt_serial_port.h"
#include "app/window/custom_layout_editor.h"
#include "app/window/detection_panel.h"
#include "app/window/format_panel.h"
#include "app/window/line_listener.h"
#include "app/window/operator_settings.h"
#include "app/window/port_settings_dialog.h"
#include "fakes.h"
#include "i18n/languages.h"
#include "tests/support/pseudo_terminal.h"

#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QTranslator>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace digitrace {
namespace {

struct NoPorts : PortLister {
    QList<PortInfo> ports() const override { return {}; }
};

TabletFormat format(const char *name, bool strict, const char *buttons = "1=1 2=2 3=3") {
    TabletFormat f = *TabletFormat::named(QString::fromLatin1(name));
    f.strict = strict;
    f.buttons = *ButtonTable::fromText(QString::fromLatin1(buttons));
    return f;
}

TabletFormat custom(const char *layoutText) {
    TabletFormat f;
    f.kind = FormatKind::Custom;
    f.strict = true;
    f.layout = *CustomLayout::fromText(layoutText, nullptr);
    return f;
}

const TabletFormat kCustomByColumns =
    custom("columns = 1-6,7-12,14\nbutton = hex\nno-button = none\nline-end = crlf\n");
const TabletFormat kCustomBySeparator =
    custom("order = y,button,x\nseparator = ;\nbutton = flags\nno-button = 15\nline-end = lf\n");

TEST(PortSettingsDialogFormat, ChoiceRoundTrip) {
    const NoPorts lister;
    PortSettingsDialog dialog(lister);
    const PortChoice rows[] = {
        {QStringLiteral("/dev/ttyUSB0"), {}, 0.0254, {}},
        {QStringLiteral("/dev/ttyUSB0"), {19200, 'n', 8, 1, 'n'}, 0.01, format("summa-mm", false)},
        {QStringLiteral("COM2"), {}, 0.1, format("calcomp2000", true, "0=0 1=5 16=9")},
        {QStringLiteral("COM2"), {}, 1, format("wacom-iv", true, "")},
        {QStringLiteral("/dev/pts/3"), {}, 0.1, kCustomByColumns},
        {QStringLiteral("/dev/pts/3"), {}, 0.1, kCustomBySeparator},
    };
    for (const PortChoice &c : rows) {
        dialog.setChoice(c);
        EXPECT_EQ(dialog.choice(), c) << c.format.name().toStdString();
    }
}

// Each format is offered by its name with its label, in the operator's language.
TEST(PortSettingsDialogFormat, OffersEveryFormatWithItsTranslatedLabel) {
    QTranslator english;
    ASSERT_TRUE(english.load(programTranslation(kEnglish)));
    QCoreApplication::installTranslator(&english);
    const FormatPanel panel;
    QCoreApplication::removeTranslator(&english);
    const auto *kinds = panel.findChild<QComboBox *>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_TRUE(kinds);
    QStringList offered;
    for (int i = 0; i < kinds->count(); ++i)
        offered << kinds->itemText(i);
    EXPECT_EQ(offered, QStringList({QStringLiteral("fixed19 — 19-column fixed record (standard)"),
                                    QStringLiteral("bitpad-ascii — ASCII \"XXXX,YYYY,F\""),
                                    QStringLiteral("calcomp2000 — ASCII \"X,Y,B\""),
                                    QStringLiteral("summa-mm — 5-byte binary"),
                                    QStringLiteral("wacom-iv — 7-byte binary"),
                                    QStringLiteral("calcomp-binary — 6-byte binary"),
                                    QStringLiteral("Custom")}));
}

TEST(PortSettingsDialogFormat, BadInputIsRefusedAndChangesNothing) {
    const NoPorts lister;
    PortSettingsDialog dialog(lister);
    dialog.setChoice({{}, {}, 1, kCustomBySeparator});
    auto *buttons = dialog.formatPanel()->findChild<QLineEdit *>();
    buttons->setText(QStringLiteral("1=1 17=2"));
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.choice().format, kCustomBySeparator);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("site.layout"));
    CustomLayoutEditor *editor = dialog.formatPanel()->layoutEditor();
    QString error;
    ASSERT_TRUE(editor->exportFile(path, &error)) << error.toStdString();
    editor->setCustomLayout(kCustomByColumns.layout);
    ASSERT_TRUE(editor->importFile(path, &error)) << error.toStdString();
    EXPECT_EQ(editor->customLayout(), kCustomBySeparator.layout);

    QFile broken(path);
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("# shared\nbutton = hex\nline-end = sometimes\n");
    broken.close();
    EXPECT_FALSE(editor->importFile(path, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("3 行目"))) << error.toStdString();
    EXPECT_EQ(editor->customLayout(), kCustomBySeparator.layout);
    // A pipe nobody writes to is refused, not waited on.
    const QString fifo = dir.filePath(QStringLiteral("fifo.layout"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_FALSE(editor->importFile(fifo, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("通常のファイルではありません")));
}

TEST(PortSettingsFormat, StoredValuesFallBackToDefaults) {
    struct Row {
        const char *name, *strict, *buttons, *layout;
        TabletFormat expected;
    };
    const Row rows[] = {
        {nullptr, nullptr, nullptr, nullptr, {}},
        {"tablet9000", "true", "1=1", nullptr, {}},
        {"summa-mm", nullptr, nullptr, nullptr, *TabletFormat::named(u"summa-mm")},
        {"calcomp2000", "perhaps", "1=1 x", nullptr, *TabletFormat::named(u"calcomp2000")},
        {"bitpad-ascii", "false", "", nullptr, format("bitpad-ascii", false, "")},
        {"custom", "true", "1=1 2=2 3=3", "order = x,y\n", {}},
    };
    for (const Row &r : rows) {
        test::FirstStart firstStart;
        QSettings stored(QStringLiteral("digitrace"), QStringLiteral("digitrace"));
        const std::pair<const char *, const char *> values[] = {{"port/format", r.name},
                                                                {"port/formatStrict", r.strict},
                                                                {"port/formatButtons", r.buttons},
                                                                {"port/formatLayout", r.layout}};
        for (const auto &[key, value] : values) {
            stored.remove(QLatin1String(key));
            if (value)
                stored.setValue(QLatin1String(key), QString::fromLatin1(value));
        }
        stored.sync();
        EXPECT_EQ(OperatorSettings().portChoice().format, r.expected) << (r.name ? r.name : "-");
    }
    for (const TabletFormat &f : {kCustomByColumns, format("calcomp-binary", false, "4=1")}) {
        OperatorSettings().setPortChoice({{}, {}, 1, f});
        EXPECT_EQ(OperatorSettings().portChoice().format, f) << f.name().toStdString();
    }
}

// A tablet on a line that reads right only at its own speed and framing: at any other, every
// byte arrives as an 0xFF, as a UART mostly hands over a misframed character.
class FramedTablet : public MemoryPort {
public:
    FramedTablet(LineSettings own, QByteArray bytes) : own_(own), bytes_(std::move(bytes)) {}
    void setSettings(const LineSettings &s) override { settings_ = s; }
    bool open(QString *error) override {
        if (!MemoryPort::open(error))
            return false;
        const QByteArray heard = settings_ == own_
                                     ? bytes_
                                     : QByteArray(std::max<qsizetype>(600, bytes_.size()), '\xff');
        QTimer::singleShot(10, this, [this, heard] { deliver(heard); });
        return true;
    }

private:
    LineSettings own_, settings_;
    QByteArray bytes_;
};

// Hovering, then buttons 1 and 2 pressed and released over a few places.
QByteArray tabletSpeaking(const char *name) {
    const TabletFormat f = *TabletFormat::named(QString::fromLatin1(name));
    QByteArray bytes;
    for (int i = 0; i < 8; ++i) {
        const qint64 x = 10000 + 37 * i, y = 2000 + 11 * i;
        for (const int button : {0, 1 + i % 2, 1 + i % 2, 0})
            bytes += encodeReport(f, x, y, button).bytes;
    }
    return bytes;
}

// Runs the event loop until the listener has an answer, either one.
bool waitForAnswer(LineListener &listener) {
    QEventLoop loop;
    QObject::connect(&listener, &LineListener::found, &loop, &QEventLoop::quit);
    QObject::connect(&listener, &LineListener::nothingFound, &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, [&loop] { loop.exit(1); });
    return loop.exec() == 0;
}

TEST(LineDetection, ListensUnderTheUsualFramings) {
    const LineSettings e71{}, n81_19200{19200, 'n', 8, 1, 'n'};
    struct Row {
        const char *name;
        LineSettings own;
        QByteArray bytes;
        const char *expected; // a format's name, or a word of the reason nothing was found
    };
    const Row rows[] = {
        {"summa-mm", n81_19200, tabletSpeaking("summa-mm"), "summa-mm"},
        {"calcomp2000", e71, tabletSpeaking("calcomp2000"), "calcomp2000"},
        {"noise", n81_19200, QByteArray(700, '\x55'), "どの形式にも"},
        // Two records are listened to longer, then named as too few, never taken.
        {"too_few", e71, QByteArray("    100.0    200.01\r").repeated(3), "だけ届きました"},
        {"silent", e71, {}, "何も届きません"},
    };
    for (const Row &r : rows) {
        FramedTablet line(r.own, r.bytes);
        line.setPortName(QStringLiteral("/dev/ttyS0"));
        LineListener listener(line);
        listener.setTrialTime(1000);
        QSignalSpy found(&listener, &LineListener::found);
        QSignalSpy nothing(&listener, &LineListener::nothingFound);
        listener.listen(QStringLiteral("/dev/ttyUSB0"), e71);
        ASSERT_TRUE(waitForAnswer(listener)) << r.name;
        if (!found.isEmpty()) {
            const auto d = found.constFirst().constFirst().value<LineDetection>();
            EXPECT_EQ(d.format.name(), QLatin1String(r.expected)) << r.name;
            EXPECT_EQ(d.line, r.own) << r.name;
            ASSERT_FALSE(d.firstRecords.isEmpty()) << r.name;
            EXPECT_EQ(d.firstRecords.constFirst().x, 10000) << r.name;
        } else {
            EXPECT_TRUE(nothing.constFirst().constFirst().toString().contains(
                QString::fromUtf8(r.expected)))
                << r.name << " " << nothing.constFirst().constFirst().toString().toStdString();
        }
        EXPECT_FALSE(line.isOpen()) << r.name;
        EXPECT_EQ(line.portName(), QStringLiteral("/dev/ttyS0")) << r.name;
    }
}

// The same over a real device: the pseudo-terminal's far end speaks while it is listened to.
TEST(LineDetection, HearsATabletOverAPseudoTerminal) {
    test::PseudoTerminal far;
    ASSERT_TRUE(far.isValid());
    QtSerialPort line;
    LineListener listener(line);
    QSignalSpy found(&listener, &LineListener::found);
    // Eight data bits: the binary formats are not listened for at seven.
    listener.listen(far.device(), {19200, 'n', 8, 1, 'n'});
    ASSERT_TRUE(line.isOpen());
    const test::ChunkedWriter writer(far.fd(), tabletSpeaking("wacom-iv"), 16, 7);
    ASSERT_TRUE(waitForAnswer(listener));
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(found.constFirst().constFirst().value<LineDetection>().format.kind,
              FormatKind::WacomIv);
    EXPECT_FALSE(line.isOpen());
    EXPECT_FALSE(test::hasLock(far.device()));
}

TEST(LineDetection, TheDialogTakesWhatTheOperatorAccepts) {
    const NoPorts lister;
    const LineSettings n81_19200{19200, 'n', 8, 1, 'n'};
    FramedTablet line(n81_19200, tabletSpeaking("summa-mm"));
    LineListener listener(line);
    listener.setTrialTime(1000);
    PortSettingsDialog dialog(lister, &listener);
    dialog.setChoice({{}, {}, 0.0254, format("fixed19", false, "1=4 2=5")});
    DetectionPanel *panel = dialog.detectionPanel();

    dialog.setConnected(true);
    EXPECT_FALSE(panel->detectButton()->isEnabled());
    dialog.setConnected(false);
    ASSERT_TRUE(panel->detectButton()->isEnabled());
    QSignalSpy found(&listener, &LineListener::found);
    panel->detectButton()->click();
    ASSERT_TRUE(found.wait(10000));
    EXPECT_TRUE(panel->resultText().contains(QStringLiteral("summa-mm")));
    EXPECT_EQ(dialog.choice().format.kind, FormatKind::Fixed19); // not taken until accepted
    panel->acceptButton()->click();
    const PortChoice taken = dialog.choice();
    EXPECT_EQ(taken.format.kind, FormatKind::SummaMm);
    EXPECT_TRUE(taken.format.strict);
    EXPECT_EQ(taken.format.buttons.toText(), QStringLiteral("1=4 2=5"));
    EXPECT_EQ(taken.line, n81_19200);
}

// What the panel shows of a detection and what each of its buttons takes.
TEST(LineDetection, ThePanelShowsTheRecordsAndAsksBetweenReadings) {
    const LineSettings n81_19200{19200, 'n', 8, 1, 'n'};
    const struct {
        const char *name;
        QByteArray bytes;
        QStringList shown;   // in the panel's text
        QStringList choices; // the formats its accept buttons take, in order
    } rows[] = {
        // The designed record's own example values, not X 0 Y 0.
        {"fixed19_values",
         QByteArray("    100.0    200.01\r").repeated(8),
         {"X 100.0  Y 200.0  コード 1"},
         {"fixed19"}},
        // A BitPad II cursor may number its keys 0123 (KuuubeTD docs/wacom_ive_1_4.md, "BitPad
        // II cursor data"): CalComp 2000 reads the key-0 presses as hovering.
        {"bitpad_key_0_also_calcomp",
         QByteArray("1000,2000,0\r\n1040,2030,1\r\n1080,2060,0\r\n1120,2090,0\r\n"
                    "1160,2120,2\r\n1200,2150,0\r\n")
             .repeated(2),
         {"bitpad-ascii、calcomp2000", "形式 calcomp2000 として: 記録 4 件"},
         {"bitpad-ascii", "calcomp2000"}},
    };
    const NoPorts lister;
    for (const auto &r : rows) {
        SCOPED_TRACE(r.name);
        for (int choice = 0; choice < r.choices.size(); ++choice) {
            FramedTablet line(n81_19200, r.bytes);
            LineListener listener(line);
            listener.setTrialTime(300);
            PortSettingsDialog dialog(lister, &listener);
            dialog.setChoice({{}, n81_19200, 0.0254, format("summa-mm", true)});
            DetectionPanel *panel = dialog.detectionPanel();
            panel->detectButton()->click();
            ASSERT_TRUE(waitForAnswer(listener));
            for (const QString &text : r.shown)
                EXPECT_TRUE(panel->resultText().contains(text))
                    << panel->resultText().toStdString();
            ASSERT_EQ(panel->otherAcceptButtons().size(), r.choices.size() - 1);
            (choice == 0 ? panel->acceptButton() : panel->otherAcceptButtons()[choice - 1])
                ->click();
            EXPECT_EQ(dialog.choice().format.name(), r.choices[choice]);
        }
    }
}

// A binary format finds a report's start by bit 7, which 7 data bits never carry.
TEST(PortSettingsDialogFormat, RefusesABinaryFormatAtSevenDataBits) {
    const NoPorts lister;
    const LineSettings e71{9600, 'e', 7, 1, 'n'};
    const struct {
        TabletFormat format;
        LineSettings line;
        bool accepted;
    } rows[] = {
        {format("summa-mm", true), e71, false},
        {format("calcomp-binary", true), e71, false},
        {format("calcomp2000", true), e71, true},
        {format("wacom-iv", true), {9600, 'n', 8, 1, 'n'}, true},
    };
    for (const auto &r : rows) {
        PortSettingsDialog dialog(lister);
        dialog.setChoice({QStringLiteral("/dev/ttyS0"), r.line, 0.0254, r.format});
        dialog.accept();
        EXPECT_EQ(dialog.result() == QDialog::Accepted, r.accepted)
            << r.format.name().toStdString();
        EXPECT_EQ(PortSettingsDialog::pairingProblem(dialog.choice()).contains(u"データビット 7"),
                  !r.accepted);
    }
}

// The dialog with a site's layout and a detection to accept, in both languages, for a person to
// look at.
TEST(Screenshots, PortSettingsFormatInBothLanguages) {
    const QDir out(QStringLiteral(DIGITRACE_SCREENSHOTS));
    ASSERT_TRUE(out.mkpath(QStringLiteral(".")));
    for (const QString &language : {kJapanese, kEnglish}) {
        QTranslator translator;
        if (language == kEnglish) {
            ASSERT_TRUE(translator.load(programTranslation(kEnglish)));
            QCoreApplication::installTranslator(&translator);
        }
        const NoPorts lister;
        FramedTablet line({19200, 'n', 8, 1, 'n'}, tabletSpeaking("summa-mm"));
        LineListener listener(line);
        listener.setTrialTime(1000);
        PortSettingsDialog dialog(lister, &listener);
        dialog.setChoice({QStringLiteral("/dev/ttyUSB0"), {}, 0.0254, kCustomBySeparator});
        dialog.show();
        dialog.detectionPanel()->detectButton()->click();
        EXPECT_TRUE(waitForAnswer(listener));
        EXPECT_TRUE(dialog.grab().save(
            out.filePath(QStringLiteral("port_settings_format_%1.png").arg(language))));
        // Two formats read the line differently: the operator is asked.
        FramedTablet twoWays({19200, 'n', 8, 1, 'n'},
                             QByteArray("1000,2000,0\r\n1040,2030,1\r\n1080,2060,0\r\n"
                                        "1120,2090,0\r\n1160,2120,2\r\n1200,2150,0\r\n")
                                 .repeated(2));
        LineListener asking(twoWays);
        asking.setTrialTime(300);
        PortSettingsDialog question(lister, &asking);
        question.setChoice({QStringLiteral("/dev/ttyUSB0"), {}, 0.0254, {}});
        question.show();
        question.detectionPanel()->detectButton()->click();
        EXPECT_TRUE(waitForAnswer(asking));
        EXPECT_TRUE(question.grab().save(
            out.filePath(QStringLiteral("port_settings_detection_question_%1.png").arg(language))));
        QCoreApplication::removeTranslator(&translator);
    }
}

} // namespace
} // namespace digitrace
