#include "acquisition/record_framer.h"
#include "export/dxf_export.h"
#include "job/journal_format.h"
#include "job/journal_reader.h"
#include "model/trace_model.h"
#include "registration/control_points_file.h"
#include "registration/registration.h"
#include "tests/support/postgres_server.h"
#include "tests/support/record_text.h"

#include "tests/support/file_size_limit.h"
#include "tests/support/files.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <tuple>

namespace digitrace {
namespace {

const QString kData = QStringLiteral(DIGITRACE_TOOLS_DATA);

QString dataFile(const char *name) {
    return kData + u'/' + QLatin1String(name);
}

using test::readFile;
using test::writeFile;

struct Finished {
    int exitCode = -1;
    QString out;
    QString err;
};

struct RunSetup {
    QString locale = QStringLiteral("C");
    QString workingDirectory = {};
    QByteArray input = {};
    QString stdoutFile = {};
};

Finished replay(const QStringList &arguments, const RunSetup &setup = {}) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &key : env.keys())
        if (key == u"LANG" || key == u"LANGUAGE" || key.startsWith(u"LC_"))
            env.remove(key);
    env.insert(QStringLiteral("LC_ALL"), setup.locale);
    QProcess process;
    process.setProcessEnvironment(env);
    if (!setup.workingDirectory.isEmpty())
        process.setWorkingDirectory(setup.workingDirectory);
    if (!setup.stdoutFile.isEmpty())
        process.setStandardOutputFile(setup.stdoutFile);
    process.start(QStringLiteral(DIGITRACE_REPLAY), arguments);
    if (!process.waitForStarted())
        return {};
    process.write(setup.input);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

// The closing lines, from the ten values in their order.
QString summary(const QStringList &values) {
    static const QStringList names = {"PtCount",   "PointCount", "LineCount", "PolyCount",
                                      "lblPoints", "lblLines",   "lblPoly",   "lblLength",
                                      "lblLenAll", "lblArea"};
    QString text;
    for (qsizetype i = 0; i < names.size(); ++i)
        text += names[i] + u'\t' + values.value(i) + u'\n';
    return text;
}

struct GoldenCase {
    const char *name;
    QStringList arguments;
    QString locale;
    QString expected;
    QString refusedLine;
};

const QString kNoneRefused =
    QStringLiteral("0 record(s) refused: 0 with the table full, 0 with a coordinate out of range");
const QString kOneOutOfRange =
    QStringLiteral("1 record(s) refused: 0 with the table full, 1 with a coordinate out of range");

// The square's sides are 100 tablet units, 100 m at 1:1000. The mixed capture ends its records
// with CR LF and holds a point, a stray vertex, a line and a record with a coordinate out of range
// before the line closes into a triangle.
const GoldenCase kGoldenCases[] = {
    {"square_c",
     {dataFile("square.cap")},
     "C",
     summary({"5", "0", "0", "1", "0", "0", "1", "100.00 ｍ", "400.00 ｍ", "10,000.0000 ｍ2"}),
     kNoneRefused},
    {"square_german",
     {dataFile("square.cap")},
     "de_DE.UTF-8",
     summary({"5", "0", "0", "1", "0", "0", "1", "100,00 ｍ", "400,00 ｍ", "10.000,0000 ｍ2"}),
     kNoneRefused},
    {"square_letters_scale_is_one",
     {"--scale", "abc", dataFile("square.cap")},
     "C",
     summary({"5", "0", "0", "1", "0", "0", "1", "100.00 mm", "400.00 mm", "10,000.0000 mm2"}),
     kNoneRefused},
    {"square_negative_scale_counts_by_magnitude",
     {"--scale", "-500", dataFile("square.cap")},
     "C",
     summary({"5", "0", "0", "1", "0", "0", "1", "50.00 ｍ", "200.00 ｍ", "2,500.0000 ｍ2"}),
     kNoneRefused},
    {"mixed_each_c",
     {"--each", dataFile("mixed.cap")},
     "C",
     "1\t1\t0\t0\t1\t0\t0\t0.00\t0.00\t0.00\n"
     "1\t1\t0\t0\t1\t0\t0\t0.00\t0.00\t0.00\n"
     "2\t1\t0\t0\t1\t0\t0\t0.00\t0.00\t0.00\n"
     "3\t1\t1\t0\t1\t1\t0\t12,345.60 ｍ\t12,345.60 ｍ\t0.00\n"
     "4\t1\t1\t0\t1\t1\t0\t3,000.00 ｍ\t15,345.60 ｍ\t0.00\n"
     "4\t1\t1\t0\t1\t1\t0\t3,000.00 ｍ\t15,345.60 ｍ\t0.00\n"
     "5\t1\t0\t1\t1\t0\t1\t12,704.87 ｍ\t28,050.47 ｍ\t18,518,399.4141 ｍ2\n" +
         summary({"5", "1", "0", "1", "1", "0", "1", "12,704.87 ｍ", "28,050.47 ｍ",
                  "18,518,399.4141 ｍ2"}),
     kOneOutOfRange},
    {"mixed_german",
     {dataFile("mixed.cap")},
     "de_DE.UTF-8",
     summary({"5", "1", "0", "1", "1", "0", "1", "12.704,87 ｍ", "28.050,47 ｍ",
              "18.518.399,4141 ｍ2"}),
     kOneOutOfRange},
};

class ReplayGolden : public testing::TestWithParam<GoldenCase> {};

TEST_P(ReplayGolden, PrintsTheWindowsValues) {
    const GoldenCase &c = GetParam();
    const Finished run = replay(c.arguments, {.locale = c.locale});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, c.expected);
    EXPECT_TRUE(run.err.contains(c.refusedLine)) << run.err.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Captures, ReplayGolden, testing::ValuesIn(kGoldenCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(Replay, ReadsStandardInputWhenNoCaptureOrDashIsGiven) {
    const QString expected = replay({dataFile("square.cap")}).out;
    const RunSetup fromInput{.input = readFile(dataFile("square.cap"))};
    EXPECT_EQ(replay({}, fromInput).out, expected);
    EXPECT_EQ(replay({QStringLiteral("-")}, fromInput).out, expected);
}

// The job file a window makes of a capture received at 1/`scale`.
QByteArray jobOf(const QByteArray &capture, float scale, const QByteArray &lines = {}) {
    QByteArray job = journalHeaderLine() + lines +
                     encodeEntry(entry::Connect{true, scale, QString::number(scale)});
    for (const QString &record : RecordFramer().feed(capture))
        job += encodeEntry(entry::Record{record});
    return job;
}

QByteArray checkedLine(const QByteArray &body) {
    return body + '*' + QByteArray::number(crc32(body), 16).rightJustified(8, '0') + '\n';
}

// A job file of the capture prints what the capture prints; a damaged tail is told and skipped.
TEST(Replay, ReadsJobFilesAsTheirCapture) {
    QTemporaryDir dir;
    const QByteArray job = jobOf(readFile(dataFile("mixed.cap")), 2500);
    const QString path = dir.filePath(QStringLiteral("mixed.dtjob"));
    writeFile(path, job);
    const Finished fromCapture = replay({QStringLiteral("--scale=2500"), dataFile("mixed.cap")});
    const Finished fromJob = replay({path});
    EXPECT_EQ(fromJob.exitCode, 0) << fromJob.err.toStdString();
    EXPECT_EQ(fromJob.out, fromCapture.out);
    EXPECT_EQ(replay({}, {.input = job}).out, fromCapture.out);
    const QByteArray clearTakenBack =
        encodeEntry(entry::Clear{}) + encodeEntry(entry::ClearUndone{});
    EXPECT_EQ(replay({}, {.input = job + clearTakenBack}).out, fromCapture.out);

    writeFile(path, job + "R  1.0 2.0 3*0\n");
    const Finished damaged = replay({path});
    EXPECT_EQ(damaged.exitCode, 1);
    EXPECT_EQ(damaged.out, fromCapture.out);
    EXPECT_TRUE(damaged.err.contains(QStringLiteral("damaged from byte %1").arg(job.size() + 1)));
}

// A job file that does not read cleanly is told so, whatever is damaged, and what reads of it is
// replayed: never taken for a capture, never replayed past a line that cannot be read.
TEST(Replay, TellsOfADamagedJobAndReplaysWhatReads) {
    const QByteArray job = jobOf(readFile(dataFile("mixed.cap")), 2500);
    const QString expected = replay({QStringLiteral("--scale=2500"), dataFile("mixed.cap")}).out;
    QByteArray damagedHeader = job;
    damagedHeader[3] = char(damagedHeader[3] ^ 1);
    const qsizetype header = journalHeaderLine().size();
    const struct {
        const char *name;
        QByteArray input;
        QString message;
    } rows[] = {
        {"header", damagedHeader, "its header line is damaged"},
        {"scale", jobOf(readFile(dataFile("mixed.cap")), 2500, checkedLine("C 1 nan 1")),
         "line 2 has the scale 1/nan"},
        {"unit", job.first(header) + checkedLine("U 1e308") + job.sliced(header),
         "line 2 has the tablet unit 1e308 mm"},
        {"endless zeros after it", job + QByteArray(3 * kLongestJournalLine, '\0'),
         QStringLiteral("line %1 is longer than").arg(job.count('\n') + 1)},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const Finished run = replay({}, {.input = row.input});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.err.contains(row.message)) << run.err.toStdString();
        EXPECT_EQ(run.out, expected);
    }
}

void expectFullTable(const Finished &run) {
    EXPECT_EQ(run.exitCode, 0);
    const QStringList lines = run.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), kSlotCount + 1 + 10);
    EXPECT_TRUE(lines[kSlotCount - 1].startsWith(QStringLiteral("10001\t10001\t")));
    EXPECT_EQ(lines[kSlotCount], lines[kSlotCount - 1]);
    EXPECT_TRUE(run.out.endsWith(
        summary({"10001", "10001", "0", "0", "10001", "0", "0", "0.00", "0.00", "0.00"})));
    EXPECT_TRUE(run.err.contains(QStringLiteral("1 record(s) refused: 1 with the table full, 0")))
        << run.err.toStdString();
}

