#include "app/window/topology_list.h"

#include "app/window/topology_markers.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace digitrace {
namespace {

constexpr FindingKind kKinds[] = {FindingKind::Invalid, FindingKind::Dangle, FindingKind::Duplicate,
                                  FindingKind::Overlap, FindingKind::Gap};

// Enter on a line chooses it, as a double-click does.
class FindingTree : public QTreeWidget {
public:
    using QTreeWidget::QTreeWidget;
    std::function<void(QTreeWidgetItem *)> chosen;

protected:
    void keyPressEvent(QKeyEvent *event) override {
        if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentItem()) {
            chosen(currentItem());
            return;
        }
        QTreeWidget::keyPressEvent(event);
    }
};

} // namespace

QString TopologyList::kindText(FindingKind kind) {
    switch (kind) {
    case FindingKind::Invalid:
        return tr("不正な多角形");
    case FindingKind::Dangle:
        return tr("ぶら下がり");
    case FindingKind::Duplicate:
        return tr("重複");
    case FindingKind::Overlap:
        return tr("重なり");
    case FindingKind::Gap:
        return tr("すき間");
    }
    return {};
}

TopologyList::TopologyList(QWidget *parent)
    : QDockWidget(tr("トポロジー検査"), parent), counts_(new QLabel) {
    setObjectName(QStringLiteral("topologyList"));
    auto *tree = new FindingTree;
    tree_ = tree;
    tree_->setColumnCount(3);
    tree_->setHeaderLabels({tr("種類"), tr("位置"), tr("地物")});
    tree_->setRootIsDecorated(false);
    tree_->setUniformRowHeights(true);
    tree_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    const auto choose = [this](QTreeWidgetItem *item) {
        emit findingChosen(std::size_t(tree_->indexOfTopLevelItem(item)));
    };
    tree->chosen = choose;
    connect(tree_, &QTreeWidget::itemDoubleClicked, this, choose);
    connect(tree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *item) {
        const int row = item ? tree_->indexOfTopLevelItem(item) : -1;
        emit currentChanged(row >= 0 ? std::optional<std::size_t>(row) : std::nullopt);
    });
    counts_->setObjectName(QStringLiteral("topologyCounts"));
    counts_->setTextFormat(Qt::PlainText);
    counts_->setWordWrap(true);
    auto *body = new QWidget;
    auto *layout = new QVBoxLayout(body);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(counts_);
    layout->addWidget(tree_);
    setWidget(body);
    showOff();
}

void TopologyList::showOff() {
    tree_->clear();
    counts_->setText(tr("検査していません（ツール → トポロジー検査）"));
}

void TopologyList::showReport(const TopologyReport &report) {
    tree_->clear();
    QStringList counts;
    for (const FindingKind kind : kKinds)
        if (const int n = report.count(kind); n > 0)
            counts << tr("%1 %2").arg(kindText(kind)).arg(n);
    counts_->setText(report.clean()
                         ? tr("問題はありません")
                         : tr("%1 件: %2").arg(report.findings.size()).arg(counts.join(tr("、"))));
    QList<QTreeWidgetItem *> items;
    for (const TopologyFinding &finding : report.findings) {
        QStringList records;
        for (const int slot : finding.features)
            records << QString::number(slot + 1);
        auto *item = new QTreeWidgetItem(
            {kindText(finding.kind),
             QStringLiteral("%1, %2").arg(finding.at.x(), 0, 'f', 0).arg(finding.at.y(), 0, 'f', 0),
             tr("記録 %1").arg(records.join(QStringLiteral(", ")))});
        item->setForeground(0, findingColour(finding.kind).darker(150));
        for (int column = 0; column < 3; ++column)
            item->setToolTip(column, finding.what);
        items << item;
    }
    tree_->addTopLevelItems(items);
}

QString TopologyList::countsText() const {
    return counts_->text();
}

} // namespace digitrace
