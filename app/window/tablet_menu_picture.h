#pragma once

#include "tracing/tablet_menu.h"

#include <QCoreApplication>
#include <QString>

class QPainter;

namespace digitrace {

class ClassCatalogue;

// The tablet menu as it is printed: its cells with their names (a class with its colour), the
// two corners to press when placing it, and a 50 mm bar to check that it printed at true size.
class TabletMenuPicture {
    Q_DECLARE_TR_FUNCTIONS(digitrace::TabletMenuPicture)

public:
    // `catalogue` may be null: class cells then show their names alone.
    TabletMenuPicture(const TabletMenu &menu, const ClassCatalogue *catalogue);

    // Paints with `painter` in millimetres from the top left of the sheet, menu and notes taking
    // sheetSizeMm().
    void paint(QPainter &painter) const;
    QSizeF sheetSizeMm() const;

    // Writes the menu at the tablet's true size as a PDF to `path`, replacing a file only when the
    // whole PDF is written. The error for the operator; "" when it is written.
    QString writePdf(const QString &path) const;

private:
    void paintCell(QPainter &painter, const QRectF &cell, const TabletCommand &command) const;

    TabletMenu menu_;
    const ClassCatalogue *catalogue_;
};

} // namespace digitrace