// A full table and one more: CR LF throughout, so that the pieces the capture is read in end
// inside records and between CR and LF; or empty records, thousands to a piece.
// Every feature takes the class current when it starts: the first of the catalogue. It goes out
// on the class's own layer, in the GIS file with the class's fields and in the DXF.
TEST(Replay, CountsTheFeaturesOfEachClass) {
    QTemporaryDir dir;
    const QString gis = dir.filePath(QStringLiteral("sheet.gpkg"));
    const QString dxf = dir.filePath(QStringLiteral("sheet.dxf"));
    const Finished run = replay(
        {"--classes", dataFile("classes.txt"), "--gis", gis, "--dxf", dxf, dataFile("square.cap")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("class\t区画\t1\nclass\t杭\t0\n")))
        << run.out.toStdString();

    GDALAllRegister();
    std::unique_ptr<GDALDataset> ds(GDALDataset::Open(gis.toUtf8().constData(), GDAL_OF_VECTOR));
    ASSERT_TRUE(ds);
    OGRLayer *parcels = ds->GetLayerByName("sheet_区画_polygons");
    ASSERT_TRUE(parcels);
    std::unique_ptr<OGRFeature> square(parcels->GetNextFeature());
    ASSERT_TRUE(square);
    EXPECT_EQ(square->GetFieldAsInteger64("番号"), 1);
    EXPECT_TRUE(readFile(dxf).contains("  8\r\n\\U+533A\\U+753B\r\n"));
}

