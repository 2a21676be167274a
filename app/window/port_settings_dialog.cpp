#include "app/window/port_settings_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
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

PortSettingsDialog::PortSettingsDialog(const PortLister &lister, QWidget *parent)
    : QDialog(parent), lister_(lister) {
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

    unit_ = new QDoubleSpinBox;
    unit_->setDecimals(4);
    unit_->setRange(0.0001, 1000);
    unit_->setSingleStep(0.1);
    unit_->setSuffix(QStringLiteral(" mm"));
    unit_->setToolTip(tr("0.1 mm 単位で数えるタブレットは 0.1、0.001 インチ単位なら 0.0254"));
    auto *unitBox = new QGroupBox(tr("タブレット"));
    auto *unitRow = new QHBoxLayout(unitBox);
    unitRow->addWidget(new QLabel(tr("1 タブレット単位 =")));
    unitRow->addWidget(unit_);
    unitRow->addStretch();

    connectedNote_ = new QLabel(tr("接続中です。変更は次の接続から有効になります。"));
    connectedNote_->setWordWrap(true);
    connectedNote_->hide();
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(portBox, 1);
    layout->addWidget(lineBox);
    layout->addWidget(unitBox);
    layout->addWidget(connectedNote_);
    layout->addWidget(buttons);

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
    unit_->setValue(choice.tabletUnitMm);
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
    c.tabletUnitMm = unit_->value();
    return c;
}

void PortSettingsDialog::setConnected(bool connected) {
    connectedNote_->setVisible(connected);
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
