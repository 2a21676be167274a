#include "app/window/attribute_strip.h"
#include "app/window/class_feature.h"
#include "app/window/class_panel.h"
#include "app/window/work_list.h"
#include "display/widget/drawing_area.h"
#include "fakes.h"
#include "registration_steps.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace digitrace {
namespace {

using test::bytes;

const QString kCatalogue = QStringLiteral(R"([建物]
kind = polygon
colour = #d04040
field = 階数 integer default 1
field = 構造 choice 木造|鉄骨|RC default 木造
[等高線]
kind = line
colour = #2060ff
field = 標高 real default 100 step 5
field = 注記 text
[井戸]
kind = point
colour = #00a0a0
field = 名称 text required
field = 深さ real default 10
field = 調査日 date
)");

// Whether the picture shows `colour` where the tablet point `tablet` is drawn, give or take a pixel
// across a horizontal line.
bool drawnIn(DrawingArea &area, QPointF tablet, const QColor &colour) {
    area.setTabletCursor(tablet);
    const QPoint at = area.tabletCursorAt()->toPoint();
    area.setTabletCursor(std::nullopt);
    const QImage picture = area.surface().image();
    for (int dy = -1; dy <= 1; ++dy)
        if (picture.pixelColor(at + QPoint(0, dy)) == colour)
            return true;
    return false;
}

// The window's folder, made before the window.
struct WindowDir {
    QTemporaryDir dir;
};

// A window tracing into kCatalogue, opened through ファイル → クラス一覧を開く….
struct ClassWindow : WindowDir, test::JournalledWindow {
    ClassWindow() : JournalledWindow(dir.path()) {
        classes.openCatalogue();
        window.Command1_Click();
        // The keys choose classes while the window is the active one.
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    QString write(const QByteArray &content) {
        const QString path = QDir(dir.path()).filePath(QStringLiteral("classes.txt"));
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(content);
        return path;
    }
    const FeatureClasses &job() { return window.features().session.job().classes; }
    DrawingArea &area() { return *window.controls().picDigit; }
    // Where the picture shows a tablet point.
    QPointF areaPoint(QPointF tablet) {
        area().setTabletCursor(tablet);
        const QPointF at = *area().tabletCursorAt();
        area().setTabletCursor(std::nullopt);
        return at;
    }
    // A 建物 polygon at slots 0–4, then the feature at slot 5 of the class keyed `key`.
    void traceTwo(int key, const QByteArray &second) {
        port.deliver(bytes(100, 100, 1) + bytes(300, 100, 2) + bytes(300, 300, 2) +
                     bytes(100, 300, 2) + bytes(0, 0, 5));
        QTest::keyClick(&window, Qt::Key(Qt::Key_0 + key));
        port.deliver(second);
    }

    QString catalogueFile = (dialogs.openName = write(kCatalogue.toUtf8()));
    ClassFeature &classes = *window.findChild<ClassFeature *>();
};

TEST(ClassWindow, ACatalogueThatDoesNotReadChangesNothing) {
    const struct {
        QByteArray content; // of the second file opened
        bool taken;
        QString warning; // a part of it
    } rows[] = {
        {"[道路]\nkind = line\n", true, {}},
        {"[道路]\nkind = curve\n", false, QStringLiteral("2 行目")},
        {"[道路]\nkind = line\nfield = 幅 real default 広い\n", false, QStringLiteral("3 行目")},
        {"[\xff\xfe]\nkind = line\n", false, QStringLiteral("UTF-8")},
        {{}, false, QStringLiteral("何も変わっていません")},
    };
    for (const auto &row : rows) {
        ClassWindow w;
        w.dialogs.openName = w.write(row.content);
        w.classes.openCatalogue();
        const QString inUse = row.taken ? QString::fromUtf8(row.content) : kCatalogue;
        EXPECT_EQ(w.job().catalogue()->text(), inUse) << row.content.constData();
        EXPECT_EQ(w.dialogs.warnings.join(u'\n').contains(row.warning) &&
                      w.dialogs.warnings.isEmpty() == row.taken,
                  true)
            << w.dialogs.warnings.join(u'\n').toStdString();
        EXPECT_EQ(w.classes.panel().table().rowCount(), row.taken ? 1 : 3);
    }
}

TEST(ClassWindow, KeysChooseClassesAndThePanelMarksTheCurrentOne) {
    const struct {
        Qt::Key key;
        QString current;
    } rows[] = {
        {Qt::Key_2, QStringLiteral("等高線")},
        {Qt::Key_3, QStringLiteral("井戸")},
        {Qt::Key_1, QStringLiteral("建物")},
        // No fourth class: the choice stays.
        {Qt::Key_4, QStringLiteral("等高線")},
    };
    ClassWindow w;
    QTest::keyClick(&w.window, Qt::Key_2);
    for (const auto &row : rows) {
        if (row.key == Qt::Key_4)
            QTest::keyClick(&w.window, Qt::Key_2);
        QTest::keyClick(&w.window, row.key);
        EXPECT_EQ(w.job().current(), row.current) << row.key;
        const int marked = w.classes.panel().rowOf(row.current);
        EXPECT_TRUE(w.classes.panel().table().item(marked, 0)->font().bold()) << row.key;
    }
    // The scale box keeps its digits.
    w.window.Command2_Click();
    QLineEdit *scale = w.window.controls().txtScale;
    scale->setFocus();
    scale->clear();
    QTest::keyClicks(scale, QStringLiteral("25"));
    EXPECT_EQ(scale->text(), QStringLiteral("25"));
    EXPECT_EQ(w.job().current(), QStringLiteral("等高線"));
}

TEST(ClassWindow, TheStripShowsDefaultsThenTheLastValuesAndEnterJournalsThem) {
    ClassWindow w;
    const auto depth = [&w] {
        return qobject_cast<QLineEdit *>(w.classes.strip().editor(QStringLiteral("深さ")));
    };
    // A well: finished as soon as it is placed.
    w.traceTwo(3, bytes(400, 400, 5));
    ASSERT_EQ(w.classes.strip().slot(), 5);
    ASSERT_TRUE(depth());
    EXPECT_EQ(depth()->text(), QStringLiteral("10")) << "the default";
    EXPECT_FALSE(depth()->hasFocus()) << "the strip takes no keyboard while tracing";

    // The operator was on the toolbar's 切断 before clicking the field.
    w.window.controls().Command2->setFocus();
    QTest::mouseClick(depth(), Qt::LeftButton);
    depth()->selectAll();
    QTest::keyClicks(depth(), QStringLiteral("12.5"));
    QTest::keyClick(depth(), Qt::Key_Return);
    EXPECT_EQ(w.job().features().value(5).values.value(QStringLiteral("深さ")), QVariant(12.5));
    EXPECT_TRUE(w.window.controls().Command2->hasFocus()) << "the keyboard goes back on Enter";
    EXPECT_TRUE(w.window.features().job.content().contains("\nA 5 "))
        << w.window.features().job.content().constData();

    // The next well takes the values last entered.
    w.port.deliver(bytes(450, 380, 5));
    ASSERT_EQ(w.classes.strip().slot(), 6);
    EXPECT_EQ(depth()->text(), QStringLiteral("12.5"));

    // Another class for it: journalled, the strip showing the new class's fields.
    auto *classBox = w.classes.strip().findChild<QComboBox *>(QStringLiteral("featureClass"));
    ASSERT_TRUE(classBox);
    classBox->setCurrentIndex(classBox->findText(QStringLiteral("等高線")));
    emit classBox->activated(classBox->currentIndex());
    EXPECT_EQ(w.job().features().value(6).className, QStringLiteral("等高線"));
    EXPECT_TRUE(w.classes.strip().editor(QStringLiteral("標高")));
}

TEST(ClassWindow, ARefusedValueIsToldAndChangesNothing) {
    ClassWindow w;
    w.traceTwo(1, {});
    auto *storeys = qobject_cast<QLineEdit *>(w.classes.strip().editor(QStringLiteral("階数")));
    ASSERT_TRUE(storeys);
    storeys->setText(QStringLiteral("-"));
    w.classes.confirmAttributes();
    EXPECT_EQ(w.job().features().value(0).values.value(QStringLiteral("階数")), QVariant(1LL));
    const QList<QLabel *> labels = w.classes.strip().findChildren<QLabel *>();
    EXPECT_TRUE(std::any_of(labels.cbegin(), labels.cend(), [](QLabel *l) {
        return l->isVisible() && l->text().contains(QStringLiteral("階数 の値が読めません"));
    }));
}

TEST(ClassWindow, AClickSelectsTheNearestFeature) {
    const struct {
        QPointF tablet; // clicked there, give or take a few pixels
        QPointF off;
        std::optional<int> selected;
    } rows[] = {
        {{200, 100}, {0, 3}, 0},   // on the polygon's edge
        {{400, 400}, {2, 2}, 5},   // on the well
        {{200, 200}, {0, 0}, {}},  // inside the polygon, far from its edges
        {{400, 400}, {0, 30}, {}}, // beside the well's marker
    };
    ClassWindow w;
    w.traceTwo(3, bytes(400, 400, 5));
    for (const auto &row : rows) {
        const QPointF at = w.areaPoint(row.tablet) + row.off;
        QTest::mouseClick(&w.area(), Qt::LeftButton, {}, at.toPoint());
        EXPECT_EQ(w.classes.selected(), row.selected) << row.tablet.x() << ',' << row.tablet.y();
        if (row.selected) {
            EXPECT_EQ(w.classes.strip().slot(), row.selected);
        }
    }
}

TEST(ClassWindow, FeaturesAreDrawnInTheirClassColour) {
    const struct {
        bool catalogue;
        QColor colour;
    } rows[] = {
        {true, QColor(0xd0, 0x40, 0x40)},
        // Without a catalogue, the designed line colour.
        {false, QColor(255, 255, 0)},
    };
    for (const auto &row : rows) {
        QTemporaryDir dir;
        test::JournalledWindow w(dir.path());
        if (row.catalogue) {
            QFile file(QDir(dir.path()).filePath(QStringLiteral("c.txt")));
            file.open(QIODevice::WriteOnly);
            file.write(kCatalogue.toUtf8());
            file.close();
            w.dialogs.openName = file.fileName();
            w.window.findChild<ClassFeature *>()->openCatalogue();
        }
        w.window.Command1_Click();
        w.port.deliver(bytes(100, 100, 1) + bytes(300, 100, 2) + bytes(300, 300, 2) +
                       bytes(100, 300, 2) + bytes(0, 0, 5));
        EXPECT_TRUE(drawnIn(*w.window.controls().picDigit, {200, 100}, row.colour))
            << row.catalogue;
    }
}

TEST(ClassWindow, TheWorkListIsOfferedBeforeAnExportAndNeverForced) {
    const struct {
        QList<int> answers;
        bool written;
        bool listShown;
    } rows[] = {
        {{1}, true, false}, // go on
        {{0}, false, true}, // see the list
        {{2}, false, false},
    };
    for (const auto &row : rows) {
        ClassWindow w;
        // A well without its required name.
        w.traceTwo(3, bytes(400, 400, 5));
        w.dialogs.saveName = QDir(w.dir.path()).filePath(QStringLiteral("out.dxf"));
        w.dialogs.answer(row.answers);
        w.window.cmdFile_Click();
        EXPECT_EQ(w.dialogs.questions.size(), 1);
        EXPECT_EQ(QFile::exists(w.dialogs.saveName), row.written);
        EXPECT_EQ(w.classes.workList().isVisible(), row.listShown);
        if (!row.listShown)
            continue;
        QListWidget &list = w.classes.workList().list();
        ASSERT_EQ(list.count(), 1);
        emit list.itemClicked(list.item(0));
        EXPECT_EQ(w.classes.selected(), 5);
    }
}

TEST(ClassWindow, TheStatusLineShowsTheOpenFeaturesClassAndSteppedValue) {
    ClassWindow w;
    const struct {
        std::function<void()> step;
        const char *shown;
    } rows[] = {
        {[&] { QTest::keyClick(&w.window, Qt::Key_2); }, "次の地物: 等高線  標高 100"},
        {[&] { w.port.deliver(bytes(10, 10, 1) + bytes(50, 10, 2)); }, "作図中: 等高線  標高 100"},
        {[&] { w.window.features().session.stepNextFeature(1); }, "作図中: 等高線  標高 100"},
        {[&] { w.port.deliver(bytes(10, 50, 1)); }, "作図中: 等高線  標高 105"},
        {[&] { QTest::keyClick(&w.window, Qt::Key_3); }, "作図中: 等高線  標高 105"},
        {[&] { w.port.deliver(bytes(90, 90, 5) + bytes(90, 95, 5)); }, "次の地物: 井戸"},
    };
    for (const auto &row : rows) {
        row.step();
        EXPECT_EQ(w.classes.statusPart().text(), QString::fromUtf8(row.shown));
    }
}

// A job left unsaved comes back at the next start with its classes: the panel with its counts, and
// the picture in the class colours as before.
TEST(ClassWindow, ARestoredJobShowsItsClasses) {
    QString dir;
    {
        ClassWindow w;
        w.dir.setAutoRemove(false);
        dir = w.dir.path();
        w.traceTwo(3, bytes(400, 400, 5));
    }
    struct Restored {
        explicit Restored(const QString &dir) {
            port.setPortName(QStringLiteral("/dev/ttyS0"));
            dialogs.answer({0});
            window.show();
            window.features().jobFiles.attachJournal(JournalSlot::Choice::PreferUnsaved, dir);
        }
        test::FirstStart firstStart;
        TraceModel model{QLocale::c()};
        MemoryPort port;
        test::FakeDialogs dialogs;
        frmTrace1 window{model, port, &dialogs};
    };
    {
        Restored restored(dir);
        ClassPanel &panel = *restored.window.findChild<ClassPanel *>();
        ASSERT_EQ(panel.table().rowCount(), 3);
        EXPECT_EQ(panel.table().item(panel.rowOf(QStringLiteral("井戸")), 2)->text(),
                  QStringLiteral("1"));
        EXPECT_TRUE(drawnIn(*restored.window.controls().picDigit, {200, 100}, QColor(0xd04040)));
    }
    QDir(dir).removeRecursively();
}

TEST(ClassWindow, Screenshots) {
    ClassWindow w;
    // A building, two wells, and a contour line still being traced.
    w.traceTwo(3, bytes(400, 400, 5) + bytes(380, 320, 5));
    QTest::keyClick(&w.window, Qt::Key_2);
    w.port.deliver(bytes(120, 150, 1) + bytes(200, 180, 2) + bytes(280, 150, 2) +
                   bytes(360, 200, 2));
    w.classes.select(5);
    QDir().mkpath(QStringLiteral(DIGITRACE_SCREENSHOTS));
    for (const auto &[widget, name] :
         {std::pair<QWidget *, const char *>{&w.classes.panel(), "class_panel.png"},
          {&w.classes.strip(), "attribute_strip.png"},
          {&w.window, "class_window.png"}})
        EXPECT_TRUE(
            widget->grab().save(QStringLiteral(DIGITRACE_SCREENSHOTS "/") + QLatin1String(name)));
}

} // namespace
} // namespace digitrace
