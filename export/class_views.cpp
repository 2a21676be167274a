#include "export/class_views.h"

#include "export/gis_fields.h"
#include "export/publish_connection.h"
#include "export/publish_sql.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>

#include <map>

namespace digitrace {

namespace {

QByteArray md5Hex(const QByteArray &bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex();
}

// The longest start of `text` that fits in `bytes` of UTF-8, never cutting a character.
QString cutToBytes(const QString &text, int bytes) {
    QString out;
    int used = 0;
    for (const char32_t c : text.toUcs4()) {
        const QString one = QString::fromUcs4(&c, 1);
        const int size = int(one.toUtf8().size());
        if (used + size > bytes)
            break;
        out += one;
        used += size;
    }
    return out;
}

QString uniqueName(const QString &wanted, QSet<QString> &taken) {
    QString name = wanted;
    for (QChar &c : name)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = u'_';
    if (name == wanted && name.toUtf8().size() <= kIdentifierBytes && !taken.contains(name)) {
        taken.insert(name);
        return name;
    }
    const QString tag = QString::fromLatin1(md5Hex(wanted.toUtf8()).left(8));
    for (int n = 1;; ++n) {
        const QString suffix = u'~' + tag + (n > 1 ? QStringLiteral("~%1").arg(n) : QString());
        const QString candidate =
            cutToBytes(name, kIdentifierBytes - int(suffix.toUtf8().size())) + suffix;
        if (!taken.contains(candidate)) {
            taken.insert(candidate);
            return candidate;
        }
    }
}

// The designed columns every view starts with, which no field's column may take.
QStringList designedColumns() {
    QStringList columns{QStringLiteral("id"), QStringLiteral("fid"), QStringLiteral("sheet"),
                        QStringLiteral("operator"), QStringLiteral("published_at")};
    for (const GisField &field : gisFields())
        columns << QLatin1String(field.name);
    return columns << QStringLiteral("class") << QStringLiteral("geom");
}

// A value of the attributes read as its field's type, NULL where it does not read as one.
constexpr const char *kCastFunctionsSql[] = {
    R"(CREATE OR REPLACE FUNCTION digitrace_bigint(value text) RETURNS bigint LANGUAGE plpgsql
IMMUTABLE STRICT AS $$BEGIN RETURN value::bigint; EXCEPTION WHEN data_exception THEN RETURN NULL;
END$$)",
    R"(CREATE OR REPLACE FUNCTION digitrace_double(value text) RETURNS double precision LANGUAGE
plpgsql IMMUTABLE STRICT AS $$BEGIN RETURN value::double precision; EXCEPTION WHEN data_exception
THEN RETURN NULL; END$$)",
    R"(CREATE OR REPLACE FUNCTION digitrace_date(value text) RETURNS date LANGUAGE plpgsql STABLE
STRICT AS $$BEGIN IF value !~ '^\d{4}-\d{2}-\d{2}$' THEN RETURN NULL; END IF; RETURN value::date;
EXCEPTION WHEN data_exception THEN RETURN NULL; END$$)"};

constexpr const char *kCastFunctionsPresentSql =
    "SELECT count(DISTINCT proname) FROM pg_catalog.pg_proc WHERE pronamespace = (SELECT oid FROM "
    "pg_catalog.pg_namespace WHERE nspname = current_schema()) AND proname IN "
    "('digitrace_bigint', 'digitrace_double', 'digitrace_date')";

// Each named relation of the current schema with its comment. $1: the names as a JSON array.
constexpr const char *kViewCommentsSql =
    "SELECT c.relname, coalesce(obj_description(c.oid, 'pg_class'), '') FROM pg_catalog.pg_class "
    "c WHERE c.relnamespace = (SELECT oid FROM pg_catalog.pg_namespace WHERE nspname = "
    "current_schema()) AND c.relname IN (SELECT jsonb_array_elements_text($1::jsonb))";

QByteArray castOf(ClassField::Type type, const QByteArray &value) {
    switch (type) {
    case ClassField::Type::Integer:
        return "digitrace_bigint(" + value + ')';
    case ClassField::Type::Real:
        return "digitrace_double(" + value + ')';
    case ClassField::Type::Date:
        return "digitrace_date(" + value + ')';
    case ClassField::Type::Text:
    case ClassField::Type::Choice:
        break;
    }
    return value;
}

// The view's query; empty when libpq cannot quote a name.
QByteArray viewQuery(const PublishConnection &db, const FeatureClass &featureClass,
                     const ClassViewNames &names) {
    QByteArray columns;
    for (const QString &designed : designedColumns())
        if (designed != u"geom")
            columns += (columns.isEmpty() ? "" : ", ") + db.identifier(designed);
    for (qsizetype i = 0; i < featureClass.fields.size(); ++i) {
        const ClassField &field = featureClass.fields[i];
        const QByteArray key = db.literal(field.name), column = db.identifier(names.columns[i]);
        if (key.isEmpty() || column.isEmpty())
            return {};
        columns += ", " + castOf(field.type, "(attributes->>" + key + ')') + " AS " + column;
    }
    const QByteArray className = db.literal(featureClass.name);
    if (className.isEmpty())
        return {};
    return "SELECT " + columns + ", geom FROM " + namesOf(featureKindOf(featureClass.kind)).table +
           " WHERE class = " + className;
}