// Puck buttons and menu cells are commands in a replay as on the window: a class chosen, a
// closing record, a step; one that cannot be done is told and the replay goes on.
TEST(Replay, ButtonsAndMenuCellsAreCommands) {
    QTemporaryDir dir;
    const QString menu = dir.filePath(QStringLiteral("menu.txt"));
    writeFile(menu, "size = 60 x 20\ngrid = 2 x 1\ncells = class:杭 | close-polygon\n"
                    "area = 9000 9000 9600 9200\n");
    const QString capture = dir.filePath(QStringLiteral("buttons.cap"));
    writeFile(capture, "0000,0000,7\r\n" // next-class: 杭
                       "0010,0010,3\r\n" // a point of 杭
                       "9100,9100,3\r\n" // menu: 杭 again
                       "0000,0000,8\r\n" // class:区画
                       "0000,0000,1\r\n0100,0000,2\r\n0100,0100,2\r\n"
                       "9500,9100,1\r\n"   // menu: close-polygon
                       "9500,9100,1\r\n"); // nothing open to close: told
    const Finished run = replay({"--tablet-format", "bitpad-ascii", "--buttons",
                                 "1=1 2=2 3=3 7=next-class 8=class:区画", "--classes",
                                 dataFile("classes.txt"), "--menu", menu, capture});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("class\t区画\t1\nclass\t杭\t1\n")))
        << run.out.toStdString();
    EXPECT_EQ(run.err.count(QStringLiteral("close-polygon: ")), 1) << run.err.toStdString();
}

// A polygon's last vertex pressed near its start takes the start's position, as in the window.
TEST(Replay, SnapsTheCapturesPresses) {
    QTemporaryDir dir;
    const QByteArray square = test::recordBytes(0, 0, 1) + test::recordBytes(1000, 0, 2) +
                              test::recordBytes(1000, 1000, 2);
    const QString exact = dir.filePath(QStringLiteral("exact.cap"));
    const QString near = dir.filePath(QStringLiteral("near.cap"));
    writeFile(exact, square + test::recordBytes(0, 0, 2) + test::recordBytes(0, 0, 3));
    writeFile(near, square + test::recordBytes(2, 1, 2) + test::recordBytes(0, 0, 3));
    const Finished plain = replay({"--tablet-unit", "0.1", exact});
    ASSERT_NE(replay({"--tablet-unit", "0.1", near}).out, plain.out);
    EXPECT_EQ(replay({"--tablet-unit", "0.1", "--snap", "0.3", near}).out, plain.out);
}

// Two squares with a sliver between them and a line that stops short of one: the findings, the
// counts, a strict check that fails, and a repair that tells what it moved.
TEST(Replay, ChecksTheTopologyAndRepairsWhatItExports) {
    QTemporaryDir dir;
    QByteArray records;
    for (const auto &[x0, x1] : {std::pair{0.0, 10.0}, std::pair{10.2, 20.0}})
        records += test::recordBytes(x0, 0, 1) + test::recordBytes(x1, 0, 2) +
                   test::recordBytes(x1, 10, 2) + test::recordBytes(x0, 10, 2) +
                   test::recordBytes(x0, 0, 3);
    records += test::recordBytes(5, -5, 1) + test::recordBytes(5, -0.2, 2);
    const QString capture = dir.filePath(QStringLiteral("sliver.cap"));
    writeFile(capture, records);
    const Finished checked = replay({"--check", capture});
    EXPECT_EQ(checked.exitCode, 0);
    EXPECT_TRUE(checked.out.contains(
        QStringLiteral("topology\tdangle\t5.00\t-0.20\t0,10\ntopology\tgap\t10.10\t5.00\t0,5\n"
                       "topology\tcount\tinvalid\t0\ntopology\tcount\tdangle\t1\n"
                       "topology\tcount\tduplicate\t0\ntopology\tcount\toverlap\t0\n"
                       "topology\tcount\tgap\t1\n")))
        << checked.out.toStdString();
    EXPECT_EQ(replay({"--check=strict", capture}).exitCode, 1);
    EXPECT_EQ(replay({"--check=strict", dataFile("square.cap")}).exitCode, 0);
    const Finished repaired =
        replay({"--repair", "--gis", dir.filePath(QStringLiteral("sheet.geojson")), capture});
    EXPECT_EQ(repaired.exitCode, 0);
    EXPECT_TRUE(repaired.err.contains(QStringLiteral("地物 0 の頂点 2 個")) &&
                repaired.err.contains(QStringLiteral("地物 10 の頂点 1 個")))
        << repaired.err.toStdString();
}

// The publish mends the sheet's features as the GIS export does, and tells what it changed.
TEST(Replay, RepairsWhatItPublishes) {
    QString db;
    ASSERT_EQ(test::sharedPostgres().createDatabase(QStringLiteral("replay_repair"), &db),
              QString());
    QTemporaryDir dir;
    const QString capture = dir.filePath(QStringLiteral("undershoot.cap"));
    writeFile(capture, test::recordBytes(0, 0, 1) + test::recordBytes(20, 0, 2) +
                           test::recordBytes(10, 0.2, 1) + test::recordBytes(10, 10, 2));
    const Finished published =
        replay({"--repair", "--publish", db, "--sheet", "R-1", "--points",
                dataFile("control_points.csv"), "--crs", "EPSG:6677", capture});
    EXPECT_EQ(published.exitCode, 0) << published.err.toStdString();
    EXPECT_TRUE(published.err.contains(QStringLiteral("地物 2 の頂点 1 個")))
        << published.err.toStdString();
}

