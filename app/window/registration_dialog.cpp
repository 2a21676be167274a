#include "app/window/registration_dialog.h"

#include "app/window/window_dialogs.h"
#include "export/publish_sql.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace digitrace {

namespace {

constexpr int kFirstMapColumn = 3;
constexpr int kUsedColumn = 5;
constexpr int kResidualColumn = 6;
constexpr int kSheetMmColumn = 7;
constexpr int kLeftOutColumn = 8;
constexpr int kColumns = 9;
// Rows the table shows at least, whatever the dialog's size.
constexpr int kRowsShown = 6;
constexpr TransformKind kKinds[] = {TransformKind::Similarity, TransformKind::Affine,
                                    TransformKind::Projective};

// Coordinates as the control-point files write them; residuals and RMS to four figures.
QString coordinateText(const std::optional<double> &v) {
    return v ? QString::number(*v, 'f', QLocale::FloatingPointShortest) : QString();
}
// Records carry a tenth of a tablet unit; a misfit is shown to a tenth of that and no finer, so
// that the rounding noise of an exact fit reads 0.00 rather than 0.000000000001.
constexpr double kShownResolutionUnits = 0.01;
// Misfits to four figures of the largest, at most to `resolution`, all with its decimals so that
// they line up.
int errorDecimals(const std::vector<double> &values, double resolution) {
    const int finest = resolution > 0 && std::isfinite(resolution)
                           ? std::clamp(int(std::ceil(-std::log10(resolution) - 1e-9)), 0, 12)
                           : 12;
    const double largest = values.empty() ? 0 : *std::max_element(values.begin(), values.end());
    if (!(largest > 0) || !std::isfinite(largest))
        return std::min(3, finest);
    return std::clamp(3 - int(std::floor(std::log10(largest))), 0, finest);
}
QString errorText(double v, int decimals) {
    return QString::number(v, 'f', decimals);
}

QString verdictColour(FitVerdict verdict) {
    switch (verdict) {
    case FitVerdict::Good:
    case FitVerdict::Acceptable:
        break;
    case FitVerdict::Doubtful:
        return QStringLiteral("color: #a06000");
    case FitVerdict::Rejectable:
        return QStringLiteral("color: #b00000");
    }
    return QStringLiteral("color: #006000");
}

void setCell(QTableWidget *table, int row, int column, const QString &text, bool editable) {
    QTableWidgetItem *item = table->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        if (!editable)
            item->setFlags(item->flags() & ~Qt::ItemIsEditable);
        if (column != 0 && column != kUsedColumn)
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        table->setItem(row, column, item);
    }
    if (item->text() != text)
        item->setText(text);
}

} // namespace

RegistrationDialog::RegistrationDialog(WindowDialogs &dialogs,
                                       const std::optional<Registration> &current,
                                       std::optional<Registration> previous, double tabletUnitMm,
                                       const QString &sheetName, QWidget *parent)
    : QDialog(parent), dialogs_(dialogs), previous_(std::move(previous)) {
    setWindowTitle(tr("基準点の登録"));
    table_.setTabletUnitMm(tabletUnitMm);
    buildControls();
    sheetName_->setText(sheetName);
    if (current)
        table_.load(*current);
    connect(&table_, &RegistrationTable::changed, this, &RegistrationDialog::showTable);
    showTable();
}

