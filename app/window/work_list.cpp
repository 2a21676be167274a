#include "app/window/work_list.h"

#include "classes/class_catalogue.h"

#include <QListWidget>

namespace digitrace {

QList<UnfinishedFeature> unfinishedFeatures(const TraceClasses &classes) {
    QList<UnfinishedFeature> unfinished;
    if (!classes.inUse())
        return unfinished;
    for (auto f = classes.features->cbegin(); f != classes.features->cend(); ++f) {
        const FeatureClass *featureClass = classes.catalogue->find(f->className);
        if (!featureClass)
            continue;
        QStringList empty;
        for (const ClassField &field : featureClass->fields)
            if (field.required && f->values.value(field.name).toString().isEmpty())
                empty << field.name;
        if (!empty.isEmpty())
            unfinished.append({f.key(), f->className, empty});
    }
    return unfinished;
}

WorkList::WorkList(QWidget *parent)
    : QDockWidget(tr("作業リスト"), parent), list_(new QListWidget) {
    setObjectName(QStringLiteral("workList"));
    list_->setFocusPolicy(Qt::NoFocus);
    setWidget(list_);
    connect(list_, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) {
        emit featureClicked(item->data(Qt::UserRole).toInt());
    });
}

void WorkList::showFeatures(const QList<UnfinishedFeature> &features) {
    list_->clear();
    for (const UnfinishedFeature &f : features) {
        auto *item = new QListWidgetItem(tr("記録 %1  %2: %3 が空です")
                                             .arg(f.slot + 1)
                                             .arg(f.className, f.emptyFields.join(tr("、"))));
        item->setData(Qt::UserRole, f.slot);
        list_->addItem(item);
    }
}

} // namespace digitrace