TEST(Replay, KeepsAFullTableAndCountsTheRecordBeyondIt) {
    QByteArray records;
    for (int i = 0; i <= kSlotCount; ++i)
        records += test::recordText(i % 1000, i / 1000, 3).toLatin1() + '\n';
    // A job file of them counts its refusals alike.
    for (const QByteArray &capture :
         {records, QByteArray(kSlotCount + 1, '\r'), jobOf(records, 1000)}) {
        SCOPED_TRACE(capture.size());
        expectFullTable(replay({QStringLiteral("--each")}, {.input = capture}));
    }
}

// The trace of a capture, taken record by record without the session.
std::unique_ptr<TraceModel> traceOf(QByteArray capture) {
    auto model = std::make_unique<TraceModel>();
    model->ResetTrace();
    QList<QByteArray> records = capture.replace("\r\n", "\r").split('\r');
    records.removeLast(); // after the last carriage return
    for (const QByteArray &record : records) {
        model->takeRecord(QString::fromLatin1(record));
    }
    return model;
}

class ReplayDxf : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        model = traceOf(readFile(dataFile("mixed.cap")));
    }
    QString path(const char *name) const { return dir.filePath(QLatin1String(name)); }
    QByteArray replayedDxf(const QStringList &extra = {}) {
        const Finished run =
            replay(QStringList{"--dxf", path("out.dxf"), dataFile("mixed.cap")} + extra,
                   {.workingDirectory = dir.path()});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        return readFile(path("out.dxf"));
    }

    QTemporaryDir dir;
    std::unique_ptr<TraceModel> model;
};

TEST_F(ReplayDxf, WritesWhatTheSaveButtonWrites) {
    QTemporaryDir noTemplate;
    ASSERT_TRUE(exportDxf(model->store(), noTemplate.path(), path("expected.dxf")).ok());
    EXPECT_EQ(replayedDxf(), readFile(path("expected.dxf")));
}

TEST_F(ReplayDxf, TakesTheHeaderOfTheCurrentDirectory) {
    writeFile(path("DxfHead.txt"), "0\r\nSECTION\r\n2\r\nENTITIES\r\n");
    ASSERT_TRUE(exportDxf(model->store(), dir.path(), path("expected.dxf")).ok());
    const QByteArray written = replayedDxf();
    EXPECT_TRUE(written.startsWith("0\r\nSECTION\r\n2\r\nENTITIES\r\n  0\r\nPOINT\r\n"));
    EXPECT_EQ(written, readFile(path("expected.dxf")));
}

TEST_F(ReplayDxf, PrefersTheTemplateNamedOnTheCommandLine) {
    writeFile(path("DxfHead.txt"), "999\r\nnot this one\r\n");
    writeFile(path("own_head.txt"), "999\r\nthis one\r\n");
    const QByteArray written = replayedDxf({"--template", path("own_head.txt")});
    ASSERT_TRUE(
        exportDxf(model->store(), readDxfTemplate(path("own_head.txt")), path("expected.dxf"))
            .ok());
    EXPECT_TRUE(written.startsWith("999\r\nthis one\r\n"));
    EXPECT_EQ(written, readFile(path("expected.dxf")));
}

TEST(ReplayPicture, ShowsTheTraceOnTheConnectedBackgroundAtTheAskedSize) {
    QTemporaryDir dir;
    const struct {
        QStringList sizeArguments;
        QSize size;
    } cases[] = {{{}, {599, 347}}, {{"--size", "300x200"}, {300, 200}}};
    for (const auto &c : cases) {
        const QString png = dir.filePath(QStringLiteral("square.png"));
        const Finished run =
            replay(QStringList{"--png", png, dataFile("square.cap")} + c.sizeArguments);
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        const QImage image(png);
        ASSERT_EQ(image.size(), c.size);
        EXPECT_EQ(image.pixel(0, 0), qRgb(95, 63, 63));
        int sides = 0;
        for (int x = 0; x < image.width(); ++x)
            sides += image.pixel(x, image.height() / 2) == qRgb(255, 255, 0);
        EXPECT_EQ(sides, 2) << "the square's left and right sides";
    }
}

struct FailureCase {
    const char *name;
    QStringList arguments;
    QString message;
    bool replayed;         // the values are printed even so
    QByteArray input = {}; // the capture on standard input
};

