#include "app/window/class_panel.h"

#include <QHeaderView>
#include <QPainter>
#include <QPixmap>
#include <QTableWidget>

namespace digitrace {
namespace {

enum Column { NameColumn, KindColumn, CountColumn, KeyColumn, ColumnCount };

constexpr int kKeyedClasses = 9;

QString kindText(ClassKind kind) {
    switch (kind) {
    case ClassKind::Point:
        return ClassPanel::tr("点");
    case ClassKind::Line:
        return ClassPanel::tr("線");
    case ClassKind::Polygon:
        return ClassPanel::tr("面");
    }
    return {};
}

QIcon swatch(const QColor &colour, int side) {
    QPixmap picture(side, side);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(colour);
    painter.drawRect(QRectF(0.5, 0.5, side - 1, side - 1));
    return QIcon(picture);
}

QTableWidgetItem *cell(const QString &text, Qt::Alignment alignment = Qt::AlignLeft) {
    auto *item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setTextAlignment(alignment | Qt::AlignVCenter);
    return item;
}

} // namespace

QString classKeyText(int row) {
    return row >= 0 && row < kKeyedClasses ? QString::number(row + 1) : QString();
}

QColor classColour(const QString &colour) {
    const QColor named = QColor::fromString(colour);
    return named.isValid() ? named : QColor(255, 255, 0);
}

ClassPanel::ClassPanel(QWidget *parent)
    : QDockWidget(tr("クラス"), parent), table_(new QTableWidget(0, ColumnCount)) {
    // saveState() finds the panel by this name.
    setObjectName(QStringLiteral("classPanel"));
    table_->setHorizontalHeaderLabels({tr("クラス"), tr("種類"), tr("地物数"), tr("キー")});
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setStretchLastSection(false);
    table_->setSelectionMode(QAbstractItemView::NoSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Clicked to choose; the keys stay with the window.
    table_->setFocusPolicy(Qt::NoFocus);
    table_->setIconSize(QSize(14, 14));
    setWidget(table_);
    connect(table_, &QTableWidget::cellClicked, this, [this](int row, int) {
        if (row >= 0 && row < names_.size())
            emit classClicked(names_.at(row));
    });
}

void ClassPanel::showClasses(const ClassCatalogue *catalogue) {
    names_.clear();
    current_ = -1;
    const QList<FeatureClass> classes = catalogue ? catalogue->classes() : QList<FeatureClass>();
    table_->setRowCount(int(classes.size()));
    for (int row = 0; row < classes.size(); ++row) {
        const FeatureClass &c = classes.at(row);
        names_ << c.name;
        QTableWidgetItem *name = cell(c.name);
        name->setIcon(swatch(classColour(c.colour), table_->iconSize().height()));
        table_->setItem(row, NameColumn, name);
        table_->setItem(row, KindColumn, cell(kindText(c.kind), Qt::AlignHCenter));
        table_->setItem(row, CountColumn, cell(QStringLiteral("0"), Qt::AlignRight));
        table_->setItem(row, KeyColumn, cell(classKeyText(row), Qt::AlignHCenter));
    }
    table_->resizeColumnsToContents();
}

void ClassPanel::showCurrent(const QString &className) {
    const int row = rowOf(className);
    if (row == current_)
        return;
    // The current class in bold on the selection's colour, seen from across the desk.
    for (const int r : {current_, row}) {
        if (r < 0)
            continue;
        for (int column = 0; column < ColumnCount; ++column) {
            QTableWidgetItem *item = table_->item(r, column);
            QFont font = item->font();
            font.setBold(r == row);
            item->setFont(font);
            item->setBackground(r == row ? palette().highlight() : QBrush());
            item->setForeground(r == row ? palette().highlightedText() : QBrush());
        }
    }
    current_ = row;
    if (row >= 0)
        table_->scrollToItem(table_->item(row, NameColumn));
}

void ClassPanel::showCount(int row, int count) {
    if (QTableWidgetItem *item = table_->item(row, CountColumn))
        item->setText(QString::number(count));
}

} // namespace digitrace