void RegistrationDialog::buildControls() {
    auto *layout = new QVBoxLayout(this);
    auto *hint =
        new QLabel(tr("タブレットで基準点を入力すると、選択中の点（なければ新しい点）に入ります。"
                      "地図座標を入力してください。"),
                   this);
    hint->setWordWrap(true);
    layout->addWidget(hint);

    points_ = new QTableWidget(0, kColumns, this);
    points_->setHorizontalHeaderLabels({tr("名前"), tr("タブレットX"), tr("タブレットY"), QString(),
                                        QString(), tr("使用"), tr("残差"), tr("用紙上 mm"),
                                        tr("除外残差")});
    points_->horizontalHeaderItem(kLeftOutColumn)
        ->setToolTip(tr("その点を除いた他の点による変換からの距離（地図単位）。"
                        "打ち間違えた点はここで目立ちます。"));
    points_->verticalHeader()->hide();
    points_->setSelectionBehavior(QAbstractItemView::SelectRows);
    points_->setSelectionMode(QAbstractItemView::SingleSelection);
    points_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    // The misfits' headings are longer than their figures, in English more than in Japanese:
    // those columns take the room their heading needs, the others share the rest.
    for (int c = kUsedColumn; c < kColumns; ++c)
        points_->horizontalHeader()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    points_->setMinimumHeight(points_->horizontalHeader()->sizeHint().height() +
                              kRowsShown * points_->verticalHeader()->defaultSectionSize() +
                              2 * points_->frameWidth());
    // The table takes what the dialog grows by.
    layout->addWidget(points_, 1);
    connect(points_, &QTableWidget::itemChanged, this,
            [this](QTableWidgetItem *item) { cellEdited(item->row(), item->column()); });
    connect(points_, &QTableWidget::currentCellChanged, this,
            [this](int row) { table_.setCurrent(row); });

    auto *rowButtons = new QHBoxLayout;
    auto *add = new QPushButton(tr("点を追加"), this);
    auto *remove = new QPushButton(tr("点を削除"), this);
    auto *load = new QPushButton(tr("CSV読込…"), this);
    auto *save = new QPushButton(tr("CSV保存…"), this);
    previousButton_ = new QPushButton(tr("前回の基準点を読み込む"), this);
    previousButton_->setEnabled(previous_.has_value());
    for (QPushButton *b : {add, remove, load, save, previousButton_})
        rowButtons->addWidget(b);
    rowButtons->addStretch();
    layout->addLayout(rowButtons);
    connect(add, &QPushButton::clicked, &table_, &RegistrationTable::addRow);
    connect(remove, &QPushButton::clicked, this,
            [this] { table_.removeRow(points_->currentRow()); });
    connect(load, &QPushButton::clicked, this, &RegistrationDialog::loadFile);
    connect(save, &QPushButton::clicked, this, &RegistrationDialog::saveFile);
    connect(previousButton_, &QPushButton::clicked, this, &RegistrationDialog::loadPrevious);

    auto *form = new QFormLayout;
    kind_ = new QComboBox(this);
    for (const TransformKind kind : kKinds)
        kind_->addItem(tr("%1（%2点以上）").arg(transformName(kind)).arg(minimumPoints(kind)));
    form->addRow(tr("変換:"), kind_);
    connect(kind_, &QComboBox::currentIndexChanged, this,
            [this](int index) { table_.setKind(kKinds[index]); });
    crs_ = new QLineEdit(this);
    crs_->setPlaceholderText(tr("EPSG:6677 または WKT（空欄なら座標系なし）"));
    form->addRow(tr("地図座標系:"), crs_);
    connect(crs_, &QLineEdit::editingFinished, this, [this] {
        if (crs_->text() != table_.crsText())
            table_.setCrs(crs_->text());
    });
    // A refused CRS is checked again at every change, so that its message goes once corrected.
    connect(crs_, &QLineEdit::textEdited, this, [this](const QString &text) {
        if (!table_.crs().ok())
            table_.setCrs(text);
    });
    // The sheet's name heads the form; made after the CRS's field, which stays the first one.
    sheetName_ = new QLineEdit(this);
    sheetName_->setObjectName(QStringLiteral("sheetName"));
    sheetName_->setPlaceholderText(tr("図郭番号など、図葉を特定する名前"));
    form->insertRow(0, tr("シート名:"), sheetName_);
    crsMessage_ = new QLabel(this);
    crsMessage_->setObjectName(QStringLiteral("crsMessage"));
    crsMessage_->setWordWrap(true);
    form->addRow(QString(), crsMessage_);
    rms_ = new QLabel(this);
    form->addRow(tr("RMS誤差:"), rms_);
    fitMessage_ = new QLabel(this);
    fitMessage_->setWordWrap(true);
    form->addRow(QString(), fitMessage_);
    layout->addLayout(form);

    problem_ = new QLabel(this);
    problem_->setObjectName(QStringLiteral("problem"));
    problem_->setWordWrap(true);
    problem_->setStyleSheet(QStringLiteral("color: #b00000"));
    layout->addWidget(problem_);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    auto *ok = new QPushButton(tr("登録"), this);
    auto *cancel = new QPushButton(tr("取消"), this);
    ok->setDefault(true);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &RegistrationDialog::registerSheet);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    // Large enough for the points of a sheet, and for more when the window is large.
    const QSize room = parentWidget() ? parentWidget()->size() * 0.8 : QSize();
    resize(std::max(860, room.width()), std::max(sizeHint().height(), room.height()));
}

