#include "app/window/record_monitor.h"

#include <QColor>
#include <QFontDatabase>
#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace digitrace {
namespace {

// Blanks and control characters made visible: a record's columns are the point.
QString visible(const QString &text) {
    QString out;
    for (const QChar c : text) {
        if (c == u' ')
            out += QChar(0x00b7); // middle dot
        else if (c.unicode() < 0x20)
            out += QChar(0x2400 + c.unicode()); // control pictures
        else
            out += c;
    }
    return out;
}

// Room for the longest of the effects in the language shown, and for its heading.
int widestEffect(const QFontMetrics &metrics) {
    int widest = metrics.horizontalAdvance(RecordLog::tr("動作"));
    for (const RecordEffect e : {RecordEffect::Start, RecordEffect::Vertex, RecordEffect::Close,
                                 RecordEffect::Point, RecordEffect::End, RecordEffect::Refused})
        widest = std::max(widest, metrics.horizontalAdvance(effectText(e)));
    return widest + metrics.averageCharWidth() * 2;
}

} // namespace

void RecordLog::add(Row row) {
    if (rows_.size() >= kKeptRows) {
        beginRemoveRows({}, 0, 0);
        rows_.pop_front();
        endRemoveRows();
    }
    const int at = int(rows_.size());
    beginInsertRows({}, at, at);
    rows_.push_back(std::move(row));
    endInsertRows();
}

void RecordLog::clear() {
    beginResetModel();
    rows_.clear();
    endResetModel();
}

int RecordLog::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int RecordLog::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant RecordLog::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Row &r = row(index.row());
    if (role == Qt::BackgroundRole && (r.flaws.any() || !r.refusal.isEmpty()))
        return QColor(255, 214, 214);
    if (role == Qt::TextAlignmentRole && index.column() == SlotColumn)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    // The record's columns line up from row to row.
    if (role == Qt::FontRole && index.column() == TextColumn)
        return QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case SlotColumn:
        return r.slot;
    case TextColumn:
        return visible(r.text);
    case EffectColumn:
        return effectText(r.effect);
    case FlawColumn:
        return r.refusal.isEmpty() ? flawsText(r.flaws) : r.refusal;
    default:
        return {};
    }
}

QVariant RecordLog::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case SlotColumn:
        return tr("番号");
    case TextColumn:
        return tr("記録");
    case EffectColumn:
        return tr("動作");
    case FlawColumn:
        return tr("注意");
    default:
        return {};
    }
}

RecordMonitor::RecordMonitor(const RecordRate &rate, const QElapsedTimer &clock, QWidget *parent)
    : QDockWidget(tr("記録モニタ"), parent), rate_(rate), clock_(clock) {
    // saveState() finds the panel by this name.
    setObjectName(QStringLiteral("recordMonitor"));
    auto *inside = new QWidget;
    rateLine_ = new QLabel;
    rateLine_->setObjectName(QStringLiteral("rate"));
    problemLine_ = new QLabel;
    problemLine_->setWordWrap(true);
    problemLine_->hide();
    table_ = new QTableView;
    table_->setModel(&log_);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 4);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    const QFontMetrics fixed(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    table_->setColumnWidth(RecordLog::SlotColumn,
                           fontMetrics().horizontalAdvance(QStringLiteral("000000")));
    table_->setColumnWidth(RecordLog::TextColumn,
                           fixed.horizontalAdvance(QString(kRecordLength + 3, u'0')));
    table_->setColumnWidth(RecordLog::EffectColumn, widestEffect(fontMetrics()));
    table_->setMinimumWidth(table_->columnWidth(RecordLog::SlotColumn) +
                            table_->columnWidth(RecordLog::TextColumn) +
                            table_->columnWidth(RecordLog::EffectColumn) +
                            fontMetrics().horizontalAdvance(flawsText({true, true, true})));
    auto *layout = new QVBoxLayout(inside);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(rateLine_);
    layout->addWidget(problemLine_);
    layout->addWidget(table_);
    setWidget(inside);

    tick_.setInterval(500);
    connect(&tick_, &QTimer::timeout, this, &RecordMonitor::showRate);
    // Only a visible panel is worth keeping up to date.
    connect(this, &QDockWidget::visibilityChanged, this, [this](bool shown) {
        if (shown) {
            // The newest records are the ones worth seeing.
            table_->scrollToBottom();
            showRate();
            tick_.start();
        } else {
            tick_.stop();
        }
    });
    showRate();
}

void RecordMonitor::addRecord(RecordLog::Row row) {
    log_.add(std::move(row));
    if (isVisible()) {
        table_->scrollToBottom();
        showRate();
    }
}

void RecordMonitor::addRefused(RecordLog::Row row) {
    ++refused_;
    addRecord(std::move(row));
}

void RecordMonitor::showLineProblem(const QString &message) {
    problemLine_->setText(message);
    problemLine_->show();
}

QString RecordMonitor::lineProblem() const {
    return problemLine_->isHidden() ? QString() : problemLine_->text();
}

void RecordMonitor::showRate() {
    const qint64 now = clock_.elapsed();
    const std::optional<qint64> since = rate_.sinceLast(now);
    const QString perSecond = QString::number(rate_.perSecond(now), 'f', 1);
    QString text = since ? tr("毎秒 %1 件 ・ 最後の記録から %2 秒")
                               .arg(perSecond, QString::number(*since / 1000.0, 'f', 1))
                   : log_.rowCount() > 0
                       ? tr("毎秒 %1 件 ・ この接続での受信はまだありません").arg(perSecond)
                       : tr("毎秒 %1 件 ・ 記録はまだありません").arg(perSecond);
    if (refused_ > 0)
        text += tr(" ・ 形式に合わず拒否 %1 件").arg(refused_);
    rateLine_->setText(text);
}

} // namespace digitrace
