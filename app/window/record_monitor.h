#pragma once

#include "acquisition/record_rate.h"
#include "model/record_check.h"

#include <QAbstractTableModel>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QTimer>

#include <deque>

class QLabel;
class QTableView;

namespace digitrace {

// The newest records as received, one row each: slot, text, what it did, what looks wrong or why
// the tablet format refused it.
class RecordLog : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kKeptRows = 500;
    enum Column { SlotColumn, TextColumn, EffectColumn, FlawColumn, ColumnCount };

    struct Row {
        int slot = 0;
        QString text;
        RecordEffect effect = RecordEffect::Refused;
        RecordFlaws flaws;
        QString refusal; // why the tablet format refused the bytes; they never reached the table
    };

    using QAbstractTableModel::QAbstractTableModel;

    void add(Row row);
    void clear();
    const Row &row(int index) const { return rows_[std::size_t(index)]; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::deque<Row> rows_;
};

// A dockable panel: the record log, records per second, the time since the last record, the
// records the tablet format refused and the last time the line stopped fitting it.
class RecordMonitor : public QDockWidget {
    Q_OBJECT
public:
    // `rate` and `clock` are the window's, fed as records arrive.
    RecordMonitor(const RecordRate &rate, const QElapsedTimer &clock, QWidget *parent = nullptr);

    void addRecord(RecordLog::Row row);
    // Bytes the tablet format refused: logged and counted.
    void addRefused(RecordLog::Row row);
    qint64 refusedCount() const { return refused_; }
    // The line no longer fits the tablet format.
    void showLineProblem(const QString &message);
    QString lineProblem() const;
    void clearRecords() { log_.clear(); }
    const RecordLog &log() const { return log_; }

private:
    void showRate();

    RecordLog log_;
    const RecordRate &rate_;
    const QElapsedTimer &clock_;
    QLabel *rateLine_;
    QLabel *problemLine_;
    qint64 refused_ = 0;
    QTableView *table_;
    QTimer tick_;
};

} // namespace digitrace