void RegistrationDialog::showTable() {
    const QSignalBlocker quiet(points_);
    const std::vector<RegistrationRow> &rows = table_.rows();
    const Fit &fit = table_.fit();
    const int decimals = errorDecimals(fit.residuals, kShownResolutionUnits *
                                                          table_.quality().mapUnitsPerTabletUnit);
    const int mmDecimals =
        errorDecimals(table_.quality().sheetMm, kShownResolutionUnits * table_.tabletUnitMm());
    for (int shown = 0; shown < 2; ++shown)
        points_->horizontalHeaderItem(kFirstMapColumn + shown)
            ->setText(table_.crs().axisTitles[std::size_t(shown)]);
    points_->setRowCount(int(rows.size()));
    for (int r = 0; r < int(rows.size()); ++r) {
        const RegistrationRow &row = rows[std::size_t(r)];
        setCell(points_, r, 0, row.name, true);
        for (int c = 0; c < 2; ++c)
            setCell(points_, r, c + 1, coordinateText(row.values[std::size_t(c)]), true);
        for (int shown = 0; shown < 2; ++shown) {
            const auto value = std::size_t(table_.mapColumnShown(shown)) - 1;
            setCell(points_, r, kFirstMapColumn + shown, coordinateText(row.values[value]), true);
        }
        setCell(points_, r, kUsedColumn, QString(), true);
        QTableWidgetItem *used = points_->item(r, kUsedColumn);
        used->setFlags((used->flags() | Qt::ItemIsUserCheckable) & ~Qt::ItemIsEditable);
        used->setCheckState(row.used ? Qt::Checked : Qt::Unchecked);
        const std::optional<RowMisfit> &misfit = table_.misfit(r);
        setCell(points_, r, kResidualColumn, misfit ? errorText(misfit->map, decimals) : QString(),
                false);
        setCell(points_, r, kSheetMmColumn,
                misfit ? errorText(misfit->sheetMm, mmDecimals) : QString(), false);
        setCell(points_, r, kLeftOutColumn,
                misfit && misfit->leaveOneOut ? errorText(*misfit->leaveOneOut, decimals)
                                              : QString(),
                false);
    }
    // No row is marked when the next record starts a new point.
    if (points_->currentRow() != table_.current())
        points_->setCurrentCell(table_.current(), table_.current() < 0 ? -1 : 0);

    const QSignalBlocker quietKind(kind_);
    kind_->setCurrentIndex(
        int(std::find(std::begin(kKinds), std::end(kKinds), table_.kind()) - std::begin(kKinds)));
    if (crs_->text() != table_.crsText())
        crs_->setText(table_.crsText());
    const MapCrs &crs = table_.crs();
    QStringList crsLines = {crs.ok() ? crs.name : crs.error};
    if (!table_.crsWarning().isEmpty())
        crsLines << table_.crsWarning();
    crsMessage_->setText(crsLines.join(u'\n').trimmed());
    crsMessage_->setStyleSheet(
        crs.ok() && table_.crsWarning().isEmpty() ? QString() : QStringLiteral("color: #b00000"));
    showFit();
    problem_->clear();
}

