#pragma once

#include "acquisition/formats/tablet_format.h"

#include <QGroupBox>

#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace digitrace {

class CustomLayoutEditor;

// What the line's bytes are read as: a built-in format or the site's own layout, whether what
// does not match is refused, and which code each tablet button gives.
class FormatPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit FormatPanel(QWidget *parent = nullptr);

    void setFormat(const TabletFormat &format);
    // Takes a detected format, keeping the button table the operator set.
    void takeFormat(const TabletFormat &format);
    // Nothing while the button table does not read; `error` then says why.
    std::optional<TabletFormat> format(QString *error = nullptr) const;

    CustomLayoutEditor *layoutEditor() const { return layoutEditor_; }

signals:
    // The kind of format shown changed.
    void formatChanged();

private:
    void chooseKind();
    void checkButtons();

    QComboBox *kind_;
    QCheckBox *strict_;
    QLineEdit *buttons_;
    QLabel *buttonsError_;
    CustomLayoutEditor *layoutEditor_;
};

} // namespace digitrace
