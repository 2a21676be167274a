#include "app/window/custom_layout_editor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSaveFile>
#include <QSpinBox>

namespace digitrace {
namespace {

using Order = std::array<CustomLayout::Field, 3>;

constexpr Order kOrders[] = {
    {CustomLayout::X, CustomLayout::Y, CustomLayout::B},
    {CustomLayout::Y, CustomLayout::X, CustomLayout::B},
    {CustomLayout::B, CustomLayout::X, CustomLayout::Y},
    {CustomLayout::B, CustomLayout::Y, CustomLayout::X},
    {CustomLayout::X, CustomLayout::B, CustomLayout::Y},
    {CustomLayout::Y, CustomLayout::B, CustomLayout::X},
};
constexpr char kSeparators[] = {',', ';', ' ', '\t', ':', '/'};
constexpr int kWidestColumn = 256;
// The file's extension, so that a site recognises what it shares.
const char *const kFileFilter = "(*.layout *.txt)";

QString orderText(const Order &order) {
    QStringList names;
    for (const CustomLayout::Field f : order)
        names << (f == CustomLayout::X   ? QStringLiteral("X")
                  : f == CustomLayout::Y ? QStringLiteral("Y")
                                         : QStringLiteral("B"));
    return names.join(u' ');
}

void selectData(QComboBox *box, const QVariant &data) {
    const int at = box->findData(data);
    if (at >= 0)
        box->setCurrentIndex(at);
}

} // namespace

CustomLayoutEditor::CustomLayoutEditor(QWidget *parent) : QWidget(parent) {
    bySeparator_ = new QRadioButton(tr("区切り文字で分ける"));
    byColumns_ = new QRadioButton(tr("固定の桁で切る"));
    order_ = new QComboBox;
    for (int i = 0; i < int(std::size(kOrders)); ++i)
        order_->addItem(orderText(kOrders[i]), i);
    separator_ = new QComboBox;
    for (const char s : kSeparators)
        separator_->addItem(s == ' '    ? tr("空白")
                            : s == '\t' ? tr("タブ")
                                        : QString(QLatin1Char(s)),
                            int(s));
    separatorRow_ = new QWidget;
    auto *separatorLayout = new QHBoxLayout(separatorRow_);
    separatorLayout->setContentsMargins(0, 0, 0, 0);
    separatorLayout->addWidget(new QLabel(tr("順序:")));
    separatorLayout->addWidget(order_);
    separatorLayout->addWidget(new QLabel(tr("区切り:")));
    separatorLayout->addWidget(separator_);
    separatorLayout->addStretch();

    columnsRow_ = new QWidget;
    auto *columnsLayout = new QGridLayout(columnsRow_);
    columnsLayout->setContentsMargins(0, 0, 0, 0);
    const QString fieldNames[] = {QStringLiteral("X"), QStringLiteral("Y"), tr("ボタン")};
    for (int f = 0; f < 3; ++f) {
        first_[f] = new QSpinBox;
        last_[f] = new QSpinBox;
        for (QSpinBox *box : {first_[f], last_[f]})
            box->setRange(1, kWidestColumn);
        // A field's last column never comes before its first.
        connect(first_[f], &QSpinBox::valueChanged, last_[f], &QSpinBox::setMinimum);
        columnsLayout->addWidget(new QLabel(fieldNames[f]), 0, 1 + 2 * f);
        columnsLayout->addWidget(first_[f], 1, 1 + 2 * f);
        columnsLayout->addWidget(last_[f], 2, 1 + 2 * f);
    }
    columnsLayout->addWidget(new QLabel(tr("最初の桁")), 1, 0);
    columnsLayout->addWidget(new QLabel(tr("最後の桁")), 2, 0);
    columnsLayout->setColumnStretch(7, 1);

    button_ = new QComboBox;
    button_->addItem(tr("10 進数"), int(CustomLayout::Button::Decimal));
    button_->addItem(tr("16 進数"), int(CustomLayout::Button::Hex));
    button_->addItem(tr("CalComp 文字（'0' からの差）"), int(CustomLayout::Button::Calcomp));
    button_->addItem(tr("ビット（1, 2, 4, 8）"), int(CustomLayout::Button::Flags));
    hasNoButton_ = new QCheckBox(tr("ボタンなしの値:"));
    hasNoButton_->setToolTip(tr("外すと、どの行も記録として取り込みます。"));
    noButton_ = new QSpinBox;
    noButton_->setRange(0, 0xFFFF);
    connect(hasNoButton_, &QCheckBox::toggled, noButton_, &QWidget::setEnabled);
    lineEnd_ = new QComboBox;
    lineEnd_->addItem(QStringLiteral("CR"), int(CustomLayout::LineEnd::Cr));
    lineEnd_->addItem(QStringLiteral("LF"), int(CustomLayout::LineEnd::Lf));
    lineEnd_->addItem(QStringLiteral("CR LF"), int(CustomLayout::LineEnd::CrLf));
    lineEnd_->addItem(tr("どれでも"), int(CustomLayout::LineEnd::Any));
    auto *noButtonRow = new QHBoxLayout;
    noButtonRow->addWidget(hasNoButton_);
    noButtonRow->addWidget(noButton_);
    noButtonRow->addStretch();

    auto *load = new QPushButton(tr("読み込み…"));
    auto *save = new QPushButton(tr("書き出し…"));
    connect(load, &QPushButton::clicked, this, &CustomLayoutEditor::chooseImport);
    connect(save, &QPushButton::clicked, this, &CustomLayoutEditor::chooseExport);
    auto *fileRow = new QHBoxLayout;
    fileRow->addStretch();
    fileRow->addWidget(load);
    fileRow->addWidget(save);

    auto *form = new QFormLayout(this);
    form->setContentsMargins(0, 0, 0, 0);
    form->addRow(bySeparator_);
    form->addRow(separatorRow_);
    form->addRow(byColumns_);
    form->addRow(columnsRow_);
    form->addRow(tr("ボタンの書き方:"), button_);
    form->addRow(noButtonRow);
    form->addRow(tr("行末:"), lineEnd_);
    form->addRow(fileRow);
    connect(bySeparator_, &QRadioButton::toggled, this, &CustomLayoutEditor::showSplitting);
    setCustomLayout({});
}

void CustomLayoutEditor::setCustomLayout(const CustomLayout &layout) {
    for (int i = 0; i < int(std::size(kOrders)); ++i)
        if (kOrders[i] == layout.order)
            order_->setCurrentIndex(i);
    // A separator from a shared file that the list lacks joins it.
    if (separator_->findData(int(layout.separator)) < 0)
        separator_->addItem(QString(QLatin1Char(layout.separator)), int(layout.separator));
    selectData(separator_, int(layout.separator));
    const std::array<CustomLayout::Columns, 3> columns =
        layout.columns.value_or(std::array<CustomLayout::Columns, 3>{{{1, 9}, {10, 18}, {19, 19}}});
    for (int f = 0; f < 3; ++f) {
        first_[f]->setValue(columns[f].first);
        last_[f]->setValue(columns[f].last);
    }
    (layout.columns ? byColumns_ : bySeparator_)->setChecked(true);
    selectData(button_, int(layout.button));
    hasNoButton_->setChecked(layout.noButton.has_value());
    noButton_->setEnabled(layout.noButton.has_value());
    noButton_->setValue(layout.noButton.value_or(0));
    selectData(lineEnd_, int(layout.lineEnd));
    showSplitting();
}

CustomLayout CustomLayoutEditor::customLayout() const {
    CustomLayout layout;
    layout.order = kOrders[order_->currentData().toInt()];
    layout.separator = char(separator_->currentData().toInt());
    if (byColumns_->isChecked()) {
        std::array<CustomLayout::Columns, 3> columns{};
        for (int f = 0; f < 3; ++f)
            columns[f] = {first_[f]->value(), last_[f]->value()};
        layout.columns = columns;
    }
    layout.button = CustomLayout::Button(button_->currentData().toInt());
    if (hasNoButton_->isChecked())
        layout.noButton = noButton_->value();
    else
        layout.noButton.reset();
    layout.lineEnd = CustomLayout::LineEnd(lineEnd_->currentData().toInt());
    return layout;
}

bool CustomLayoutEditor::importFile(const QString &path, QString *error) {
    // A pipe or a device would hold the window for as long as it sends.
    if (const QFileInfo info(path); info.exists() && !info.isFile()) {
        *error = tr("%1 は通常のファイルではありません").arg(path);
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = tr("%1 を読めません: %2").arg(path, file.errorString());
        return false;
    }
    // A layout is a few lines; anything larger is not one.
    constexpr qint64 kLargestLayout = 64 * 1024;
    const QByteArray text = file.read(kLargestLayout + 1);
    if (text.size() > kLargestLayout) {
        *error = tr("%1 は大きすぎてレコード配置ではありません").arg(path);
        return false;
    }
    QString why;
    const std::optional<CustomLayout> layout = CustomLayout::fromText(text, &why);
    if (!layout) {
        *error = tr("%1 はレコード配置として読めません。%2").arg(path, why);
        return false;
    }
    setCustomLayout(*layout);
    return true;
}

bool CustomLayoutEditor::exportFile(const QString &path, QString *error) const {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(customLayout().toText()) < 0 ||
        !file.commit()) {
        *error = tr("%1 に書き出せません: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

void CustomLayoutEditor::chooseImport() {
    const QString path = QFileDialog::getOpenFileName(
        this, tr("レコード配置の読み込み"), {}, tr("レコード配置") + QLatin1String(kFileFilter));
    QString error;
    if (!path.isEmpty() && !importFile(path, &error))
        QMessageBox::warning(this, tr("レコード配置の読み込み"), error);
}

void CustomLayoutEditor::chooseExport() {
    QString path = QFileDialog::getSaveFileName(this, tr("レコード配置の書き出し"), {},
                                                tr("レコード配置") + QLatin1String(kFileFilter));
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".layout");
    QString error;
    if (!path.isEmpty() && !exportFile(path, &error))
        QMessageBox::warning(this, tr("レコード配置の書き出し"), error);
}

void CustomLayoutEditor::showSplitting() {
    separatorRow_->setEnabled(bySeparator_->isChecked());
    columnsRow_->setEnabled(byColumns_->isChecked());
}

} // namespace digitrace