void RegistrationDialog::showFit() {
    const Fit &fit = table_.fit();
    fitMessage_->setText(fit.error);
    if (!fit.ok()) {
        rms_->clear();
        return;
    }
    const FitQuality &q = table_.quality();
    fitMessage_->setText(q.mirrored ? mirrorWarning() : QString());
    fitMessage_->setStyleSheet(q.mirrored ? QStringLiteral("color: #b00000") : QString());
    rms_->setText(
        tr("地図単位 %1 ／ タブレット単位 %2 ／ 用紙上 %3 mm: %4")
            .arg(errorText(fit.rmsMap, errorDecimals(fit.residuals, kShownResolutionUnits *
                                                                        q.mapUnitsPerTabletUnit)),
                 errorText(fit.rmsTablet, errorDecimals({fit.rmsTablet}, kShownResolutionUnits)),
                 errorText(q.rmsSheetMm, errorDecimals({q.rmsSheetMm}, kShownResolutionUnits *
                                                                           table_.tabletUnitMm())),
                 verdictText(q.verdict)));
    rms_->setStyleSheet(verdictColour(q.verdict));
}

void RegistrationDialog::cellEdited(int row, int column) {
    QTableWidgetItem *item = points_->item(row, column);
    if (column == kUsedColumn) {
        table_.setUsed(row, item->checkState() == Qt::Checked);
        return;
    }
    if (column >= kUsedColumn)
        return;
    const RegistrationColumn edited = column >= kFirstMapColumn
                                          ? table_.mapColumnShown(column - kFirstMapColumn)
                                          : static_cast<RegistrationColumn>(column);
    const QString error = table_.setCell(row, edited, item->text());
    if (!error.isEmpty()) {
        showTable();
        say(error);
    }
}

void RegistrationDialog::say(const QString &problem) {
    problem_->setText(problem);
}

void RegistrationDialog::registerSheet() {
    // A CRS typed but not yet left counts.
    if (crs_->text() != table_.crsText())
        table_.setCrs(crs_->text());
    if (!sheetName().isEmpty())
        if (const QString refused = checkSheetName(sheetName()); !refused.isEmpty()) {
            say(refused);
            return;
        }
    const QString problem = table_.problem();
    if (!problem.isEmpty()) {
        // A refused CRS is said under its field already.
        say(table_.crs().ok() ? problem : QString());
        return;
    }
    const FitQuality &q = table_.quality();
    if (q.mirrored &&
        !dialogs_.confirm(mirrorWarning() + u'\n' + tr("このまま登録しますか？"), tr("鏡像の変換")))
        return;
    if (!table_.rows().empty() && q.verdict == FitVerdict::Rejectable &&
        !dialogs_.confirm(
            tr("基準点の誤差が用紙上で %1 mmあり、1 mmを超えています。"
               "除外残差の大きい点を確かめることをお勧めします。このまま登録しますか？")
                .arg(q.rmsSheetMm, 0, 'f', 2),
            tr("基準点の誤差")))
        return;
    emit registered(table_.registration());
    accept();
}

QString RegistrationDialog::mirrorWarning() const {
    return tr("この変換は用紙を裏返します（鏡像: 行列式が負）。"
              "地図座標の北と東の列が入れ替わっていないか確かめてください。");
}

QString RegistrationDialog::sheetName() const {
    return sheetName_->text().trimmed();
}

void RegistrationDialog::setSheetName(const QString &name) {
    sheetName_->setText(name);
}

void RegistrationDialog::loadPrevious() {
    if (previous_)
        table_.load(*previous_);
}

void RegistrationDialog::loadFile() {
    const QString path = dialogs_.chooseOpenFile(tr("基準点ファイル(*.csv)"));
    if (path.isEmpty())
        return;
    if (const QString error = table_.loadFile(path); !error.isEmpty())
        say(error);
}

void RegistrationDialog::saveFile() {
    const QString path = dialogs_.chooseSaveFile(tr("基準点ファイル(*.csv)"));
    if (path.isEmpty())
        return;
    if (const QString error = table_.saveFile(path); !error.isEmpty())
        say(error);
}

} // namespace digitrace
