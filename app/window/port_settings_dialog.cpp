#include "app/window/port_settings_dialog.h"

#include "app/window/detection_panel.h"
#include "app/window/format_panel.h"
#include "app/window/tablet_unit_box.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace digitrace {
namespace {

constexpr int kBaudRates[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};

QComboBox *combo(const QList<std::pair<QString, QVariant>> &items) {
    auto *box = new QComboBox;
    for (const auto &[text, data] : items)
        box->addItem(text, data);
    return box;
}

void selectData(QComboBox *box, const QVariant &data) {
    const int at = box->findData(data);
    if (at >= 0)
        box->setCurrentIndex(at);
}

} // namespace

PortSettingsDialog::PortSettingsDialog(const PortLister &lister, LineListener *listener,
                                       QWidget *parent)
    : QDialog(parent), lister_(lister), listener_(listener) {
    setWindowTitle(tr("ポート設定"));

    ports_ = new QTreeWidget;
    ports_->setRootIsDecorated(false);
    ports_->setHeaderLabels({tr("ポート"), tr("説明"), tr("製造元"), tr("シリアル番号")});
    ports_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    ports_->setMinimumSize(520, 120);
    path_ = new QLineEdit;
    path_->setPlaceholderText(defaultPortName());
    auto *portBox = new QGroupBox(tr("ポート"));
    auto *portForm = new QFormLayout(portBox);
    portForm->addRow(ports_);
    portForm->addRow(tr("デバイス:"), path_);

    QList<std::pair<QString, QVariant>> bauds;
    for (const int rate : kBaudRates)
        bauds.append({QString::number(rate), rate});
    baud_ = combo(bauds);
    parity_ = combo({{tr("なし"), 'n'},
                     {tr("偶数"), 'e'},
                     {tr("奇数"), 'o'},
                     {tr("マーク"), 'm'},
                     {tr("スペース"), 's'}});
    dataBits_ = combo({{"5", 5}, {"6", 6}, {"7", 7}, {"8", 8}});
    stopBits_ = combo({{"1", 1}, {"2", 2}});
    flow_ = combo({{tr("なし"), 'n'}, {"RTS/CTS", 'h'}, {"XON/XOFF", 's'}});
    auto *lineBox = new QGroupBox(tr("回線"));
    auto *lineForm = new QFormLayout(lineBox);
    lineForm->addRow(tr("速度 (bps):"), baud_);
    lineForm->addRow(tr("パリティ:"), parity_);
    lineForm->addRow(tr("データビット:"), dataBits_);
    lineForm->addRow(tr("ストップビット:"), stopBits_);
    lineForm->addRow(tr("フロー制御:"), flow_);

    unitBox_ = new TabletUnitBox;
    formatPanel_ = new FormatPanel;
    detection_ = new DetectionPanel(listener_);
    connect(detection_, &DetectionPanel::listenRequested, this, &PortSettingsDialog::listen);
    connect(detection_, &DetectionPanel::accepted, this, &PortSettingsDialog::takeDetection);

    connectedNote_ = new QLabel(tr("接続中です。変更は次の接続から有効になります。"));
    connectedNote_->setWordWrap(true);
    connectedNote_->hide();
    formatError_ = new QLabel;
    formatError_->setWordWrap(true);
    formatError_->setStyleSheet(QStringLiteral("color: #b00000"));
    formatError_->hide();
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    // The port and its line on the left, what is read from it on the right.
    auto *left = new QVBoxLayout;
    left->addWidget(portBox, 1);
    left->addWidget(lineBox);
    left->addWidget(unitBox_);
    auto *right = new QVBoxLayout;
    right->addWidget(formatPanel_);
    right->addWidget(detection_);
    right->addStretch();
    auto *columns = new QHBoxLayout;
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    layout->addWidget(connectedNote_);
    layout->addWidget(formatError_);
    layout->addWidget(buttons);

    connect(dataBits_, &QComboBox::currentIndexChanged, this,
            &PortSettingsDialog::showPairingProblem);
    connect(formatPanel_, &FormatPanel::formatChanged, this,
            &PortSettingsDialog::showPairingProblem);
    connect(ports_, &QTreeWidget::itemSelectionChanged, this,
            &PortSettingsDialog::showSelectedPort);
    connect(path_, &QLineEdit::textEdited, this, &PortSettingsDialog::selectTypedPort);
    refresh_.setInterval(kRefreshMs);
    connect(&refresh_, &QTimer::timeout, this, &PortSettingsDialog::refreshPorts);
    refresh_.start();
    setChoice({});
}

