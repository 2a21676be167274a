#include "classes/class_catalogue.h"

#include <QCoreApplication>
#include <QHash>
#include <QSet>

#include <cmath>

namespace digitrace {
namespace {

// A class's button is the code its press sends; 1 and 2 start a line and add a vertex.
constexpr int kSmallestButton = 3;
constexpr int kLargestButton = 9;

QString tr(const char *text) {
    return QCoreApplication::translate("digitrace::ClassCatalogue", text);
}

// Up to a comment: a '#' at the start or after a space, followed by a space or the end.
QStringView withoutComment(QStringView line) {
    for (qsizetype i = 0; i < line.size(); ++i) {
        const bool starts = i == 0 || line[i - 1].isSpace();
        const bool ends = i + 1 == line.size() || line[i + 1].isSpace();
        if (line[i] == u'#' && starts && ends)
            return line.first(i);
    }
    return line;
}

std::optional<ClassKind> kindNamed(QStringView name) {
    if (name == u"point")
        return ClassKind::Point;
    if (name == u"line")
        return ClassKind::Line;
    if (name == u"polygon")
        return ClassKind::Polygon;
    return std::nullopt;
}

std::optional<ClassField::Type> typeNamed(QStringView name) {
    using Type = ClassField::Type;
    static const QHash<QString, Type> types{{QStringLiteral("text"), Type::Text},
                                            {QStringLiteral("integer"), Type::Integer},
                                            {QStringLiteral("real"), Type::Real},
                                            {QStringLiteral("choice"), Type::Choice},
                                            {QStringLiteral("date"), Type::Date}};
    const auto found = types.constFind(name.toString());
    return found == types.cend() ? std::nullopt : std::optional<Type>(*found);
}

bool isColour(QStringView text) {
    if (text.size() != 7 || text[0] != u'#')
        return false;
    for (const QChar c : text.sliced(1))
        if (!c.isDigit() && !(c.toLower() >= u'a' && c.toLower() <= u'f'))
            return false;
    return true;
}

// One catalogue line's reading; `error` set when it does not read.
class Reader {
public:
    bool line(int number, QStringView text);
    bool finish();
    QList<FeatureClass> classes;
    ClassCatalogue::Error error;

private:
    // `reason` is marked for translation where it is written.
    bool fail(const char *reason, const QString &arg = {}, const QString &other = {}) {
        QString text = tr(reason);
        if (!arg.isNull())
            text = other.isNull() ? text.arg(arg) : text.arg(arg, other);
        error = {lineNumber_, text};
        return false;
    }
    bool finishClass();
    bool setting(QStringView key, QStringView value);
    bool field(QStringView value);

