#include "app/program_options.h"

#include <gtest/gtest.h>

namespace digitrace {
namespace {

ProgramOptions parse(QStringList args) {
    args.prepend(QStringLiteral("digitrace"));
    return parseProgramOptions(args);
}

TEST(ProgramOptions, PortDemoAndUnattended) {
    const ProgramOptions plain = parse({});
    EXPECT_FALSE(plain.exitNow);
    EXPECT_TRUE(plain.portName.isEmpty());
    EXPECT_FALSE(plain.demo);

    EXPECT_EQ(parse({"--port", "/dev/ttyUSB0"}).portName, QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(parse({"--port=/dev/pts/3"}).portName, QStringLiteral("/dev/pts/3"));

    const ProgramOptions file = parse({"--demo=sheet.cap", "--unattended", "--speed", "20", "--dxf",
                                       "out.dxf", "--png", "w.png"});
    EXPECT_TRUE(file.demo && file.unattended);
    EXPECT_EQ(file.speed, 20.0);
    EXPECT_EQ(file.dxfPath, QStringLiteral("out.dxf"));
    EXPECT_EQ(file.pngPath, QStringLiteral("w.png"));
    EXPECT_EQ(file.tabletUnitMm, 1.0);
    EXPECT_EQ(parse({"--tablet-unit", "0.1"}).tabletUnitMm, 0.1);
    EXPECT_EQ(parse({"--lang", "en"}).language, QStringLiteral("en"));
    EXPECT_EQ(parse({"--sheet", "NE-54-1"}).sheet, QStringLiteral("NE-54-1"));
    EXPECT_EQ(parse({"--snap", "0.5"}).snapMm, 0.5);
    EXPECT_TRUE(plain.language.isEmpty());
}

// --port, --tablet-unit and --tablet-format override the kept choice for one run; the rest of it
// stays, the site's button table too.
TEST(ProgramOptions, PortChoiceForRun) {
    TabletFormat keptFormat = *TabletFormat::named(u"calcomp2000");
    keptFormat.strict = false;
    keptFormat.buttons = *ButtonTable::fromText(u"1=3 2=1");
    const PortChoice kept{QStringLiteral("/dev/ttyUSB0"), {19200, 'n', 8, 1, 'h'}, 0.1, keptFormat};
    const struct {
        QStringList args;
        QString port;
        double unit;
        QString format = QStringLiteral("calcomp2000");
        bool strict = false;
    } rows[] = {
        {{}, "/dev/ttyUSB0", 0.1},
        {{"--port", "/dev/ttyACM1"}, "/dev/ttyACM1", 0.1},
        {{"--tablet-unit", "1"}, "/dev/ttyUSB0", 1},
        {{"--port=COM3", "--tablet-unit=0.0254"}, "COM3", 0.0254},
        {{"--tablet-format", "calcomp2000"}, "/dev/ttyUSB0", 0.1},
        {{"--tablet-format=summa-mm"}, "/dev/ttyUSB0", 0.1, "summa-mm", true},
        {{"--tablet-format", "fixed19"}, "/dev/ttyUSB0", 0.1, "fixed19", false},
    };
    for (const auto &r : rows) {
        const PortChoice run = portChoiceForRun(kept, parse(r.args));
        const std::string args = r.args.join(' ').toStdString();
        EXPECT_EQ(run.portName, r.port) << args;
        EXPECT_EQ(run.tabletUnitMm, r.unit) << args;
        EXPECT_EQ(run.line, kept.line);
        EXPECT_EQ(run.format.name(), r.format) << args;
        EXPECT_EQ(run.format.strict, r.strict) << args;
        EXPECT_EQ(run.format.buttons, kept.format.buttons) << args;
    }
}

TEST(ProgramOptions, DemoTakesItsCaptureInEitherForm) {
    const struct {
        QStringList args;
        QString capture; // empty: the sample sheet
        bool unattended;
    } rows[] = {
        {{"--demo"}, {}, false},
        {{"--demo="}, {}, false},
        {{"--demo=sheet.cap"}, "sheet.cap", false},
        {{"--demo", "sheet.cap"}, "sheet.cap", false},
        {{"--demo", "sheet.cap", "--unattended"}, "sheet.cap", true},
        {{"--unattended", "--demo", "sheet.cap"}, "sheet.cap", true},
        // A bare --demo before another option does not swallow it as its file.
        {{"--demo", "--unattended"}, {}, true},
        {{"-demo", "sheet.cap"}, "sheet.cap", false},
    };
    for (const auto &row : rows) {
        const ProgramOptions o = parse(row.args);
        const std::string args = row.args.join(u' ').toStdString();
        EXPECT_FALSE(o.exitNow) << args;
        EXPECT_TRUE(o.demo) << args;
        EXPECT_EQ(o.demoCapture, row.capture) << args;
        EXPECT_EQ(o.unattended, row.unattended) << args;
    }
}

TEST(ProgramOptions, WrongOptionsStopWithAnError) {
    for (const QStringList &args :
         {QStringList{"--bogus"}, QStringList{"--unattended"}, QStringList{"--demo", "--port", "x"},
          QStringList{"--demo", "--speed", "0"}, QStringList{"--demo", "--speed", "fast"},
          QStringList{"stray"}, QStringList{"--demo", "a.cap", "b.cap"},
          QStringList{"--tablet-unit", "0"}, QStringList{"--tablet-unit", "-1"},
          QStringList{"--tablet-unit", "inf"}, QStringList{"--tablet-unit", "1e308"},
          QStringList{"--lang", "fr"}, QStringList{"--sheet", " A-1"},
          QStringList{"--tablet-format", "auto"}, QStringList{"--tablet-format", "wacom"},
          QStringList{"--snap", "0"}, QStringList{"--snap", "11"}, QStringList{"--snap", "nan"}}) {
        const ProgramOptions o = parse(args);
        EXPECT_TRUE(o.exitNow) << args.join(u' ').toStdString();
        EXPECT_EQ(o.exitCode, 2) << args.join(u' ').toStdString();
    }
}

TEST(ProgramOptions, HelpAndVersionExitCleanly) {
    for (const char *a : {"--help", "-h", "--version"}) {
        const ProgramOptions o = parse({QString::fromLatin1(a)});
        EXPECT_TRUE(o.exitNow);
        EXPECT_EQ(o.exitCode, 0);
    }
}

} // namespace
} // namespace digitrace