void PortSettingsDialog::setChoice(const PortChoice &choice) {
    path_->setText(choice.portName.isEmpty() ? defaultPortName() : choice.portName);
    selectData(baud_, choice.line.baudRate);
    selectData(parity_, choice.line.parity);
    selectData(dataBits_, choice.line.dataBits);
    selectData(stopBits_, choice.line.stopBits);
    selectData(flow_, choice.line.flowControl);
    unitBox_->setUnitMm(choice.tabletUnitMm);
    formatPanel_->setFormat(choice.format);
    shownFormat_ = choice.format;
    refreshPorts();
}

PortChoice PortSettingsDialog::choice() const {
    PortChoice c;
    c.portName = path_->text().trimmed();
    c.line.baudRate = baud_->currentData().toInt();
    c.line.parity = char(parity_->currentData().toInt());
    c.line.dataBits = dataBits_->currentData().toInt();
    c.line.stopBits = stopBits_->currentData().toInt();
    c.line.flowControl = char(flow_->currentData().toInt());
    c.tabletUnitMm = unitBox_->unitMm();
    // A button table that does not read keeps the one shown; accept() refuses it first.
    c.format = formatPanel_->format().value_or(shownFormat_);
    return c;
}

void PortSettingsDialog::setConnected(bool connected) {
    connectedNote_->setVisible(connected);
    detection_->setConnected(connected);
}

QString PortSettingsDialog::pairingProblem(const PortChoice &choice) {
    if (isBinaryFormat(choice.format.kind) && choice.line.dataBits < 8)
        return tr("形式 %1 はバイナリで、報告の始まりをビット 7 で見分けます。データビット %2 では"
                  "そのビットが届かないので読めません。データビットを 8 にしてください。")
            .arg(choice.format.name())
            .arg(choice.line.dataBits);
    return {};
}

void PortSettingsDialog::showPairingProblem() {
    formatError_->setText(pairingProblem(choice()));
    formatError_->setVisible(!formatError_->text().isEmpty());
}

void PortSettingsDialog::accept() {
    QString error;
    if (formatPanel_->format(&error))
        error = pairingProblem(choice());
    if (!error.isEmpty()) {
        formatError_->setText(error);
        formatError_->show();
        return;
    }
    QDialog::accept();
}

void PortSettingsDialog::done(int result) {
    // The line goes back to the session closed, whichever way the dialog ends.
    if (listener_)
        listener_->stop();
    QDialog::done(result);
}

void PortSettingsDialog::listen() {
    if (!listener_)
        return;
    const PortChoice c = choice();
    listener_->listen(c.portName.isEmpty() ? defaultPortName() : c.portName, c.line);
}

void PortSettingsDialog::takeDetection(const LineDetection &detection) {
    formatPanel_->takeFormat(detection.format);
    selectData(baud_, detection.line.baudRate);
    selectData(parity_, detection.line.parity);
    selectData(dataBits_, detection.line.dataBits);
    selectData(stopBits_, detection.line.stopBits);
}

void PortSettingsDialog::refreshPorts() {
    QList<PortInfo> now = lister_.ports();
    // Unchanged, the list stays as it is: a rebuild would reset its scrolling.
    if (now == shown_ && ports_->topLevelItemCount() == shown_.size()) {
        selectTypedPort();
        return;
    }
    shown_ = std::move(now);
    const QSignalBlocker quiet(ports_);
    ports_->clear();
    for (const PortInfo &p : shown_)
        ports_->addTopLevelItem(
            new QTreeWidgetItem({p.name, p.description, p.manufacturer, p.serialNumber}));
    selectTypedPort();
}

QStringList PortSettingsDialog::listedPorts() const {
    QStringList names;
    for (int i = 0; i < ports_->topLevelItemCount(); ++i)
        names << ports_->topLevelItem(i)->text(0);
    return names;
}

void PortSettingsDialog::showSelectedPort() {
    const QList<QTreeWidgetItem *> chosen = ports_->selectedItems();
    if (!chosen.isEmpty())
        path_->setText(chosen.constFirst()->text(0));
}

void PortSettingsDialog::selectTypedPort() {
    const QSignalBlocker quiet(ports_);
    ports_->clearSelection();
    const QString typed = path_->text().trimmed();
    for (int i = 0; i < ports_->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = ports_->topLevelItem(i);
        if (item->text(0) == typed) {
            item->setSelected(true);
            ports_->setCurrentItem(item);
        }
    }
}

} // namespace digitrace
