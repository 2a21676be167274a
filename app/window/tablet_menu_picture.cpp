#include "app/window/tablet_menu_picture.h"

#include "classes/class_catalogue.h"

#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QSaveFile>

namespace digitrace {
namespace {

constexpr double kMarginMm = 15;
constexpr double kNotesMm = 22; // the title and the check bar above the menu
constexpr double kBarMm = 50;

// Text of `mm` millimetres under a painter that draws in millimetres, on any device.
void setFontMm(QPainter &painter, double mm, bool bold = false) {
    QFont font = painter.font();
    font.setPointSizeF(mm * 72.0 / painter.device()->logicalDpiY());
    font.setBold(bold);
    painter.setFont(font);
}

// A cross in a circle on the corner to press, its label outside the menu: below the lower left
// corner, above the upper right one.
void pressMark(QPainter &painter, QPointF at, const QString &label, bool below) {
    painter.save();
    painter.setPen(QPen(Qt::black, 0.3));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(at, 2.5, 2.5);
    painter.drawLine(at - QPointF(4, 0), at + QPointF(4, 0));
    painter.drawLine(at - QPointF(0, 4), at + QPointF(0, 4));
    setFontMm(painter, 3);
    if (below)
        painter.drawText(QRectF(at.x() + 3, at.y() + 1, 40, 6), Qt::AlignLeft | Qt::AlignTop,
                         label);
    else
        painter.drawText(QRectF(at.x() - 43, at.y() - 7, 40, 6), Qt::AlignRight | Qt::AlignBottom,
                         label);
    painter.restore();
}

} // namespace

TabletMenuPicture::TabletMenuPicture(const TabletMenu &menu, const ClassCatalogue *catalogue)
    : menu_(menu), catalogue_(catalogue) {}

QSizeF TabletMenuPicture::sheetSizeMm() const {
    return {std::max(menu_.widthMm, kBarMm + 80) + 2 * kMarginMm,
            menu_.heightMm + kNotesMm + 2 * kMarginMm + 8};
}

void TabletMenuPicture::paint(QPainter &painter) const {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    setFontMm(painter, 3.5);
    painter.setPen(QPen(Qt::black, 0.25));
    // Notes and the check bar.
    painter.drawText(QRectF(kMarginMm, kMarginMm - 6, 200, 6), Qt::AlignLeft | Qt::AlignVCenter,
                     tr("digitrace タブレットメニュー  %1 × %2 mm  (実寸で印刷してください)")
                         .arg(menu_.widthMm)
                         .arg(menu_.heightMm));
    const double barY = kMarginMm + 6;
    painter.drawLine(QPointF(kMarginMm, barY), QPointF(kMarginMm + kBarMm, barY));
    for (int mm = 0; mm <= kBarMm; mm += 10)
        painter.drawLine(QPointF(kMarginMm + mm, barY - 1.5), QPointF(kMarginMm + mm, barY));
    painter.drawText(QRectF(kMarginMm + kBarMm + 3, barY - 3, 120, 6),
                     Qt::AlignLeft | Qt::AlignVCenter,
                     tr("← 50 mm。長さが違えば拡大・縮小なしで印刷し直してください"));

    const QRectF frame(kMarginMm, kMarginMm + kNotesMm, menu_.widthMm, menu_.heightMm);
    const double cellW = frame.width() / menu_.columns;
    const double cellH = frame.height() / menu_.rows;
    for (int row = 0; row < menu_.rows; ++row)
        for (int column = 0; column < menu_.columns; ++column) {
            const QRectF cell(frame.left() + column * cellW, frame.top() + row * cellH, cellW,
                              cellH);
            painter.setPen(QPen(Qt::black, 0.25));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(cell);
            if (const std::optional<TabletCommand> &command =
                    menu_.cells.value(row * menu_.columns + column))
                paintCell(painter, cell, *command);
        }
    painter.setPen(QPen(Qt::black, 0.6));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(frame);
    pressMark(painter, frame.bottomLeft(), tr("① ここを押す"), true);
    pressMark(painter, frame.topRight(), tr("② ここを押す"), false);
    painter.restore();
}

void TabletMenuPicture::paintCell(QPainter &painter, const QRectF &cell,
                                  const TabletCommand &command) const {
    QRectF text = cell.adjusted(1.5, 1, -1.5, -1);
    if (command.kind == CommandKind::ChooseClass) {
        const FeatureClass *featureClass =
            catalogue_ ? catalogue_->find(command.className) : nullptr;
        if (featureClass && !featureClass->colour.isEmpty()) {
            const double side = std::min(4.0, cell.height() / 3);
            painter.setPen(QPen(Qt::black, 0.2));
            painter.setBrush(QColor(featureClass->colour));
            painter.drawRect(QRectF(text.left(), text.center().y() - side / 2, side, side));
            text.setLeft(text.left() + side + 1.5);
        }
    }
    setFontMm(painter, std::clamp(cell.height() * 0.3, 2.0, 4.0),
              command.kind == CommandKind::ChooseClass);
    painter.setPen(Qt::black);
    painter.drawText(text, Qt::AlignCenter | Qt::TextWordWrap, command.label());
}

QString TabletMenuPicture::writePdf(const QString &path) const {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return tr("%1 に書き込めません: %2").arg(path, file.errorString());
    {
        QPdfWriter pdf(&file);
        pdf.setTitle(tr("digitrace タブレットメニュー"));
        pdf.setCreator(QStringLiteral("digitrace"));
        pdf.setResolution(1200);
        pdf.setPageSize(QPageSize(sheetSizeMm(), QPageSize::Millimeter));
        pdf.setPageMargins(QMarginsF());
        QPainter painter;
        if (!painter.begin(&pdf))
            return tr("PDF を作れません: %1").arg(path);
        // Millimetres from here on.
        const double dotsPerMm = pdf.resolution() / 25.4;
        painter.scale(dotsPerMm, dotsPerMm);
        paint(painter);
        painter.end();
    }
    if (file.error() != QFileDevice::NoError || !file.commit())
        return tr("%1 を書き終えられませんでした (元のファイルはそのままです): %2")
            .arg(path, file.errorString());
    return {};
}

} // namespace digitrace