const FailureCase kFailureCases[] = {
    {"missing_capture",
     {dataFile("no_such.cap")},
     "cannot read the capture " + dataFile("no_such.cap") + ": No such file or directory",
     false},
    {"capture_is_a_folder", {kData}, "cannot read the capture " + kData, false},
    {"capture_fails_while_read",
     {"/proc/self/mem"},
     "cannot read the capture /proc/self/mem after byte 0",
     true},
    {"dxf_in_a_missing_folder",
     {"--dxf", "/nonexistent-folder/out.dxf", dataFile("square.cap")},
     "cannot write /nonexistent-folder/out.dxf: the folder /nonexistent-folder does not exist",
     false},
    {"png_in_a_missing_folder",
     {"--png", "/nonexistent-folder/out.png", dataFile("square.cap")},
     "the folder /nonexistent-folder does not exist",
     false},
    {"dxf_onto_a_folder", {"--dxf", kData, dataFile("square.cap")}, kData, true},
    {"png_onto_a_folder",
     {"--png", kData, dataFile("square.cap")},
     "cannot write the picture " + kData,
     true},
    {"missing_template",
     {"--dxf", "out.dxf", "--template", "/nonexistent-folder/head.txt", dataFile("square.cap")},
     "/nonexistent-folder/head.txt",
     false},
    {"template_without_dxf",
     {"--template", dataFile("square.cap"), dataFile("square.cap")},
     "--template is only read for --dxf",
     false},
    {"bad_size", {"--size", "600", dataFile("square.cap")}, "--size wants WxH", false},
    {"zero_size", {"--size", "0x10", dataFile("square.cap")}, "--size wants WxH", false},
    {"two_captures", {dataFile("square.cap"), dataFile("mixed.cap")}, "one capture", false},
    {"gis_format_unknown", {"--gis", "out.txt", dataFile("square.cap")}, "--format", false},
    {"crs_without_points",
     {"--gis", "out.gpkg", "--crs", "EPSG:6677", dataFile("square.cap")},
     "--points",
     false},
    {"crs_unknown",
     {"--gis", "out.gpkg", "--points", dataFile("control_points.csv"), "--crs", "EPSG:999999",
      dataFile("square.cap")},
     "座標系 \"EPSG:999999\" を解釈できません",
     false},
    {"collinear_points",
     {"--gis", "out.gpkg", "--points", dataFile("collinear_points.csv"), dataFile("square.cap")},
     "一直線上",
     false},
    {"too_few_for_projective",
     {"--gis", "out.gpkg", "--points", dataFile("collinear_points.csv"), "--transform",
      "projective", dataFile("square.cap")},
     "射影変換には使用する基準点が4点以上",
     false},
    {"crs_vertical",
     {"--gis", "out.gpkg", "--points", dataFile("control_points.csv"), "--crs", "EPSG:5714",
      dataFile("square.cap")},
     "は地図の水平座標系ではありません",
     false},
    {"crs_geographic_with_metres",
     {"--gis", "out.gpkg", "--points", dataFile("control_points.csv"), "--crs", "EPSG:4326",
      dataFile("square.cap")},
     "基準点 A の地図座標は度の範囲を超えています",
     false},
    {"huge_map_coordinates",
     {"--gis", "out.gpkg", "--points", dataFile("huge_points.csv"), dataFile("square.cap")},
     "基準点 A の座標が大きすぎます",
     false},
    {"crossed_points",
     {"--gis", "out.gpkg", "--points", dataFile("crossed_points.csv"), dataFile("square.cap")},
     "並びがタブレットと地図で食い違って",
     false},
    {"points_from_a_device",
     {"--gis", "out.gpkg", "--points", "/dev/zero", dataFile("square.cap")},
     "基準点ファイル /dev/zero は通常のファイルではありません",
     false},
    {"bad_tablet_unit",
     {"--tablet-unit", "0", dataFile("square.cap")},
     "--tablet-unit needs a positive number of millimetres",
     false},
    {"points_without_gis",
     {"--points", dataFile("control_points.csv"), dataFile("square.cap")},
     "--points is only read for --gis",
     false},
    {"publish_without_pg_prefix",
     {"--publish", "host=server", "--sheet", "A-1", dataFile("square.cap")},
     "PG: で始まる",
     false},
    {"publish_without_sheet",
     {"--publish", "PG:host=server", dataFile("square.cap")},
     "シート名がありません",
     false},
    {"publish_crs_without_points",
     {"--publish", "PG:host=server", "--sheet", "A-1", "--crs", "EPSG:6677",
      dataFile("square.cap")},
     "--crs は基準点 (--points)",
     false},
    {"live_without_publish",
     {"--live", "10", dataFile("square.cap")},
     "--live is only read for --publish",
     false},
    {"live_rate_unreadable",
     {"--live", "fast", "--publish", "PG:host=server", "--sheet", "A-1", dataFile("square.cap")},
     "--live wants \"line\" or a positive number",
     false},
    {"live_job_file",
     {"--live", "line", "--publish", "PG:host=server", "--sheet", "A-1"},
     "--live feeds a raw capture",
     false,
     journalHeaderLine()},
    {"live_server_unreachable",
     {"--live", "100", "--publish", "PG:host=/nonexistent-folder dbname=maps", "--sheet", "A-1",
      "--points", dataFile("control_points.csv"), "--crs", "EPSG:6677", dataFile("square.cap")},
     "PG:host=/nonexistent-folder dbname=maps に接続できません",
     true},
    {"sheet_without_publish",
     {"--sheet", "A-1", dataFile("square.cap")},
     "--sheet is only read for --publish",
     false},
    {"edge_check_without_publish",
     {"--edge-check", dataFile("square.cap")},
     "--edge-check is only read for --publish",
     false},
    {"publish_unregistered_capture",
     {"--publish", "PG:host=/nonexistent-folder", "--sheet", "A-1", dataFile("square.cap")},
     "登録されていないので送信できません",
     true},
    {"publish_uri_password_hidden",
     {"--publish", "PG:postgresql://ann:wrong-password@/maps?host=/nonexistent-folder", "--sheet",
      "A-1", "--points", dataFile("control_points.csv"), "--crs", "EPSG:6677",
      dataFile("square.cap")},
     "postgresql://ann:***@/maps",
     true},
    {"tablet_format_unknown",
     {"--tablet-format", "wacom9", dataFile("square.cap")},
     "unknown tablet format \"wacom9\"",
     false},
    {"custom_format_without_layout",
     {"--tablet-format", "custom", dataFile("square.cap")},
     "the format custom needs a layout file",
     false},
    {"buttons_unreadable",
     {"--tablet-format", "summa-mm", "--buttons", "1=12", dataFile("square.cap")},
     "--buttons wants pairs",
     false},
    {"buttons_for_fixed19",
     {"--buttons", "1=1", dataFile("square.cap")},
     "--buttons is not read for fixed19",
     false},
    {"capture_fits_no_format",
     {"--tablet-format", "auto", dataFile("control_points.csv")},
     "fit no tablet format",
     false},
    {"capture_not_of_the_named_format",
     {"--tablet-format", "calcomp2000", dataFile("square.cap")},
     "5 report(s) read as calcomp2000 were not taken, 0 of them for a button with no code, 0 "
     "stray byte(s) outside any report; the first: \"    100.0    100.01\"",
     true},
    {"buttons_named_twice",
     {"--tablet-format", "summa-mm", "--buttons", "1=1 1=4", dataFile("square.cap")},
     "ボタン表でボタン 1 が二度書かれています",
     false},
    {"classes_that_do_not_read",
     {"--classes", dataFile("classes_unreadable.txt"), dataFile("square.cap")},
     "the class catalogue " + dataFile("classes_unreadable.txt") + " does not read: 2 ",
     false},
    {"snap_not_above_0",
     {"--snap", "0", dataFile("square.cap")},
     "--snap needs millimetres on the sheet above 0",
     false},
    {"repair_with_nothing_written",
     {"--repair", dataFile("square.cap")},
     "--repair is only read for --gis or --publish",
     false},
    {"capture_gives_no_record",
     {"--tablet-format", "calcomp2000"},
     "no record was taken from the capture's 14 byte(s) read as calcomp2000",
     true,
     "1,2,0\r\n3,4,0\r\n"},
};

