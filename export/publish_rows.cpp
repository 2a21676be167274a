#include "export/publish_rows.h"

#include "export/gis_fields.h"
#include "export/publish_sql.h"

#include <QCoreApplication>
#include <QDate>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtEndian>

#include <ogrsf_frmts.h>

#include <cmath>
#include <cstring>
#include <memory>

namespace digitrace {

QUuid featureId(const QString &jobId, const QString &sheet, const Feature &f) {
    // Any fixed namespace will do; this one is digitrace's own.
    static const QUuid ns(QStringLiteral("{6f1c2b7e-4d1a-5e0b-9a57-2d7c0e3b8f41}"));
    return QUuid::createUuidV5(ns, QStringLiteral("%1\n%2\n%3\n%4")
                                       .arg(jobId, sheet, QLatin1String(namesOf(f.kind).name))
                                       .arg(f.firstSlot));
}

namespace {

// The values as JSON of their own types: numbers as numbers, dates as yyyy-MM-dd, anything else
// as its text (a value entered before its field's type changed stays what it was).
QString attributesJson(const QVariantMap &values) {
    QJsonObject json;
    for (auto v = values.cbegin(); v != values.cend(); ++v) {
        if (v->isNull())
            continue;
        switch (v->typeId()) {
        case QMetaType::Int:
        case QMetaType::LongLong:
            json.insert(v.key(), v->toLongLong());
            break;
        case QMetaType::Double:
            json.insert(v.key(), std::isfinite(v->toDouble()) ? QJsonValue(v->toDouble())
                                                              : QJsonValue(v->toString()));
            break;
        case QMetaType::QDate:
            json.insert(v.key(), v->toDate().toString(Qt::ISODate));
            break;
        default:
            json.insert(v.key(), v->toString());
        }
    }
    return QString::fromUtf8(QJsonDocument(json).toJson(QJsonDocument::Compact));
}

// The geometry as PostGIS reads it in COPY: extended WKB, which carries the SRID the columns are
// declared with, in hex.
SqlValue ewkbHex(const Feature &f, int srid) {
    const std::unique_ptr<OGRGeometry> geometry = geometryOf(f);
    if (!geometry)
        return SqlValue::none();
    QByteArray wkb(qsizetype(geometry->WkbSize()), '\0');
    geometry->exportToWkb(wkbNDR, reinterpret_cast<unsigned char *>(wkb.data()), wkbVariantOldOgc);
    quint32 type = 0;
    std::memcpy(&type, wkb.constData() + 1, 4);
    type = qToLittleEndian(qFromLittleEndian(type) | 0x20000000u);
    const quint32 sridBytes = qToLittleEndian(quint32(srid));
    QByteArray ewkb = wkb.left(1);
    ewkb.append(reinterpret_cast<const char *>(&type), 4)
        .append(reinterpret_cast<const char *>(&sridBytes), 4)
        .append(wkb.mid(5));
    return {ewkb.toHex()};
}

} // namespace

QString encodeFeatures(const SheetPublication &p, const FeatureSet &features, int srid,
                       std::vector<EncodedFeature> *rows) {
    struct ReleaseDefn {
        void operator()(OGRFeatureDefn *d) const { d->Release(); }
    };
    std::unique_ptr<OGRFeatureDefn, ReleaseDefn> defn(new OGRFeatureDefn("feature"));
    defn->Reference();
    for (const GisField &field : gisFields()) {
        OGRFieldDefn fieldDefn(field.name, field.type);
        defn->AddFieldDefn(&fieldDefn);
    }
    OGRFeature scratch(defn.get());
    const TraceClasses classes = p.classes();
    rows->reserve(features.features.size());
    for (const Feature &f : features.features) {
        for (int i = 0; i < scratch.GetFieldCount(); ++i)
            scratch.UnsetField(i);
        setGisFields(scratch, f);
        std::vector<SqlValue> values;
        for (int i = 0; i < scratch.GetFieldCount(); ++i) {
            if (!scratch.IsFieldSetAndNotNull(i))
                values.push_back(SqlValue::none());
            else if (gisFields()[std::size_t(i)].type == OFTInteger)
                values.push_back(SqlValue::number(qint64(scratch.GetFieldAsInteger64(i))));
            else if (gisFields()[std::size_t(i)].type == OFTReal)
                values.push_back(SqlValue::number(scratch.GetFieldAsDouble(i)));
            else
                values.push_back(SqlValue::text(QString::fromUtf8(scratch.GetFieldAsString(i))));
        }
        const ClassedFeature *classed = classes.featureAt(f.firstSlot);
        values.push_back(classed ? SqlValue::text(classed->className) : SqlValue::none());
        values.push_back(classed ? SqlValue::text(attributesJson(classed->values))
                                 : SqlValue::none());
        values.push_back(ewkbHex(f, srid));
        EncodedFeature row{f.kind, featureId(p.jobId, p.sheet, f), {}};
        for (const SqlValue &v : values)
            if (!appendCopyValue(row.values, v))
                return nulRefused();
        rows->push_back(std::move(row));
    }
    return {};
}

} // namespace digitrace