// The comment a view made by this program carries, which a GIS shows as the layer's description:
// its class and a digest of what it was made from, so that a publish with the same catalogue
// leaves it, and publishes of different sheets need not take turns over it.
QString commentOf(const QString &className, const QByteArray &query) {
    return QStringLiteral("digitrace: the features of class %1 (%2)")
        .arg(className, QString::fromLatin1(md5Hex(query)));
}

// Replaces the view in place where the server can; one whose columns changed type or went is
// made anew. A view of someone else's on top of it stops that, with the server's reason.
QString makeView(PublishConnection &db, const QByteArray &view, const QByteArray &query,
                 const QString &comment) {
    SqlResult r = db.run("SAVEPOINT digitrace_view");
    if (r.ok() &&
        !db.run(QByteArray("CREATE OR REPLACE VIEW " + view + " AS " + query).constData()).ok()) {
        r = db.run("ROLLBACK TO SAVEPOINT digitrace_view");
        if (r.ok())
            r = db.run(QByteArray("DROP VIEW IF EXISTS " + view).constData());
        if (r.ok())
            r = db.run(QByteArray("CREATE VIEW " + view + " AS " + query).constData());
    }
    if (r.ok())
        r = db.run("RELEASE SAVEPOINT digitrace_view");
    if (r.ok())
        r = db.run(
            QByteArray("COMMENT ON VIEW " + view + " IS " + db.literal(comment)).constData());
    return r.error;
}

} // namespace

std::vector<ClassViewNames> classViewNames(const ClassCatalogue &catalogue, QStringList *notes) {
    QSet<QString> views{QLatin1String(kSheetsTable), QStringLiteral("digitrace_classes")};
    for (const FeatureKindNames &kind : kFeatureKinds)
        views.insert(QLatin1String(kind.table));
    std::vector<ClassViewNames> out;
    for (const FeatureClass &c : catalogue.classes()) {
        ClassViewNames names;
        const QString wanted = QStringLiteral("digitrace_") + c.name;
        names.view = uniqueName(wanted, views);
        if (names.view != wanted)
            *notes << QCoreApplication::translate(
                          "digitrace::SheetPublisher",
                          "クラス %1 のビューは %2 です (データベースの名前は %3 バイトまでで、"
                          "ほかの名前と重ならないようにしました)")
                          .arg(c.name, names.view)
                          .arg(kIdentifierBytes);
        const QStringList designed = designedColumns();
        QSet<QString> columns(designed.begin(), designed.end());
        for (const ClassField &field : c.fields) {
            names.columns << uniqueName(field.name, columns);
            if (names.columns.last() != field.name)
                *notes << QCoreApplication::translate(
                              "digitrace::SheetPublisher",
                              "クラス %1 の欄 %2 は、ビュー %3 では列 %4 です")
                              .arg(c.name, field.name, names.view, names.columns.last());
        }
        out.push_back(std::move(names));
    }
    return out;
}

QString ensureClassViews(PublishConnection &db, const ClassCatalogue &catalogue,
                         QStringList *notes) {
    const std::vector<ClassViewNames> names = classViewNames(catalogue, notes);
    QJsonArray viewNames;
    for (const ClassViewNames &n : names)
        viewNames.append(n.view);
    SqlResult r =
        db.run(kViewCommentsSql, {SqlValue::text(QString::fromUtf8(
                                     QJsonDocument(viewNames).toJson(QJsonDocument::Compact)))});
    if (!r.ok())
        return r.error;
    std::map<QString, QString> comments;
    for (const QStringList &row : r.rows)
        comments[row.value(0)] = row.value(1);
    struct Wanted {
        const FeatureClass *featureClass;
        QByteArray view, query;
        QString comment;
    };
    std::vector<Wanted> wanted;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const FeatureClass &c = catalogue.classes()[qsizetype(i)];
        Wanted w{&c, db.identifier(names[i].view), viewQuery(db, c, names[i]), {}};
        w.comment = commentOf(c.name, w.query);
        if (w.view.isEmpty() || w.query.isEmpty())
            return QCoreApplication::translate("digitrace::SheetPublisher",
                                               "クラス %1 の名前をデータベースの名前にできません")
                .arg(c.name);
        if (comments[names[i].view] != w.comment)
            wanted.push_back(std::move(w));
    }
    r = db.run(kCastFunctionsPresentSql);
    if (!r.ok())
        return r.error;
    const bool castsThere = r.rows.at(0).value(0) == QString::number(std::size(kCastFunctionsSql));
    if (wanted.empty() && castsThere)
        return {};
    // Two publishes replacing one view at the same moment would refuse each other.
    r = db.run("SELECT pg_advisory_xact_lock($1::bigint)", {SqlValue::number(kSetupLockKey)});
    for (const char *sql : kCastFunctionsSql)
        if (r.ok() && !castsThere)
            r = db.run(sql);
    if (!r.ok())
        return r.error;
    for (const Wanted &w : wanted)
        if (const QString error = makeView(db, w.view, w.query, w.comment); !error.isEmpty())
            return QCoreApplication::translate("digitrace::SheetPublisher",
                                               "クラス %1 のビューを作れません: %2")
                .arg(w.featureClass->name, error);
    return {};
}

} // namespace digitrace
