#pragma once

#include "acquisition/memory_port.h"
#include "app/window/frm_trace1.h"
#include "app/window/registration_dialog.h"
#include "app/window/sheet_registration.h"
#include "tests/support/record_text.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTableWidget>

#include <gtest/gtest.h>

namespace digitrace::test {

// Steps of registering a sheet in the window, as the operator takes them.

inline QByteArray bytes(double x, double y, int code) {
    return recordText(x, y, code).toLatin1();
}

// map = (1000 + 2 x, 5000 + 2 y): a similarity, so every kind recovers it.
inline QString mapX(double x) {
    return QString::number(1000 + 2 * x);
}
inline QString mapY(double y) {
    return QString::number(5000 + 2 * y);
}

// Four corners of a 100 x 100 square on the sheet, one of them 0.4 off on the map.
inline constexpr double kCorners[][2] = {{10, 20}, {110, 20}, {110, 120}, {10, 120}};

// Digitized on the tablet, the map coordinates typed into the dialog's cells.
inline void registerCorners(frmTrace1 &window, MemoryPort &port, const QString &crs) {
    window.features().sheet.openRegistration();
    RegistrationDialog *dialog = window.features().sheet.registrationDialog();
    ASSERT_TRUE(dialog);
    for (const auto &c : kCorners)
        port.deliver(bytes(c[0], c[1], 2));
    auto *cells = dialog->findChild<QTableWidget *>();
    for (int i = 0; i < 4; ++i) {
        cells->item(i, 3)->setText(mapX(kCorners[i][0]));
        cells->item(i, 4)->setText(QString::number(5000 + 2 * kCorners[i][1] + (i == 3 ? 0.4 : 0)));
    }
    dialog->findChild<QLineEdit *>()->setText(crs);
}

// Presses 登録 or 取消 and waits until the dialog is gone.
template <typename Press> void closeBy(frmTrace1 &window, Press press) {
    RegistrationDialog *dialog = window.features().sheet.registrationDialog();
    ASSERT_TRUE(dialog);
    QSignalSpy gone(dialog, &QObject::destroyed);
    (dialog->*press)();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(gone.count(), 1);
}

} // namespace digitrace::test
