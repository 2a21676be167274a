#include "app/window/twips_controls.h"

#include "app/window/twips.h"

#include <QLabel>
#include <QPushButton>

namespace digitrace {

QPushButton *twipsButton(QWidget *bar, const QString &text, QRect twips, qreal dpi) {
    auto *b = new QPushButton(text, bar);
    b->setGeometry(twipsRect(twips.x(), twips.y(), twips.width(), twips.height(), dpi));
    return b;
}

QLabel *twipsCaption(QWidget *bar, const QString &text, int left, int top, qreal dpi) {
    auto *l = new QLabel(text, bar);
    l->move(twipsToPixels(left, dpi), twipsToPixels(top, dpi));
    l->adjustSize();
    return l;
}

QLabel *twipsValue(QWidget *bar, const QString &text, QRect twips, Qt::Alignment align, qreal dpi) {
    auto *l = new QLabel(text, bar);
    l->setGeometry(twipsRect(twips.x(), twips.y(), twips.width(), twips.height(), dpi));
    l->setFrameStyle(QFrame::Box | QFrame::Plain);
    l->setLineWidth(1);
    l->setAlignment(align | Qt::AlignVCenter);
    return l;
}

} // namespace digitrace
