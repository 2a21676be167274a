#pragma once

#include "classes/class_catalogue.h"

#include <QDockWidget>
#include <QList>

class QTableWidget;

namespace digitrace {

// The class panel, which is also the picture's legend: each class of the catalogue with its
// colour, kind, the count of features traced in it and the key that chooses it, the class the
// next feature takes marked.
class ClassPanel : public QDockWidget {
    Q_OBJECT
public:
    explicit ClassPanel(QWidget *parent = nullptr);

    // A row a class, in the catalogue's order; nothing without a catalogue.
    void showClasses(const ClassCatalogue *catalogue);
    void showCurrent(const QString &className);
    // One row's count: the only thing a record changes.
    void showCount(int row, int count);
    int rowOf(const QString &className) const { return names_.indexOf(className); }
    QTableWidget &table() { return *table_; }

signals:
    // The operator clicked a class.
    void classClicked(const QString &className);

private:
    QTableWidget *table_;
    QStringList names_;
    int current_ = -1;
};

// The key that chooses the class at `row` (1–9), or "" for those after the ninth.
QString classKeyText(int row);
// "#rrggbb" as a colour; the designed line colour when it names none.
QColor classColour(const QString &colour);

} // namespace digitrace
