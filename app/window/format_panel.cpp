#include "app/window/format_panel.h"

#include "acquisition/formats/format_registry.h"
#include "app/window/custom_layout_editor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

namespace digitrace {

FormatPanel::FormatPanel(QWidget *parent) : QGroupBox(tr("形式"), parent) {
    kind_ = new QComboBox;
    for (const TabletFormatDescription *d : tabletFormats())
        kind_->addItem(d->builtIn ? QStringLiteral("%1 — %2").arg(d->name, d->label()) : d->label(),
                       int(d->kind));
    strict_ = new QCheckBox(tr("厳密（形式に合わない記録は取り込まない）"));
    buttons_ = new QLineEdit;
    buttons_->setToolTip(tr("「ボタン番号=コード」を空白で区切って並べます。"
                            "ボタン番号は 0〜%1、コードは 0〜9。表にないボタンは数えるだけで"
                            "取り込みません。")
                             .arg(ButtonTable::kLargestButton));
    // Wide enough for the default table, 1=1 to 9=9, to show whole.
    buttons_->setMinimumWidth(
        buttons_->fontMetrics().horizontalAdvance(ButtonTable().toText() + QStringLiteral("  ")) +
        buttons_->fontMetrics().averageCharWidth() * 2);
    buttonsError_ = new QLabel;
    buttonsError_->setWordWrap(true);
    buttonsError_->setStyleSheet(QStringLiteral("color: #b00000"));
    buttonsError_->hide();
    layoutEditor_ = new CustomLayoutEditor;

    auto *form = new QFormLayout(this);
    form->addRow(tr("形式:"), kind_);
    form->addRow(strict_);
    form->addRow(tr("ボタン表:"), buttons_);
    form->addRow(buttonsError_);
    form->addRow(layoutEditor_);
    connect(kind_, &QComboBox::activated, this, &FormatPanel::chooseKind);
    connect(buttons_, &QLineEdit::textChanged, this, &FormatPanel::checkButtons);
    setFormat({});
}

void FormatPanel::setFormat(const TabletFormat &format) {
    kind_->setCurrentIndex(kind_->findData(int(format.kind)));
    strict_->setChecked(format.strict);
    buttons_->setText(format.buttons.toText());
    buttons_->setCursorPosition(0);
    layoutEditor_->setCustomLayout(format.layout);
    layoutEditor_->setVisible(format.kind == FormatKind::Custom);
    emit formatChanged();
}

void FormatPanel::takeFormat(const TabletFormat &format) {
    kind_->setCurrentIndex(kind_->findData(int(format.kind)));
    strict_->setChecked(format.strict);
    layoutEditor_->setVisible(format.kind == FormatKind::Custom);
    emit formatChanged();
}

std::optional<TabletFormat> FormatPanel::format(QString *error) const {
    TabletFormat format;
    format.kind = FormatKind(kind_->currentData().toInt());
    format.strict = strict_->isChecked();
    const std::optional<ButtonTable> buttons = ButtonTable::fromText(buttons_->text(), error);
    if (!buttons)
        return std::nullopt;
    format.buttons = *buttons;
    format.layout = layoutEditor_->customLayout();
    return format;
}

void FormatPanel::chooseKind() {
    const TabletFormatDescription &d = describe(FormatKind(kind_->currentData().toInt()));
    // Each built-in format comes with its usual strictness; the operator may change it after.
    if (d.builtIn)
        strict_->setChecked(d.strict);
    layoutEditor_->setVisible(!d.builtIn);
    emit formatChanged();
}

void FormatPanel::checkButtons() {
    QString error;
    buttonsError_->setText(ButtonTable::fromText(buttons_->text(), &error) ? QString() : error);
    buttonsError_->setVisible(!buttonsError_->text().isEmpty());
}

} // namespace digitrace
