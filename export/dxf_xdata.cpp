#include "export/dxf_xdata.h"

#include <QDate>

#include <limits>

namespace digitrace {
namespace {

QByteArray group(int code, const QByteArray &value) {
    return QByteArray::number(code).rightJustified(3, ' ') + "\r\n" + value + "\r\n";
}

// A value as its group: nothing when it is none or does not read as its field's type.
QByteArray valueGroup(const ClassField &field, const QVariant &value, bool &cut) {
    bool ok = false;
    switch (field.type) {
    case ClassField::Type::Integer: {
        const qlonglong number = value.toLongLong(&ok);
        if (!ok)
            return {};
        if (number >= std::numeric_limits<std::int16_t>::min() &&
            number <= std::numeric_limits<std::int16_t>::max())
            return group(1070, QByteArray::number(number).rightJustified(6, ' '));
        return group(1040, QByteArray::number(number));
    }
    case ClassField::Type::Real: {
        const double number = value.toDouble(&ok);
        return ok ? group(1040, QByteArray::number(number, 'g', 17)) : QByteArray();
    }
    case ClassField::Type::Date: {
        const QDate date = value.toDate();
        return date.isValid() ? group(1000, date.toString(Qt::ISODate).toLatin1()) : QByteArray();
    }
    case ClassField::Type::Text:
    case ClassField::Type::Choice:
        break;
    }
    return group(1000, dxfText(value.toString(), kDxfXdataStringBytes, &cut));
}

} // namespace

QByteArray dxfText(const QString &text, qsizetype maxBytes, bool *cut) {
    QByteArray written;
    bool whole = true;
    for (const char32_t c : text.toUcs4()) {
        QByteArray one;
        if (c < 0x20 || c == 0x7f || c > 0xffff || (c >= 0xd800 && c < 0xe000))
            one = "?";
        else if (c < 0x80 && c != u'\\')
            one = QByteArray(1, char(c));
        else
            one = "\\U+" + QByteArray::number(uint(c), 16).toUpper().rightJustified(4, '0');
        if (written.size() + one.size() > maxBytes) {
            whole = false;
            break;
        }
        written += one;
    }
    if (cut)
        *cut = !whole;
    return written;
}

QByteArray dxfAttributes(const FeatureClass &featureClass, const QVariantMap &values, int &cut) {
    bool nameCut = false;
    QByteArray data = group(1001, kDxfAppId) +
                      group(1000, dxfText(featureClass.name, kDxfXdataStringBytes, &nameCut));
    cut += nameCut;
    for (const ClassField &field : featureClass.fields) {
        const QVariant value = values.value(field.name);
        if (value.isNull())
            continue;
        bool valueCut = false;
        const QByteArray valueData = valueGroup(field, value, valueCut);
        if (valueData.isEmpty())
            continue;
        const QByteArray one = group(1000, dxfText(field.name, kDxfXdataStringBytes)) + valueData;
        if (data.size() + one.size() > kDxfXdataBytes) {
            ++cut;
            continue;
        }
        cut += valueCut;
        data += one;
    }
    return data;
}

} // namespace digitrace
