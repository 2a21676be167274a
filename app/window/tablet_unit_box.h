#pragma once

#include <QGroupBox>

class QComboBox;
class QDoubleSpinBox;

namespace digitrace {

// What one count of the tablet measures on the sheet, typed or taken from the usual resolutions.
class TabletUnitBox : public QGroupBox {
    Q_OBJECT
public:
    explicit TabletUnitBox(QWidget *parent = nullptr);

    void setUnitMm(double mm);
    double unitMm() const;

private:
    void showPreset();

    QDoubleSpinBox *unit_;
    QComboBox *presets_;
};

} // namespace digitrace