    int lineNumber_ = 0;
    int sectionLine_ = 0;
    QSet<QString> keysSeen_;
    bool kindSeen_ = false;
};

bool Reader::line(int number, QStringView text) {
    lineNumber_ = number;
    const QStringView line = withoutComment(text).trimmed();
    if (line.isEmpty())
        return true;
    if (line.front() == u'[') {
        if (line.back() != u']' || line.size() < 3)
            return fail(QT_TRANSLATE_NOOP("digitrace::ClassCatalogue",
                                          "クラス名は [名前] の形で書いてください"));
        if (!finishClass())
            return false;
        const QString name = line.sliced(1, line.size() - 2).trimmed().toString();
        for (const FeatureClass &c : std::as_const(classes))
            if (c.name == name)
                return fail(
                    QT_TRANSLATE_NOOP("digitrace::ClassCatalogue", "クラス %1 が二度あります"),
                    name);
        classes.append({name, ClassKind::Point, {}, name, std::nullopt, {}});
        sectionLine_ = number;
        keysSeen_.clear();
        kindSeen_ = false;
        return true;
    }
    const qsizetype equals = line.indexOf(u'=');
    if (equals < 0)
        return fail(
            QT_TRANSLATE_NOOP("digitrace::ClassCatalogue", "「キー = 値」の形になっていません"));
    if (classes.isEmpty())
        return fail(QT_TRANSLATE_NOOP("digitrace::ClassCatalogue",
                                      "最初のクラス名 [名前] より前に設定があります"));
    return setting(line.first(equals).trimmed(), line.sliced(equals + 1).trimmed());
}

bool Reader::setting(QStringView key, QStringView value) {
    if (key != u"field") {
        if (keysSeen_.contains(key.toString()))
            return fail(QT_TRANSLATE_NOOP("digitrace::ClassCatalogue", "%1 が二度あります"),
                        key.toString());
        keysSeen_.insert(key.toString());
    }
    FeatureClass &c = classes.last();
    if (key == u"kind") {
        const std::optional<ClassKind> kind = kindNamed(value);
        if (!kind)
            return fail(QT_TRANSLATE_NOOP("digitrace::ClassCatalogue",
                                          "kind は point、line、polygon のどれかです"));
        c.kind = *kind;
        kindSeen_ = true;
    } else if (key == u"colour") {
        if (!isColour(value))
            return fail(QT_TRANSLATE_NOOP("digitrace::ClassCatalogue",
                                          "colour は #rrggbb の形で書いてください"));
        c.colour = value.toString().toLower();
    } else if (key == u"layer") {
        if (value.isEmpty())
            return fail(QT_TRANSLATE_NOOP("digitrace::ClassCatalogue", "layer が空です"));
        c.layer = value.toString();
    } else if (key == u"button") {
        bool ok = false;
        const int button = value.toInt(&ok);
        if (!ok || button < kSmallestButton || button > kLargestButton)
            return fail(QT_TRANSLATE_NOOP("digitrace::ClassCatalogue",
                                          "button はボタンが送るコード 3 から %1 です "
                                          "(1 は始点、2 は頂点)"),
                        QString::number(kLargestButton));
        for (const FeatureClass &other : std::as_const(classes))
            if (&other != &c && other.button == button)
                return fail(QT_TRANSLATE_NOOP("digitrace::ClassCatalogue",
                                              "ボタン %1 はクラス %2 が使っています"),
                            value.toString(), other.name);
        c.button = button;
    } else if (key == u"field") {
        return field(value);
    } else {
        return fail(QT_TRANSLATE_NOOP("digitrace::ClassCatalogue", "知らないキー %1 です"),
                    key.toString());
    }
    return true;
}

bool Reader::field(QStringView value) {
    const QList<QStringView> words = value.split(u' ', Qt::SkipEmptyParts);
    if (words.size() < 2)
        return fail(
            QT_TRANSLATE_NOOP("digitrace::ClassCatalogue", "field には名前と型を書いてください"));
    ClassField f;
    f.name = words[0].toString();
    const std::optional<ClassField::Type> type = typeNamed(words[1]);
    if (!type)
        return fail(
            QT_TRANSLATE_NOOP("digitrace::ClassCatalogue",
                              "型 %1 は text、integer、real、choice、date のどれでもありません"),
            words[1].toString());
    f.type = *type;
    qsizetype at = 2;
    if (f.type == ClassField::Type::Choice) {
        if (at >= words.size())
            return fail(QT_TRANSLATE_NOOP("digitrace::ClassCatalogue",
                                          "choice には 値|値|… を続けてください"));
        for (const QStringView choice : words[at++].split(u'|'))
            if (choice.isEmpty())
                return fail(QT_TRANSLATE_NOOP("digitrace::ClassCatalogue",
                                              "choice の値に空のものがあります"));
            else
                f.choices.append(choice.toString());
    }
    QString defaultText;
    while (at < words.size()) {
        const QStringView word = words[at++];
        if (word == u"required") {
            f.required = true;
        } else if ((word == u"default" || word == u"step") && at < words.size()) {
            if (word == u"default") {
                defaultText = words[at++].toString();
                continue;
            }
            bool ok = false;
            f.step = words[at++].toDouble(&ok);
            const bool numeric =
                f.type == ClassField::Type::Integer || f.type == ClassField::Type::Real;
            if (!ok || !std::isfinite(f.step) || f.step <= 0 || !numeric ||
                (f.type == ClassField::Type::Integer && f.step != std::floor(f.step)))
                return fail(QT_TRANSLATE_NOOP(
                    "digitrace::ClassCatalogue",
                    "step は integer か real の欄に、正の数で書きます（integer は整数）"));
        } else {
            return fail(QT_TRANSLATE_NOOP("digitrace::ClassCatalogue", "field の %1 が読めません"),
                        word.toString());
        }
    }
    if (!defaultText.isEmpty()) {
        const std::optional<QVariant> value = f.read(defaultText);
        if (!value)
            return fail(
                QT_TRANSLATE_NOOP("digitrace::ClassCatalogue", "既定値 %1 は欄の型に合いません"),
                defaultText);
        f.defaultValue = *value;
    }
    FeatureClass &c = classes.last();
    if (c.field(f.name))
        return fail(QT_TRANSLATE_NOOP("digitrace::ClassCatalogue", "欄 %1 が二度あります"), f.name);
    c.fields.append(std::move(f));
    return true;
}

bool Reader::finishClass() {
    if (classes.isEmpty() || kindSeen_)
        return true;
    lineNumber_ = sectionLine_;
    return fail(QT_TRANSLATE_NOOP("digitrace::ClassCatalogue", "クラス %1 に kind がありません"),
                classes.last().name);
}

bool Reader::finish() {
    if (!finishClass())
        return false;
    if (!classes.isEmpty())
        return true;
    lineNumber_ = 0;
    return fail(QT_TRANSLATE_NOOP("digitrace::ClassCatalogue", "クラスが一つもありません"));
}

} // namespace

std::optional<QVariant> ClassField::read(const QString &text) const {
    if (text.isEmpty())
        return QVariant();
    bool ok = true;
    switch (type) {
    case Type::Text:
        return QVariant(text);
    case Type::Integer: {
        const qlonglong value = text.toLongLong(&ok);
        return ok ? std::optional<QVariant>(value) : std::nullopt;
    }
    case Type::Real: {
        const double value = text.toDouble(&ok);
        return ok && std::isfinite(value) ? std::optional<QVariant>(value) : std::nullopt;
    }
    case Type::Choice:
        return choices.contains(text) ? std::optional<QVariant>(text) : std::nullopt;
    case Type::Date: {
        const QDate date = QDate::fromString(text, Qt::ISODate);
        return date.isValid() ? std::optional<QVariant>(date) : std::nullopt;
    }
    }
    return std::nullopt;
}

const ClassField *FeatureClass::field(const QString &fieldName) const {
    for (const ClassField &f : fields)
        if (f.name == fieldName)
            return &f;
    return nullptr;
}

QString ClassCatalogue::Error::text() const {
    return line > 0 ? QCoreApplication::translate("digitrace::ClassCatalogue", "%1 行目: %2")
                          .arg(line)
                          .arg(reason)
                    : reason;
}

std::optional<ClassCatalogue> ClassCatalogue::read(const QString &text, Error *error) {
    Reader reader;
    const QStringList lines = text.split(u'\n');
    bool ok = true;
    for (qsizetype i = 0; ok && i < lines.size(); ++i) {
        QStringView line = lines[i];
        if (line.endsWith(u'\r'))
            line.chop(1);
        ok = reader.line(int(i + 1), line);
    }
    if (ok)
        ok = reader.finish();
    if (!ok) {
        if (error)
            *error = reader.error;
        return std::nullopt;
    }
    ClassCatalogue catalogue;
    catalogue.classes_ = std::move(reader.classes);
    catalogue.text_ = text;
    return catalogue;
}

const FeatureClass *ClassCatalogue::find(const QString &name) const {
    for (const FeatureClass &c : classes_)
        if (c.name == name)
            return &c;
    return nullptr;
}

const FeatureClass *ClassCatalogue::forButton(int button) const {
    for (const FeatureClass &c : classes_)
        if (c.button == button)
            return &c;
    return nullptr;
}

const FeatureClass &ClassCatalogue::next(const QString &name) const {
    for (qsizetype i = 0; i < classes_.size(); ++i)
        if (classes_[i].name == name)
            return classes_[(i + 1) % classes_.size()];
    return classes_.front();
}

} // namespace digitrace
