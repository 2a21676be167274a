#pragma once

#include "classes/classed_feature.h"

#include <QDockWidget>
#include <QList>
#include <QStringList>

class QListWidget;

namespace digitrace {

// A feature whose required fields are empty.
struct UnfinishedFeature {
    int slot = 0; // of its first record
    QString className;
    QStringList emptyFields;
    bool operator==(const UnfinishedFeature &) const = default;
};

// The classed features whose required fields hold no value, in slot order.
QList<UnfinishedFeature> unfinishedFeatures(const TraceClasses &classes);

// 作業リスト: the features still to be completed; a click selects one.
class WorkList : public QDockWidget {
    Q_OBJECT
public:
    explicit WorkList(QWidget *parent = nullptr);
    void showFeatures(const QList<UnfinishedFeature> &features);
    QListWidget &list() { return *list_; }

signals:
    void featureClicked(int slot);

private:
    QListWidget *list_;
};

} // namespace digitrace
