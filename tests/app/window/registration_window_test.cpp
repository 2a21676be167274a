#include "acquisition/memory_port.h"
#include "app/window/frm_trace1.h"
#include "app/window/job_files.h"
#include "app/window/registration_dialog.h"
#include "app/window/registration_table.h"
#include "app/window/sheet_registration.h"
#include "app/window/status_feature.h"
#include "app/window/status_line.h"
#include "fakes.h"
#include "registration_steps.h"
#include "tests/support/files.h"
#include "tests/support/record_text.h"

#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace digitrace {
namespace {

using test::bytes;
using test::closeBy;
using test::mapX;
using test::mapY;
using test::recordText;
using test::registerCorners;

// The dialog's table: what a digitized record, a typed value and the 使用 switch do to the points
// and the fit. Each step acts, then the table is checked.
TEST(RegistrationTable, RecordsAndEditsRefit) {
    RegistrationTable table;
    const auto digitize = [&table](double x, double y, double my) {
        table.takeRecord(recordText(x, y, 2));
        const int row = int(table.rows().size()) - 1;
        EXPECT_TRUE(table.setCell(row, RegistrationColumn::MapX, mapX(x)).isEmpty());
        EXPECT_TRUE(table.setCell(row, RegistrationColumn::MapY, QString::number(my)).isEmpty());
    };
    const QString tooFew =
        QStringLiteral("アフィン変換には使用する基準点が3点以上必要です(現在%1点)。");
    const struct {
        const char *step;
        std::function<void()> act;
        std::size_t rows;
        int current;
        QString error;
        double rmsMap;
        std::optional<double> lastResidual;
    } steps[] = {
        {"a record makes a point",
         [&] { table.takeRecord(QStringLiteral("    10.04     20.0 7\r")); }, 1, -1, tooFew.arg(0),
         0, std::nullopt},
        {"map typed", [&] { table.setCell(0, RegistrationColumn::MapX, mapX(10)); }, 1, -1,
         tooFew.arg(0), 0, std::nullopt},
        {"map complete", [&] { table.setCell(0, RegistrationColumn::MapY, mapY(20)); }, 1, -1,
         tooFew.arg(1), 0, std::nullopt},
        {"three exact points",
         [&] {
             digitize(110, 20, 5040);
             digitize(110, 120, 5240);
         },
         3,
         -1,
         {},
         0,
         0.0},
        // A square's fourth corner 1 off in y: each corner's residual is a quarter.
        {"a bad fourth point", [&] { digitize(10, 120, 5241); }, 4, -1, {}, 0.25, 0.25},
        {"switched off", [&] { table.setUsed(3, false); }, 4, -1, {}, 0, 1.0},
        {"too few on",
         [&] {
             table.setUsed(1, false);
             table.setUsed(2, false);
         },
         4, -1, tooFew.arg(1), 0, std::nullopt},
        {"redigitized",
         [&] {
             table.setUsed(1, true);
             table.setUsed(2, true);
             table.setCell(3, RegistrationColumn::TabletX, QString());
             table.setCurrent(0);
             table.takeRecord(recordText(10, 20, 1));
         },
         4,
         3,
         {},
         0,
         std::nullopt},
    };
    for (const auto &s : steps) {
        s.act();
        EXPECT_EQ(table.rows().size(), s.rows) << s.step;
        EXPECT_EQ(table.current(), s.current) << s.step;
        EXPECT_EQ(table.fit().error, s.error) << s.step;
        EXPECT_NEAR(table.fit().rmsMap, s.rmsMap, 1e-9) << s.step;
        const std::optional<double> last = table.residual(int(s.rows) - 1);
        EXPECT_EQ(last.has_value(), s.lastResidual.has_value()) << s.step;
        if (last && s.lastResidual) {
            EXPECT_NEAR(*last, *s.lastResidual, 1e-9) << s.step;
        }
    }
    EXPECT_EQ(table.rows()[0].values[0], 10.0) << "read as the trace reads it";
    EXPECT_EQ(table.setCell(0, RegistrationColumn::MapX, QStringLiteral("1,5")),
              QStringLiteral("「1,5」は数値として読めません。小数点には「.」を使ってください。"));
    EXPECT_EQ(table.setCell(0, RegistrationColumn::Name, QString(300, u'N')),
              QStringLiteral("基準点の名前は256文字までです。"));
    EXPECT_EQ(table.problem(), QStringLiteral("基準点 P4 の座標がそろっていません。入力するか、"
                                              "点を削除してください。"));
    table.setCrs(QStringLiteral("EPSG:0"));
    EXPECT_FALSE(table.crs().ok());
    EXPECT_EQ(table.problem(), table.crs().error);
}

// The map columns are the CRS's axes in its own order: a value typed into the first goes to the
// northing where the CRS puts north first, and a saved file names its columns so.
TEST(RegistrationDialog, MapColumnsFollowTheCrs) {
    QTemporaryDir dir;
    test::FakeDialogs dialogs;
    RegistrationDialog dialog(dialogs, std::nullopt, std::nullopt, 1.0);
    auto *cells = dialog.findChild<QTableWidget *>();
    dialog.table().addRow();
    const struct {
        const char *crs;
        const char *first;
        const char *second;
        std::size_t firstValue; // index in RegistrationRow::values
        const char *header;
    } rows[] = {
        {"EPSG:6677", "X (北)", "Y (東)", 3, "map_north,map_east"},
        {"EPSG:32654", "東距", "北距", 2, "map_east,map_north"},
        {"EPSG:4326", "緯度", "経度", 3, "map_north,map_east"},
        {"", "地図X", "地図Y", 2, "map_x,map_y"},
    };
    for (const auto &row : rows) {
        dialog.table().setCrs(QString::fromUtf8(row.crs));
        EXPECT_EQ(cells->horizontalHeaderItem(3)->text(), QString::fromUtf8(row.first));
        EXPECT_EQ(cells->horizontalHeaderItem(4)->text(), QString::fromUtf8(row.second));
        for (int c = 1; c < 5; ++c)
            cells->item(0, c)->setText(QString::number(c * 10));
        EXPECT_EQ(dialog.table().rows()[0].values[row.firstValue], 30.0) << row.crs;
        const QString file = dir.filePath(QStringLiteral("p.csv"));
        ASSERT_EQ(dialog.table().saveFile(file), QString());
        EXPECT_TRUE(
            test::readFile(file).startsWith(QByteArray("name,tablet_x,tablet_y,") + row.header))
            << row.crs;
    }
    // An old file, easting first, under a northing-first CRS: read as before, with a caution.
    const QString old = dir.filePath(QStringLiteral("old.csv"));
    test::writeFile(old, "name,tablet_x,tablet_y,map_x,map_y,used\nA,1,2,3,4,1\n");
    dialog.table().setCrs(QStringLiteral("EPSG:6677"));
    EXPECT_TRUE(
        dialog.table().loadFile(old).contains(QStringLiteral("東、北の順として読みました")));
    EXPECT_EQ(dialog.table().rows()[0].values[2], 3.0);
}

// A misfit over 1 mm on the sheet is registered only when the operator says so; a refused CRS
// is said once, under its field, and goes as soon as the field is right.
TEST(RegistrationDialog, AsksAboutAPoorFitAndSaysACrsProblemOnce) {
    test::FakeDialogs dialogs;
    RegistrationDialog dialog(dialogs, std::nullopt, std::nullopt, 1.0);
    QSignalSpy registered(&dialog, &RegistrationDialog::registered);
    dialog.table().load({{{"A", 0, 0, 0, 0, true},
                          {"B", 100, 0, 100, 0, true},
                          {"C", 100, 100, 100, 100, true},
                          {"D", 0, 100, 0, 106, true}},
                         TransformKind::Affine,
                         {}});
    dialogs.confirmAnswer = false;
    dialog.registerSheet();
    EXPECT_EQ(dialogs.confirmations.size(), 1);
    EXPECT_EQ(registered.count(), 0);
    dialogs.confirmAnswer = true;
    dialog.registerSheet();
    EXPECT_EQ(registered.count(), 1);
    // A mirror (north and east swapped) fits exactly and still asks first.
    dialog.table().load(
        {{{"A", 0, 0, 0, 0, true}, {"B", 100, 0, 0, 100, true}, {"C", 100, 100, 100, 100, true}},
         TransformKind::Affine,
         {}});
    dialogs.confirmAnswer = false;
    dialog.registerSheet();
    EXPECT_TRUE(dialogs.confirmations.back().contains(QStringLiteral("鏡像")));
    EXPECT_EQ(registered.count(), 1);
    // The exact fit's rounding noise reads as nothing the tablet could resolve.
    EXPECT_EQ(dialog.findChild<QTableWidget *>()->item(0, 6)->text(), QStringLiteral("0.00"));

    auto *crs = dialog.findChild<QLineEdit *>();
    auto *crsMessage = dialog.findChild<QLabel *>(QStringLiteral("crsMessage"));
    crs->setText(QStringLiteral("EPSG:5714"));
    dialog.registerSheet();
    EXPECT_TRUE(crsMessage->text().contains(QStringLiteral("水平座標系ではありません")));
    EXPECT_EQ(dialog.findChild<QLabel *>(QStringLiteral("problem"))->text(), QString());
    crs->clear();
    QTest::keyClicks(crs, QStringLiteral("EPSG:6677"));
    EXPECT_EQ(crsMessage->text(), QStringLiteral("JGD2011 / Japan Plane Rectangular CS IX"));
}

using Window = test::JournalledWindow;

// While the dialog is open, records fill its points and never reach the trace or the journal;
// once registered, the registration is journalled, kept with the job file and remembered.
TEST(RegistrationWindow, RecordsGoToTheDialogAndTheRegistrationStaysWithTheJob) {
    QTemporaryDir dir;
    const QString jobFile = dir.filePath(QStringLiteral("sheet.dtjob"));
    std::optional<QPointF> mapped;
    {
        Window w(dir.path());
        EXPECT_FALSE(w.window.features().sheet.mapPosition({10, 20}));
        w.window.Command1_Click();
        w.port.deliver(bytes(0, 0, 1) + bytes(50, 0, 2));
        const QByteArray journal = w.window.features().job.content();
        const QString lengths = w.window.controls().lblLenAll->text();

        registerCorners(w.window, w.port, QStringLiteral("EPSG:6677"));
        EXPECT_EQ(w.model.store().PtCount, 2);
        EXPECT_EQ(w.model.store().LineCount, 1);
        EXPECT_EQ(w.window.controls().lblLenAll->text(), lengths);
        EXPECT_EQ(w.window.features().job.content(), journal);
        EXPECT_EQ(w.window.features().sheet.registrationDialog()->table().rows().size(), 4u);

        w.window.features().sheet.registrationDialog()->setSheetName(QStringLiteral(" NE-54-1 "));
        closeBy(w.window, &RegistrationDialog::registerSheet);
        ASSERT_TRUE(w.window.features().sheet.registration());
        EXPECT_EQ(w.window.features().sheet.registration()->crs, QStringLiteral("EPSG:6677"));
        EXPECT_TRUE(
            w.window.features().status.line().text().contains(QStringLiteral("シート NE-54-1")));
        mapped = w.window.features().sheet.mapPosition({60, 70});
        ASSERT_TRUE(mapped);
        EXPECT_NEAR(mapped->x(), 1120, 0.2);
        EXPECT_NEAR(mapped->y(), 5140.1, 0.2);
        EXPECT_TRUE(w.window.features().job.content().startsWith(journal));
        const QList<JournalEntry> entries = parseJournal(w.window.features().job.content()).entries;
        EXPECT_EQ(entries.last(2),
                  (QList<JournalEntry>{entry::Registered{registrationText(*w.window.features().sheet.registration())},
                         entry::Sheet{QStringLiteral("NE-54-1")}}));

        w.port.deliver(bytes(50, 50, 2));
        EXPECT_EQ(w.model.store().PtCount, 3) << "closed: records go to the trace again";
        w.dialogs.saveName = jobFile;
        EXPECT_TRUE(w.window.features().jobFiles.saveJob());
    }
    Window w(dir.path());
    EXPECT_FALSE(w.window.features().sheet.registration()) << "a new window starts unregistered";
    EXPECT_EQ(w.window.features().sheet.sheetName(), QString());
    // The last registration is offered to the next sheet; 取消 changes nothing.
    w.window.features().sheet.openRegistration();
    RegistrationTable &offered = w.window.features().sheet.registrationDialog()->table();
    EXPECT_TRUE(offered.rows().empty());
    w.window.features().sheet.registrationDialog()->loadPrevious();
    EXPECT_EQ(registrationText(offered.registration()),
              registrationText(*OperatorSettings().lastRegistration()));
    closeBy(w.window, &QDialog::reject);
    EXPECT_FALSE(w.window.features().sheet.registration());

    w.window.features().jobFiles.openJobFile(jobFile);
    EXPECT_EQ(w.window.features().sheet.mapPosition({60, 70}), mapped);
    EXPECT_EQ(w.window.features().sheet.sheetName(), QStringLiteral("NE-54-1"));
    EXPECT_EQ(w.model.store().PtCount, 3);
    EXPECT_EQ(registrationText(*w.window.features().sheet.registration()),
              registrationText(*OperatorSettings().lastRegistration()));
}

} // namespace
} // namespace digitrace
