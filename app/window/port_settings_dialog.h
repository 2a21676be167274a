#pragma once

#include "acquisition/port_list.h"
#include "app/window/port_choice.h"

#include <QDialog>
#include <QTimer>

class QComboBox;
class QLabel;
class QLineEdit;
class QTreeWidget;

namespace digitrace {

class DetectionPanel;
class FormatPanel;
class LineListener;
struct LineDetection;
class TabletUnitBox;

// The tablet's port: the devices the system offers (asked again every second while the dialog
// is open, as adapters come and go), a free device path, the line settings, the tablet unit and
// the record format. It only shows and edits a PortChoice; it never opens a port itself: the
// line is listened to through the LineListener it is given.
class PortSettingsDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kRefreshMs = 1000;

    // `listener`, when given, must outlive the dialog; without one 自動検出 is not offered.
    explicit PortSettingsDialog(const PortLister &lister, LineListener *listener = nullptr,
                                QWidget *parent = nullptr);

    void setChoice(const PortChoice &choice);
    PortChoice choice() const;
    // Connected, a change applies from the next connect: the dialog says so.
    void setConnected(bool connected);
    // Asks the system for its devices again, keeping the device chosen.
    void refreshPorts();
    // The device paths in the list, in order.
    QStringList listedPorts() const;

    FormatPanel *formatPanel() const { return formatPanel_; }
    DetectionPanel *detectionPanel() const { return detection_; }
    // Why the line's settings cannot carry the format: a binary format at 7 data bits. "" when
    // they can.
    static QString pairingProblem(const PortChoice &choice);
    // Refused while the format does not read or the line cannot carry it, with the reason shown.
    void accept() override;
    void done(int result) override;

private:
    void showSelectedPort();
    void selectTypedPort();
    void listen();
    void takeDetection(const LineDetection &detection);
    void showPairingProblem();

    const PortLister &lister_;
    QTreeWidget *ports_;
    QLineEdit *path_;
    QComboBox *baud_, *parity_, *dataBits_, *stopBits_, *flow_;
    LineListener *listener_;
    TabletUnitBox *unitBox_;
    FormatPanel *formatPanel_;
    DetectionPanel *detection_;
    QLabel *connectedNote_, *formatError_;
    TabletFormat shownFormat_;
    QList<PortInfo> shown_;
    QTimer refresh_;
};

} // namespace digitrace
