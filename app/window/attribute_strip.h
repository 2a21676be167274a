#pragma once

#include "classes/class_catalogue.h"

#include <QDockWidget>
#include <QList>
#include <QVariantMap>

#include <optional>

class QComboBox;
class QLabel;
class QPushButton;
class QHBoxLayout;

namespace digitrace {

// The attribute strip below the drawing area: the fields of one feature's class as editors,
// filled with its values. Typing changes only the editors; Enter (or 確定) hands the values over.
// It never takes the keyboard unless an editor is clicked.
class AttributeStrip : public QDockWidget {
    Q_OBJECT
public:
    explicit AttributeStrip(QWidget *parent = nullptr);

    // The feature begun at `slot`, of `featureClass`, with `values`; its editors replace those
    // shown. Nothing shown for a null class.
    void showFeature(int slot, const FeatureClass *featureClass, const QVariantMap &values);
    // The classes a feature shown may be changed to, in the catalogue's order.
    void setClassNames(const QStringList &names);
    // The slot of the feature shown; nothing when none is.
    std::optional<int> slot() const { return slot_; }
    // Whether an editor was changed since the feature was shown or its values confirmed.
    bool edited() const { return edited_; }
    // The values as the editors read; nothing when one does not read as its field, `bad` then
    // naming it.
    std::optional<QVariantMap> values(QString *bad = nullptr) const;
    // The values were taken: the editors are the feature's values again.
    void markConfirmed() { edited_ = false; }
    // Why the values were not taken, shown in the strip until the next change.
    void showRefusal(const QString &text);
    QWidget *editor(const QString &fieldName) const;

signals:
    // Enter or 確定.
    void confirmRequested();
    // Another class chosen for the feature shown.
    void classChangeRequested(const QString &className);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    QWidget *makeEditor(const ClassField &field, const QVariant &value);
    void noteEdit();

    QWidget *fieldsBox_;
    QHBoxLayout *fieldsLayout_;
    QLabel *swatch_;
    QLabel *title_;
    QComboBox *classBox_;
    QLabel *refusal_;
    QPushButton *confirm_;
    const FeatureClass *class_ = nullptr;
    QList<QWidget *> editors_; // in the class's field order
    std::optional<int> slot_;
    bool edited_ = false;
};

} // namespace digitrace
