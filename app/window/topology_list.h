#pragma once

#include "topology/topology_check.h"

#include <QDockWidget>

#include <optional>

class QLabel;
class QTreeWidget;

namespace digitrace {

// トポロジー検査: the findings of the last check, a line each (kind, where, features), and their
// counts by kind. A double-click or Enter on a line asks to see that finding.
class TopologyList : public QDockWidget {
    Q_OBJECT
public:
    explicit TopologyList(QWidget *parent = nullptr);
    void showReport(const TopologyReport &report);
    // Before any check, and while the check is off.
    void showOff();
    QTreeWidget &tree() { return *tree_; }
    QString countsText() const;

    // The kind as the list names it.
    static QString kindText(FindingKind kind);

signals:
    void findingChosen(std::size_t index);
    void currentChanged(std::optional<std::size_t> index);

private:
    QLabel *counts_;
    QTreeWidget *tree_;
};

} // namespace digitrace
