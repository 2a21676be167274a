#include "app/window/frm_trace1.h"
#include "app/window/tablet_menu_dialog.h"
#include "app/window/tablet_menu_feature.h"
#include "app/window/tablet_menu_picture.h"
#include "app/window/window_features.h"
#include "classes/class_catalogue.h"
#include "fakes.h"
#include "job/journal_reader.h"
#include "registration_steps.h"
#include "tests/support/record_text.h"
#include "tracing/tracing_session.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

namespace digitrace {
namespace {

using test::bytes;

const QString kCatalogue =
    QStringLiteral("[建物]\nkind = polygon\ncolour = #d04040\n[等高線]\nkind = line\n"
                   "field = 標高 real default 100 step 5\n");

// Placing the menu: two corner presses go to the dialog (never to the trace), a pair that does
// not match the printed size is refused; once placed, a press in a cell is its command.
TEST(TabletMenuWindow, CornersPlaceTheMenuAndItsCellsAreCommands) {
    QTemporaryDir dir;
    test::JournalledWindow w(dir.path());
    TracingSession &session = w.window.features().session;
    ASSERT_TRUE(session.useCatalogue(kCatalogue));
    w.window.Command1_Click();
    TabletMenuFeature &feature = w.window.features().tabletMenu;
    feature.openDialog();
    TabletMenuDialog &dialog = *feature.dialog();
    dialog.findChild<QPlainTextEdit *>(QStringLiteral("menuText"))
        ->setPlainText(QStringLiteral("size = 90 x 20\ngrid = 3 x 1\n"
                                      "cells = class:建物 | class:等高線 | up\n"));
    dialog.findChild<QPushButton *>(QStringLiteral("placeMenu"))->click();
    // 90 x 20 mm in tablet units; the first pair is 40 mm too narrow.
    const double mm = 1 / session.job().tabletUnitMm;
    w.port.deliver(bytes(1000, 1000, 1) + bytes(1000 + 50 * mm, 1000 + 20 * mm, 1));
    EXPECT_FALSE(session.tabletMenu()) << dialog.statusText().toStdString();
    w.port.deliver(bytes(1000, 1000, 1) + bytes(1000 + 90 * mm, 1000 + 20 * mm, 1));
    ASSERT_TRUE(session.tabletMenu());
    EXPECT_EQ(w.model.store().PtCount, 0) << "corners are no records";

    const double middle = 1000 + 10 * mm;
    w.port.deliver(bytes(1000 + 45 * mm, middle, 1) + bytes(0, 0, 1) + bytes(10, 0, 2) +
                   bytes(1000 + 80 * mm, middle, 1));
    EXPECT_EQ(w.model.store().PtCount, 2) << "the press on 上げる is a command, not a record";
    EXPECT_EQ(session.job().classes.features().value(0).className, QStringLiteral("等高線"));
    const QList<JournalEntry> entries = parseJournal(w.window.features().job.content()).entries;
    EXPECT_EQ(entries.back(), JournalEntry(entry::Step{1}));
    EXPECT_TRUE(std::any_of(entries.begin(), entries.end(),
                            [](const JournalEntry &e) { return is<entry::Menu>(e); }));
}

// The printed menu: a page at the menu's true size plus its notes, named cells in the picture.
TEST(TabletMenuWindow, PrintsAtTrueSize) {
    const TabletMenu menu = TabletMenu::forCatalogue(*ClassCatalogue::read(kCatalogue));
    const TabletMenuPicture picture(menu, nullptr);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("menu.pdf"));
    ASSERT_EQ(picture.writePdf(path), QString());
    QFile pdf(path);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QRegularExpressionMatch box =
        QRegularExpression(QStringLiteral(R"(/MediaBox \[0 0 ([\d.]+) ([\d.]+)\])"))
            .match(QString::fromLatin1(pdf.readAll()));
    ASSERT_TRUE(box.hasMatch());
    const double pointsPerMm = 72 / 25.4;
    EXPECT_NEAR(box.captured(1).toDouble(), picture.sheetSizeMm().width() * pointsPerMm, 1);
    EXPECT_NEAR(box.captured(2).toDouble(), picture.sheetSizeMm().height() * pointsPerMm, 1);
    EXPECT_NE(picture.writePdf(dir.filePath(QStringLiteral("no/such/folder/menu.pdf"))), QString());

    QImage image((picture.sheetSizeMm() * 6).toSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(6, 6);
    picture.paint(painter);
    painter.end();
    image.save(QStringLiteral(DIGITRACE_SCREENSHOTS "/tablet_menu.png"));
}

} // namespace
} // namespace digitrace
