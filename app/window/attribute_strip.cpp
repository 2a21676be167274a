#include "app/window/attribute_strip.h"

#include "app/window/class_panel.h"

#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollArea>
#include <QStyle>

namespace digitrace {
namespace {

// A date edit shows no date at its minimum: the field holds no value.
const QDate kNoDate(1752, 9, 14);

QString valueText(const QVariant &value) {
    if (value.typeId() == QMetaType::Double)
        return QString::number(value.toDouble(), 'g', 15);
    return value.toString();
}

// Every editor leaves the keyboard where it is until it is clicked.
template <typename Editor> Editor *clickFocused(Editor *editor) {
    editor->setFocusPolicy(Qt::ClickFocus);
    return editor;
}

} // namespace

AttributeStrip::AttributeStrip(QWidget *parent)
    : QDockWidget(tr("属性"), parent), fieldsBox_(new QWidget), swatch_(new QLabel),
      title_(new QLabel), classBox_(new QComboBox), refusal_(new QLabel),
      confirm_(new QPushButton(tr("確定"))) {
    setObjectName(QStringLiteral("attributeStrip"));
    auto *inside = new QWidget;
    auto *row = new QHBoxLayout(inside);
    row->setContentsMargins(4, 2, 4, 2);
    title_->setTextFormat(Qt::PlainText);
    title_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    row->addWidget(swatch_);
    classBox_->setObjectName(QStringLiteral("featureClass"));
    classBox_->setFocusPolicy(Qt::ClickFocus);
    classBox_->setToolTip(tr("この地物のクラスを変えます。図形はそのままです"));
    row->addWidget(classBox_);
    row->addWidget(title_);
    row->addSpacing(12);
    fieldsLayout_ = new QHBoxLayout(fieldsBox_);
    fieldsLayout_->setContentsMargins(0, 0, 0, 0);
    auto *scroll = new QScrollArea;
    scroll->setWidget(fieldsBox_);
    scroll->setWidgetResizable(false);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // One row of editors, and the scroll bar a class of many fields needs.
    scroll->setFixedHeight(QLineEdit().sizeHint().height() + 6 +
                           style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    row->addWidget(scroll, 1);
    refusal_->setTextFormat(Qt::PlainText);
    refusal_->setStyleSheet(QStringLiteral("color: #c00000"));
    refusal_->hide();
    row->addWidget(refusal_);
    confirm_->setFocusPolicy(Qt::NoFocus);
    confirm_->setToolTip(tr("入力した属性を地物に記録します（Enter）"));
    row->addWidget(confirm_);
    setWidget(inside);
    connect(confirm_, &QPushButton::clicked, this, &AttributeStrip::confirmRequested);
    connect(classBox_, &QComboBox::activated, this, [this](int index) {
        if (class_ && classBox_->itemText(index) != class_->name)
            emit classChangeRequested(classBox_->itemText(index));
    });
    showFeature(0, nullptr, {});
}

void AttributeStrip::setClassNames(const QStringList &names) {
    classBox_->clear();
    classBox_->addItems(names);
}

void AttributeStrip::showFeature(int slot, const FeatureClass *featureClass,
                                 const QVariantMap &values) {
    editors_.clear();
    while (QLayoutItem *item = fieldsLayout_->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    class_ = featureClass;
    slot_ = featureClass ? std::optional<int>(slot) : std::nullopt;
    edited_ = false;
    refusal_->hide();
    confirm_->setEnabled(featureClass && !featureClass->fields.isEmpty());
    classBox_->setVisible(featureClass);
    if (!featureClass) {
        title_->setText(tr("地物を選ぶと属性を入力できます"));
        swatch_->hide();
        return;
    }
    classBox_->setCurrentText(featureClass->name);
    // The class's colour, as the picture and the class panel show it.
    const int side = title_->fontMetrics().height() * 3 / 4;
    QPixmap colour(side, side);
    colour.fill(classColour(featureClass->colour));
    swatch_->setPixmap(colour);
    swatch_->show();
    title_->setText(tr("(記録 %1)").arg(slot + 1));
    for (const ClassField &field : featureClass->fields) {
        // A required field is marked, its name in bold.
        auto *label = new QLabel(field.required ? field.name + QStringLiteral(" *") : field.name);
        label->setTextFormat(Qt::PlainText);
        if (field.required) {
            QFont bold = label->font();
            bold.setBold(true);
            label->setFont(bold);
            label->setToolTip(tr("必須"));
        }
        QWidget *editor = makeEditor(field, values.value(field.name));
        editor->setObjectName(field.name);
        label->setBuddy(editor);
        fieldsLayout_->addWidget(label);
        fieldsLayout_->addWidget(editor);
        // Shown now, not at the next turn of the event loop, so that a picture shows them.
        label->show();
        editor->show();
        fieldsLayout_->addSpacing(8);
        editors_ << editor;
    }
    // At its own width from the left; a class of many fields scrolls.
    fieldsBox_->adjustSize();
    // Laid out now, so that a picture taken before the next turn of the event loop shows it.
    widget()->layout()->activate();
}

QWidget *AttributeStrip::makeEditor(const ClassField &field, const QVariant &value) {
    switch (field.type) {
    case ClassField::Type::Choice: {
        auto *box = clickFocused(new QComboBox);
        // The first entry is no value.
        box->addItem(QString());
        box->addItems(field.choices);
        box->setCurrentIndex(std::max(0, int(field.choices.indexOf(value.toString())) + 1));
        connect(box, &QComboBox::currentIndexChanged, this, &AttributeStrip::noteEdit);
        return box;
    }
    case ClassField::Type::Date: {
        auto *edit = clickFocused(new QDateEdit);
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        edit->setMinimumDate(kNoDate);
        edit->setSpecialValueText(QStringLiteral(" "));
        edit->setCalendarPopup(true);
        edit->setDate(value.toDate().isValid() ? value.toDate() : kNoDate);
        connect(edit, &QDateEdit::dateChanged, this, &AttributeStrip::noteEdit);
        return edit;
    }
    case ClassField::Type::Integer:
    case ClassField::Type::Real:
    case ClassField::Type::Text:
        break;
    }
    auto *edit = clickFocused(new QLineEdit(valueText(value)));
    if (field.type == ClassField::Type::Integer)
        edit->setValidator(new QRegularExpressionValidator(
            QRegularExpression(QStringLiteral("[+-]?[0-9]*")), edit));
    else if (field.type == ClassField::Type::Real)
        edit->setValidator(new QRegularExpressionValidator(
            QRegularExpression(QStringLiteral("[+-]?[0-9]*[.]?[0-9]*([eE][+-]?[0-9]*)?")), edit));
    const int digits = field.type == ClassField::Type::Text ? 14 : 8;
    // As wide as a usual value, so that every field of a class fits the strip.
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QString(digits, u'0')));
    connect(edit, &QLineEdit::textEdited, this, &AttributeStrip::noteEdit);
    return edit;
}

void AttributeStrip::noteEdit() {
    edited_ = true;
    refusal_->hide();
}

std::optional<QVariantMap> AttributeStrip::values(QString *bad) const {
    if (!class_)
        return std::nullopt;
    QVariantMap values;
    for (qsizetype i = 0; i < editors_.size(); ++i) {
        const ClassField &field = class_->fields.at(i);
        QString text;
        if (const auto *box = qobject_cast<const QComboBox *>(editors_.at(i)))
            text = box->currentText();
        else if (const auto *date = qobject_cast<const QDateEdit *>(editors_.at(i)))
            text = date->date() == kNoDate ? QString() : date->date().toString(Qt::ISODate);
        else
            text = static_cast<const QLineEdit *>(editors_.at(i))->text();
        const std::optional<QVariant> value = field.read(text);
        if (!value) {
            if (bad)
                *bad = field.name;
            return std::nullopt;
        }
        values.insert(field.name, *value);
    }
    return values;
}

void AttributeStrip::showRefusal(const QString &text) {
    refusal_->setText(text);
    refusal_->show();
}

QWidget *AttributeStrip::editor(const QString &fieldName) const {
    for (QWidget *e : editors_)
        if (e->objectName() == fieldName)
            return e;
    return nullptr;
}

void AttributeStrip::keyPressEvent(QKeyEvent *event) {
    // Editors pass Enter on to the strip.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        emit confirmRequested();
        event->accept();
        return;
    }
    QDockWidget::keyPressEvent(event);
}

} // namespace digitrace
