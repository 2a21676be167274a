#pragma once

#include "acquisition/port_list.h"
#include "app/window/port_choice.h"

#include <QDialog>
#include <QTimer>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QTreeWidget;

namespace digitrace {

// The tablet's port: the devices the system offers (asked again every second while the dialog
// is open, as adapters come and go), a free device path, the line settings and the tablet unit.
// It only shows and edits a PortChoice; it never opens a port.
class PortSettingsDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kRefreshMs = 1000;

    explicit PortSettingsDialog(const PortLister &lister, QWidget *parent = nullptr);

    void setChoice(const PortChoice &choice);
    PortChoice choice() const;
    // Connected, a change applies from the next connect: the dialog says so.
    void setConnected(bool connected);
    // Asks the system for its devices again, keeping the device chosen.
    void refreshPorts();
    // The device paths in the list, in order.
    QStringList listedPorts() const;

private:
    void showSelectedPort();
    void selectTypedPort();

    const PortLister &lister_;
    QTreeWidget *ports_;
    QLineEdit *path_;
    QComboBox *baud_, *parity_, *dataBits_, *stopBits_, *flow_;
    QDoubleSpinBox *unit_;
    QLabel *connectedNote_;
    QList<PortInfo> shown_;
    QTimer refresh_;
};

} // namespace digitrace