class ReplayFailure : public testing::TestWithParam<FailureCase> {};

TEST_P(ReplayFailure, SaysWhyAndFails) {
    const FailureCase &c = GetParam();
    const Finished run = replay(c.arguments, {.input = c.input});
    EXPECT_NE(run.exitCode, 0);
    EXPECT_NE(run.exitCode, -1) << "the program did not finish normally";
    EXPECT_TRUE(run.err.contains(c.message)) << run.err.toStdString();
    EXPECT_EQ(run.out.startsWith(QStringLiteral("PtCount\t")), c.replayed) << run.out.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Cases, ReplayFailure, testing::ValuesIn(kFailureCases),
                         [](const auto &info) { return std::string(info.param.name); });

// auto never settles on a format under which the capture gives fewer records than under another.
TEST(Replay, AutoNamesEveryFormatThatReadsTheCaptureDifferently) {
    const struct {
        const char *name;
        QByteArray input;
        int exitCode;
        QString message;
    } rows[] = {
        // A BitPad II cursor may number its keys 0123 (KuuubeTD docs/wacom_ive_1_4.md, "BitPad
        // II cursor data"): CalComp 2000 would read the key-0 presses as hovering.
        {"bitpad_key_0_presses",
         QByteArray("1000,2000,0\r\n").repeated(2) + "1040,2030,0\r\n1080,2060,1\r\n"
                                                     "1120,2090,0\r\n1160,2120,0\r\n",
         2, "read differently as bitpad-ascii (5 record(s), 0 refused) and calcomp2000"},
        // gpm's SummaSketch writer (src/drivers/summa/r.c) sends 0x98 plus the buttons; with CR
        // LF after each, a report is as long as a protocol IV one.
        {"summa_mm_with_cr_lf",
         QByteArray("\x98\x01\x02\x03\x04\r\n\x99\x01\x02\x03\x04\r\n", 14).repeated(6), 2,
         "read differently as wacom-iv (0 record(s), 0 refused) and summa-mm (6 record(s)"},
        {"three_reports_of_noise", QByteArray("\x98\x01\x02\x03\x04\x99\x01\x02\x03\x04", 10), 1,
         "too few to tell a tablet from noise"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const Finished run = replay({QStringLiteral("--tablet-format"), QStringLiteral("auto")},
                                    {.input = row.input});
        EXPECT_EQ(run.exitCode, row.exitCode);
        EXPECT_TRUE(run.err.contains(row.message)) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
    }
}

TEST(Replay, FailsWhenStandardOutputCannotBeWritten) {
    const Finished run =
        replay({dataFile("square.cap")}, {.stdoutFile = QStringLiteral("/dev/full")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("cannot write to standard output")));
}

// A disk that fills up while a file is written: the run fails, says why, and the file that was
// there keeps its bytes.
TEST(Replay, FullDiskLeavesEachEarlierFile) {
    for (const char *option : {"--png", "--dxf", "--gis"}) {
        QTemporaryDir dir;
        const QString path = dir.filePath(
            QStringLiteral("trace.") + (option == std::string("--gis") ? "geojson" : option + 2));
        writeFile(path, "earlier");
        Finished run;
        {
            const test::FileSizeLimit limit(64);
            ASSERT_TRUE(limit.applied());
            run = replay({QLatin1String(option), path, dataFile("square.cap")});
        }
        EXPECT_EQ(run.exitCode, 1) << option;
        EXPECT_TRUE(run.err.contains(QString::fromLocal8Bit(std::strerror(EFBIG))))
            << run.err.toStdString();
        EXPECT_EQ(readFile(path), "earlier") << option;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1) << option;
    }
}

