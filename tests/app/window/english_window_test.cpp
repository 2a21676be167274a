#include "acquisition/memory_port.h"
#include "app/window/frm_trace1.h"
#include "app/window/notice_bar.h"
#include "app/window/port_feature.h"
#include "app/window/record_monitor.h"
#include "app/window/toolbar_fonts.h"
#include "app/window/window_notices.h"
#include "fakes.h"
#include "i18n/languages.h"
#include "tests/support/record_text.h"

#include <QDir>
#include <QFontMetricsF>
#include <QLabel>
#include <QPushButton>
#include <QTranslator>

#include <gtest/gtest.h>

#include <algorithm>

namespace digitrace {
namespace {

// Kana, kanji and Japanese punctuation, half-width kana included: none belongs in English.
bool showsJapanese(const QString &text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) {
        const char16_t u = c.unicode();
        return (u >= 0x3000 && u <= 0x30ff) || (u >= 0x4e00 && u <= 0x9fff) ||
               (u >= 0xff61 && u <= 0xff9f);
    });
}

QByteArray bytes(double x, double y, int code) {
    return test::recordText(x, y, code).toLatin1();
}

// The window as built under `--lang en`.
class EnglishWindow : public testing::Test {
protected:
    struct English {
        English() {
            EXPECT_TRUE(translator.load(programTranslation(kEnglish)));
            QCoreApplication::installTranslator(&translator);
        }
        ~English() { QCoreApplication::removeTranslator(&translator); }
        QTranslator translator;
    } english;
    test::FirstStart firstStart;
    TraceModel model{QLocale(QLocale::English, QLocale::UnitedStates)};
    MemoryPort port;
    test::FakeDialogs dialogs;
    frmTrace1 window{model, port, &dialogs};
};

TEST_F(EnglishWindow, RecordMonitorCellsAndNoticesAreEnglish) {
    window.Command1_Click();
    // Every effect a record can have, and a malformed record, which is told in a notice.
    port.deliver(bytes(10, 10, 1) + "  ???????     20.0" + "2\r" + bytes(30, 30, 2) +
                 bytes(0, 0, 2) + bytes(0, 0, 3) + bytes(50, 50, 4) + bytes(60, 60, 2) +
                 bytes(70, 70, 1) + bytes(80, 80, 5));
    QStringList shown = window.features().notices.bar().notices() + dialogs.warnings;
    ASSERT_FALSE(window.features().notices.bar().notices().isEmpty());
    RecordMonitor *monitor = window.features().port.recordMonitor();
    shown << monitor->windowTitle();
    const RecordLog &log = monitor->log();
    ASSERT_EQ(log.rowCount(), 9);
    for (int column = 0; column < log.columnCount(); ++column) {
        shown << log.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
        for (int row = 0; row < log.rowCount(); ++row)
            shown << log.data(log.index(row, column), Qt::DisplayRole).toString();
    }
    for (const QLabel *line : monitor->findChildren<QLabel *>())
        shown << line->text();
    for (const QString &text : shown)
        EXPECT_FALSE(showsJapanese(text)) << text.toStdString();
}

// Texts longer than the designed ones keep a legible size and take the room they need; the first
// window shows the whole strip. Also run at 192 dpi.
TEST_F(EnglishWindow, ToolbarTextsFitLegibleAndWhole) {
    window.show();
    const TraceControls &ui = window.controls();
    const qreal dpi = window.logicalDpiY();
    QList<QWidget *> strip = ui.picBar->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    std::sort(strip.begin(), strip.end(), [](QWidget *a, QWidget *b) { return a->x() < b->x(); });
    for (qsizetype i = 0; i < strip.size(); ++i) {
        const auto *button = qobject_cast<QPushButton *>(strip[i]);
        const auto *caption = qobject_cast<QLabel *>(strip[i]);
        if (caption && caption->frameStyle() != QFrame::NoFrame)
            caption = nullptr; // a value label
        const QString text = button ? button->text() : caption ? caption->text() : QString();
        if (text.isEmpty())
            continue;
        EXPECT_GE(strip[i]->font().pointSizeF(), kLegiblePoints) << text.toStdString();
        if (button) {
            // Whole inside the style's padding, and not covered by the next control.
            const int shown = i + 1 < strip.size()
                                  ? std::min(button->width(), strip[i + 1]->x() - button->x())
                                  : button->width();
            EXPECT_LE(QFontMetricsF(button->font()).horizontalAdvance(text) +
                          buttonTextPadding(button),
                      shown)
                << text.toStdString() << " at " << dpi;
        } else if (i + 1 < strip.size()) {
            EXPECT_LT(caption->geometry().right(), strip[i + 1]->x())
                << text.toStdString() << " at " << dpi;
        }
        const QRect inWindow(strip[i]->mapTo(&window, QPoint(0, 0)), strip[i]->size());
        EXPECT_TRUE(window.rect().contains(inWindow)) << text.toStdString() << " at " << dpi;
    }
    if (dpi == 96) {
        QDir().mkpath(QStringLiteral(DIGITRACE_SCREENSHOTS));
        EXPECT_TRUE(ui.picBar->grab().save(DIGITRACE_SCREENSHOTS "/toolbar_en.png"));
    }
}

} // namespace
} // namespace digitrace
