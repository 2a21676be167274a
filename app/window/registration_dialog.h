#pragma once

#include "app/window/registration_table.h"

#include <QDialog>

#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace digitrace {

class WindowDialogs;

// The sheet's control points, shown and edited; RegistrationTable does the work. Non-modal: the
// operator digitizes points on the tablet while it is open.
class RegistrationDialog : public QDialog {
    Q_OBJECT
public:
    // Opens on `current` (the job's registration) and offers `previous` (the last one registered)
    // to load.
    // tabletUnitMm is the sheet length of one tablet unit, for the misfits in mm. `sheetName` is
    // the job's, registered with the points.
    RegistrationDialog(WindowDialogs &dialogs, const std::optional<Registration> &current,
                       std::optional<Registration> previous, double tabletUnitMm,
                       const QString &sheetName = {}, QWidget *parent = nullptr);

    RegistrationTable &table() { return table_; }
    // The sheet's name as typed; "" for none.
    QString sheetName() const;
    void setSheetName(const QString &name);
    // 登録: registers when the table allows it, or else says why and stays open.
    void registerSheet();
    void loadPrevious();
    void loadFile();
    void saveFile();

signals:
    void registered(const digitrace::Registration &registration);

private:
    void buildControls();
    void showTable();
    void showFit();
    void cellEdited(int row, int column);
    void say(const QString &problem);
    QString mirrorWarning() const;

    WindowDialogs &dialogs_;
    RegistrationTable table_;
    std::optional<Registration> previous_;
    QTableWidget *points_ = nullptr;
    QComboBox *kind_ = nullptr;
    QLineEdit *sheetName_ = nullptr;
    QLineEdit *crs_ = nullptr;
    QLabel *crsMessage_ = nullptr;
    QLabel *fitMessage_ = nullptr;
    QLabel *rms_ = nullptr;
    QLabel *problem_ = nullptr;
    QPushButton *previousButton_ = nullptr;
};

} // namespace digitrace