TEST(Replay, TellsOfARecordTheCaptureEndsInside) {
    const struct {
        QStringList arguments;
        QByteArray input;
        QString message;
    } rows[] = {
        {{}, "    100.0    100.03\r    200.0", "its last 9 character(s) have no carriage return"},
        {{"--tablet-format", "calcomp2000"},
         "100,100,3\r\n200,2",
         "ends inside a calcomp2000 report: its last 5 byte(s)"},
    };
    for (const auto &row : rows) {
        const Finished run = replay(row.arguments, {.input = row.input});
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_TRUE(run.out.startsWith(QStringLiteral("PtCount\t1\n")));
        EXPECT_TRUE(run.err.contains(row.message)) << run.err.toStdString();
    }
}

} // namespace
} // namespace digitrace

namespace digitrace {
namespace {

// The square registered by four control points, D half a unit off: an affine fit spreads that
// as 0.125 at every point and stretches the square's 100 x 100 units to 250 x 250.25. Measured
// back on the sheet that is 0.04995 units, in 0.1 mm units 0.004995 mm; D lies 0.5 from the fit
// of the other three. The same points, northing first as the plane rectangular CRS orders its
// axes, give the same, and in units of 100 mm a misfit over 1 mm that is warned about; read from
// an old file with map_x,map_y they are taken easting first, with a warning.
TEST(ReplayGis, RegistersTheSheetAndExportsItsPolygon) {
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("sheet.gpkg"));
    const Finished northFirst =
        replay({"--points", dataFile("control_points_north_first.csv"), "--crs", "EPSG:6677",
                "--gis", dir.filePath(QStringLiteral("north_first.gpkg")), "--tablet-unit", "100",
                dataFile("square.cap")});
    EXPECT_EQ(northFirst.exitCode, 0);
    EXPECT_FALSE(northFirst.err.contains(QStringLiteral("順"))) << northFirst.err.toStdString();
    EXPECT_TRUE(northFirst.err.contains(QStringLiteral("用紙上で 5.00 mmあり、1 mmを超えています")))
        << northFirst.err.toStdString();
    const Finished run = replay({"--points", dataFile("control_points.csv"), "--crs", "EPSG:6677",
                                 "--gis", out, "--tablet-unit", "0.1", dataFile("square.cap")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("map_x, map_y は東、北の順として読みました")))
        << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("transform\taffine\nrms_map\t0.125\nrms_tablet\t"
                                                "0.04995004995\nrms_sheet_mm\t0.004995004995\n")))
        << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("residual\tD\t0.125\t0.004995004995\t0.5\n")));
    EXPECT_TRUE(northFirst.out.contains(QStringLiteral("residual\tD\t0.125\t4.995004995\t0.5\n")));
    EXPECT_TRUE(run.out.endsWith(
        QStringLiteral("gis\t0 point(s), 0 line(s), 1 polygon(s), 0 record(s) left out\n")));

    GDALAllRegister();
    std::unique_ptr<GDALDataset> ds(GDALDataset::Open(out.toUtf8().constData(), GDAL_OF_VECTOR));
    ASSERT_TRUE(ds);
    OGRLayer *polygons = ds->GetLayerByName("sheet_polygons");
    ASSERT_TRUE(polygons);
    EXPECT_STREQ(polygons->GetSpatialRef()->GetAuthorityCode(nullptr), "6677");
    std::unique_ptr<OGRFeature> square(polygons->GetNextFeature());
    ASSERT_TRUE(square);
    EXPECT_NEAR(square->GetFieldAsDouble("area"), 250 * 250.25, 1e-6);
}

} // namespace
} // namespace digitrace

namespace digitrace {
namespace {

// A capture with its control points, then a job file with its own registration, into the shared
// database; the job never published the sheet, so it replaces the capture's only when forced,
// unless it remembers the revision it published.
TEST(Replay, PublishesCapturesAndJobFilesAsSheets) {
    QString db;
    ASSERT_EQ(test::sharedPostgres().createDatabase(QStringLiteral("replay_publish"), &db),
              QString());
    const Finished capture =
        replay({"--publish", db, "--sheet", "A-1", "--operator", "ann", "--points",
                dataFile("control_points.csv"), "--crs", "EPSG:6677", dataFile("square.cap")});
    EXPECT_EQ(capture.exitCode, 0) << capture.err.toStdString();
    EXPECT_TRUE(capture.out.contains(
        QStringLiteral("publish\tA-1 revision 1: 0 point(s), 0 line(s), 1 polygon(s)\n")));

    const Registration registration{loadControlPoints(dataFile("control_points.csv")).points,
                                    TransformKind::Affine, QStringLiteral("EPSG:6677")};
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("square.dtjob"));
    writeFile(path, jobOf(readFile(dataFile("square.cap")), 1000,
                          encodeEntry(entry::Registered{registrationText(registration)})));
    const QStringList job = {"--publish", db, "--sheet", "A-1", "--operator", "bob", path};
    const Finished refused = replay(job);
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("送信者: ann"))) << refused.err.toStdString();
    const Finished forced = replay(job + QStringList{"--force"});
    EXPECT_TRUE(forced.out.contains(QStringLiteral("publish\tA-1 revision 2:")))
        << forced.err.toStdString();

    // A job file that names its sheet and the revision its window published goes without
    // --sheet or --force.
    writeFile(path, jobOf(readFile(dataFile("square.cap")), 1000,
                          encodeEntry(entry::Registered{registrationText(registration)}) +
                              encodeEntry(entry::Sheet{QStringLiteral("A-1")})) +
                        encodeEntry(entry::Published{2}));
    const Finished known = replay({"--publish", db, path});
    EXPECT_TRUE(known.out.contains(QStringLiteral("publish\tA-1 revision 3:")))
        << known.err.toStdString();

    // Its revision is of the sheet it was published as: renamed to another operator's sheet, the
    // job is refused there.
    ASSERT_EQ(replay({"--publish", db, "--sheet", "VICT", "--operator", "ann", "--points",
                      dataFile("control_points.csv"), "--crs", "EPSG:6677", dataFile("square.cap")})
                  .exitCode,
              0);
    writeFile(path, jobOf(readFile(dataFile("square.cap")), 1000,
                          encodeEntry(entry::Registered{registrationText(registration)}) +
                              encodeEntry(entry::Sheet{QStringLiteral("MINE")})) +
                        encodeEntry(entry::Published{1}) +
                        encodeEntry(entry::Sheet{QStringLiteral("VICT")}));
    const Finished renamed = replay({"--publish", db, "--operator", "bob", path});
    EXPECT_EQ(renamed.exitCode, 1) << renamed.out.toStdString();
}

