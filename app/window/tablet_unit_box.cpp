#include "app/window/tablet_unit_box.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLabel>

#include <cmath>

namespace digitrace {

TabletUnitBox::TabletUnitBox(QWidget *parent) : QGroupBox(tr("タブレット"), parent) {
    unit_ = new QDoubleSpinBox;
    unit_->setDecimals(4);
    unit_->setRange(0.0001, 1000);
    unit_->setSingleStep(0.1);
    unit_->setSuffix(QStringLiteral(" mm"));
    unit_->setToolTip(tr("0.1 mm 単位で数えるタブレットは 0.1、0.001 インチ単位なら 0.0254"));
    presets_ = new QComboBox;
    presets_->addItem(tr("その他"), 0.0);
    presets_->addItem(tr("1000 lpi（0.0254 mm）"), 0.0254);
    presets_->addItem(tr("100 lpmm（0.01 mm）"), 0.01);
    presets_->addItem(QStringLiteral("0.1 mm"), 0.1);
    presets_->addItem(QStringLiteral("1 mm"), 1.0);
    presets_->setToolTip(tr("よく使われる分解能"));
    auto *row = new QHBoxLayout(this);
    row->addWidget(new QLabel(tr("1 タブレット単位 =")));
    row->addWidget(unit_);
    row->addWidget(presets_);
    row->addStretch();
    connect(presets_, &QComboBox::activated, this, [this] {
        const double mm = presets_->currentData().toDouble();
        if (mm > 0)
            unit_->setValue(mm);
    });
    connect(unit_, &QDoubleSpinBox::valueChanged, this, &TabletUnitBox::showPreset);
    showPreset();
}

void TabletUnitBox::setUnitMm(double mm) {
    unit_->setValue(mm);
}

double TabletUnitBox::unitMm() const {
    return unit_->value();
}

void TabletUnitBox::showPreset() {
    int shown = 0;
    for (int i = 1; i < presets_->count(); ++i)
        if (std::abs(presets_->itemData(i).toDouble() - unit_->value()) < 1e-9)
            shown = i;
    presets_->setCurrentIndex(shown);
}

} // namespace digitrace
