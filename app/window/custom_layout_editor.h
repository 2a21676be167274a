#pragma once

#include "acquisition/formats/custom_layout.h"

#include <QWidget>

#include <array>

class QCheckBox;
class QComboBox;
class QRadioButton;
class QSpinBox;

namespace digitrace {

// Edits a site's own ASCII record layout, and reads and writes it as its small text file.
class CustomLayoutEditor : public QWidget {
    Q_OBJECT
public:
    explicit CustomLayoutEditor(QWidget *parent = nullptr);

    void setCustomLayout(const CustomLayout &layout);
    CustomLayout customLayout() const;

    // On failure nothing changes and `error` says why: for a file that does not read, its line
    // and reason.
    bool importFile(const QString &path, QString *error);
    bool exportFile(const QString &path, QString *error) const;

private:
    void chooseImport();
    void chooseExport();
    void showSplitting();

    QRadioButton *bySeparator_, *byColumns_;
    QComboBox *order_, *separator_;
    std::array<QSpinBox *, 3> first_{}, last_{};
    QComboBox *button_, *lineEnd_;
    QCheckBox *hasNoButton_;
    QSpinBox *noButton_;
    QWidget *separatorRow_, *columnsRow_;
};

} // namespace digitrace