// Sheet L-1's row and features as a database holds them, revision and times aside.
QString sheetContent(const QString &database) {
    QString content = test::sharedPostgres().sql(
        database, QStringLiteral("SELECT points, lines, polygons, ST_AsText(geom) FROM "
                                 "digitrace_sheets WHERE sheet = 'L-1'"));
    for (const char *table : {"digitrace_points", "digitrace_lines", "digitrace_polygons"})
        content += u'\n' + test::sharedPostgres().sql(
                               database, QStringLiteral("SELECT string_agg(fid || ' ' || "
                                                        "ST_AsText(geom), ';' ORDER BY fid) FROM "
                                                        "%1 WHERE sheet = 'L-1'")
                                             .arg(QLatin1String(table)));
    return content;
}

// Sent live record by record, a capture that ends inside a line leaves the database with the
// sheet a single publish of it makes: the same features under the same ids.
TEST(Replay, LivePublishingEndsWithTheSheetOfASinglePublish) {
    QString live, single;
    ASSERT_EQ(test::sharedPostgres().createDatabase(QStringLiteral("replay_live"), &live),
              QString());
    ASSERT_EQ(test::sharedPostgres().createDatabase(QStringLiteral("replay_single"), &single),
              QString());
    QByteArray capture = test::recordBytes(150, 150, 3);
    for (const auto &[x, y, code] : {std::tuple{100, 100, 1},
                                     {200, 100, 2},
                                     {200, 200, 4},
                                     {120, 110, 1},
                                     {180, 110, 2},
                                     {180, 190, 2},
                                     {120, 190, 2},
                                     {120, 110, 4},
                                     {110, 120, 1},
                                     {190, 120, 2},
                                     {190, 180, 2}})
        capture += test::recordBytes(x, y, code);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lines.cap"));
    writeFile(path, capture);
    const QStringList sheet = {"--sheet", "L-1",       "--operator",
                               "ann",     "--points",  dataFile("control_points.csv"),
                               "--crs",   "EPSG:6677", path};
    const Finished sent = replay(QStringList{"--live", "200", "--publish", live} + sheet);
    ASSERT_EQ(sent.exitCode, 0) << sent.err.toStdString();
    ASSERT_EQ(replay(QStringList{"--publish", single} + sheet).exitCode, 0);
    EXPECT_EQ(sheetContent(QStringLiteral("replay_live")).toStdString(),
              sheetContent(QStringLiteral("replay_single")).toStdString());
    EXPECT_TRUE(sent.out.contains(
        QRegularExpression(QStringLiteral("^live\t1\t0\t[0-9.]+\nlive\t2\t\\d+\t[0-9.]+\n"),
                           QRegularExpression::MultilineOption)))
        << sent.out.toStdString();
}

// Two neighbouring sheets: the second's line continues one of the first's across their shared
// edge; the first's other line ends there with nothing on the second to meet it.
TEST(Replay, MatchesThePublishedSheetsEdgeWithItsNeighbours) {
    QString db;
    ASSERT_EQ(test::sharedPostgres().createDatabase(QStringLiteral("replay_edges"), &db),
              QString());
    QTemporaryDir dir;
    auto sheet = [&](const char *name, double mapX, const QByteArray &records) {
        const QString points = dir.filePath(QStringLiteral("%1.csv").arg(name));
        writeFile(points, QStringLiteral("name,tablet_x,tablet_y,map_x,map_y,used\n"
                                         "A,100,100,%1,35000,1\nB,200,100,%2,35000,1\n"
                                         "C,200,200,%2,35250,1\nD,100,200,%1,35250,1\n")
                              .arg(mapX)
                              .arg(mapX + 250)
                              .toUtf8());
        const QString capture = dir.filePath(QStringLiteral("%1.cap").arg(name));
        writeFile(capture, records);
        return replay({"--publish", db, "--sheet", name, "--points", points, "--crs", "EPSG:6677",
                       "--edge-check", capture});
    };
    using test::recordBytes;
    ASSERT_EQ(sheet("A", -12000,
                    recordBytes(150, 150, 1) + recordBytes(200, 150, 2) + recordBytes(150, 180, 1) +
                        recordBytes(200, 180, 2))
                  .exitCode,
              0);
    const Finished b = sheet("B", -11750, recordBytes(100, 150, 1) + recordBytes(150, 150, 2));
    EXPECT_TRUE(
        b.out.endsWith(QStringLiteral("edge\tmatched\t-11750.000\t35125.000\t\tB / A\n"
                                      "edge\tneighbour-unmatched\t-11750.000\t35200.000\t\tA\n"
                                      "edges\t1 matched, 0 unmatched, 1 neighbour-unmatched\n")))
        << b.out.toStdString() << b.err.toStdString();
}

} // namespace
} // namespace digitrace
