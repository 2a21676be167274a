#include "app/window/tablet_menu_dialog.h"

#include "app/window/tablet_menu_picture.h"

#include <QDialogButtonBox>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

namespace digitrace {
namespace {

constexpr int kPictureWidth = 560;
// Pressed corners may stray this share of the printed size before they are taken for wrong ones.
constexpr double kSizeTolerance = 0.1;

} // namespace

TabletMenuDialog::TabletMenuDialog(const TabletMenu &menu, const ClassCatalogue *catalogue,
                                   double tabletUnitMm, QWidget *parent)
    : QDialog(parent), catalogue_(catalogue), tabletUnitMm_(tabletUnitMm),
      text_(new QPlainTextEdit(menu.text(), this)), error_(new QLabel(this)),
      picture_(new QLabel(this)), status_(new QLabel(this)) {
    setWindowTitle(tr("タブレットメニュー"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("大きさ (mm)、升目 (列 x 行)、セル (class:クラス名 または "
                                    "next-class, up, down, same, back, clear-undo, close-polygon)"),
                                 this));
    text_->setObjectName(QStringLiteral("menuText"));
    text_->setMinimumHeight(110);
    layout->addWidget(text_);
    error_->setStyleSheet(QStringLiteral("color: #b00000"));
    error_->setWordWrap(true);
    layout->addWidget(error_);
    layout->addWidget(picture_);
    status_->setObjectName(QStringLiteral("menuStatus"));
    status_->setWordWrap(true);
    layout->addWidget(status_);
    auto *buttons = new QDialogButtonBox(this);
    QPushButton *print = buttons->addButton(tr("印刷用メニュー…"), QDialogButtonBox::ActionRole);
    QPushButton *place = buttons->addButton(tr("角を押して登録"), QDialogButtonBox::ActionRole);
    QPushButton *drop = buttons->addButton(tr("メニューを外す"), QDialogButtonBox::ActionRole);
    buttons->addButton(tr("閉じる"), QDialogButtonBox::RejectRole);
    place->setObjectName(QStringLiteral("placeMenu"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(text_, &QPlainTextEdit::textChanged, this, &TabletMenuDialog::showPicture);
    connect(print, &QPushButton::clicked, this, [this] {
        if (const std::optional<TabletMenu> m = this->menu())
            emit printRequested(*m);
    });
    connect(place, &QPushButton::clicked, this, [this] {
        pending_ = this->menu();
        if (!pending_)
            return;
        placing_ = true;
        firstCorner_.reset();
        setStatus(tr("タブレットで、印刷したメニューの ① の角を押してください。"));
        emit placingStarted();
    });
    connect(drop, &QPushButton::clicked, this, [this] {
        placing_ = false;
        emit dropRequested();
        setStatus(tr("メニューは外されました。押した位置はすべて記録になります。"));
    });
    setStatus(menu.area ? tr("登録済みです。メニューの中を押すとそのセルのコマンドになります。")
                        : tr("まだタブレットに登録されていません。"));
    showPicture();
}

std::optional<TabletMenu> TabletMenuDialog::menu() {
    QString why;
    std::optional<TabletMenu> read = TabletMenu::read(text_->toPlainText(), &why);
    error_->setText(read ? QString() : why);
    return read;
}

void TabletMenuDialog::takeCorner(double x, double y) {
    if (!placing_ || !pending_)
        return;
    if (!firstCorner_) {
        firstCorner_ = QPointF(x, y);
        setStatus(
            tr("① を受け取りました (%1, %2)。向かいの ② の角を押してください。").arg(x).arg(y));
        return;
    }
    const double width = std::abs(x - firstCorner_->x());
    const double height = std::abs(y - firstCorner_->y());
    if (tabletUnitMm_ > 0) {
        const double widthMm = width * tabletUnitMm_;
        const double heightMm = height * tabletUnitMm_;
        if (std::abs(widthMm - pending_->widthMm) > kSizeTolerance * pending_->widthMm ||
            std::abs(heightMm - pending_->heightMm) > kSizeTolerance * pending_->heightMm) {
            firstCorner_.reset();
            setStatus(tr("押した角の間隔 %1 × %2 mm が印刷の大きさ %3 × %4 mm と合いません。"
                         "① の角からもう一度押してください。")
                          .arg(widthMm, 0, 'f', 1)
                          .arg(heightMm, 0, 'f', 1)
                          .arg(pending_->widthMm)
                          .arg(pending_->heightMm));
            return;
        }
    }
    if (width == 0 || height == 0) {
        firstCorner_.reset();
        setStatus(tr("二つの角が同じ縦か横の線上にあります。① の角からもう一度押してください。"));
        return;
    }
    pending_->placeAt(firstCorner_->x(), firstCorner_->y(), x, y);
    placing_ = false;
    setStatus(tr("登録しました。メニューの中を押すとそのセルのコマンドになります。"));
    emit placed(*pending_);
}

QString TabletMenuDialog::statusText() const {
    return status_->text();
}

void TabletMenuDialog::setStatus(const QString &text) {
    status_->setText(text);
}

void TabletMenuDialog::showPicture() {
    const std::optional<TabletMenu> shown = menu();
    if (!shown) {
        picture_->clear();
        return;
    }
    const TabletMenuPicture picture(*shown, catalogue_);
    const QSizeF sheet = picture.sheetSizeMm();
    const double pixelsPerMm = kPictureWidth / sheet.width();
    QImage image(QSize(kPictureWidth, int(std::ceil(sheet.height() * pixelsPerMm))),
                 QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(pixelsPerMm, pixelsPerMm);
    picture.paint(painter);
    painter.end();
    picture_->setPixmap(QPixmap::fromImage(image));
}

} // namespace digitrace
