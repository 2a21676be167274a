#pragma once

#include "acquisition/formats/tablet_command.h"

#include <QCoreApplication>
#include <QList>
#include <QRectF>
#include <QString>

#include <optional>

namespace digitrace {

class ClassCatalogue;

// A rectangle of the tablet divided into cells, each naming a command or a class: a press inside
// it is that command, never a record. Its text form, as a file and the journal keep it:
//
//   size = 180 x 30        the printed menu in millimetres (width x height)
//   grid = 6 x 2           columns x rows
//   cells = class:建物 | next-class | up | down | same | back | …    row by row from the top;
//                          an empty cell does nothing
//   area = 1000 800 4600 1400    optional: the registered corners in tablet units (x1 y1 x2 y2)
//
// Rows are counted from the top of the printed sheet, which is the tablet's larger Y, since a
// tablet's origin is its lower left corner.
class TabletMenu {
    Q_DECLARE_TR_FUNCTIONS(digitrace::TabletMenu)

public:
    static constexpr int kLargestGrid = 20;

    double widthMm = 180;
    double heightMm = 30;
    int columns = 6;
    int rows = 2;
    QList<std::optional<TabletCommand>> cells; // columns x rows, row by row from the top
    // The menu's place on the tablet, in tablet units; none until its corners are pressed.
    std::optional<QRectF> area;

    // One cell for each class of `catalogue`, then the commands, in as many rows of six as they
    // need.
    static TabletMenu forCatalogue(const ClassCatalogue &catalogue);
    static std::optional<TabletMenu> read(const QString &text, QString *error = nullptr);
    QString text() const;

    // The menu placed where two opposite corners were pressed.
    void placeAt(double x1, double y1, double x2, double y2);
    // The cell a press at (x, y) lands in, counted row by row from the top; none outside the
    // registered area.
    std::optional<int> cellAt(double x, double y) const;

    friend bool operator==(const TabletMenu &, const TabletMenu &) = default;
};

} // namespace digitrace
