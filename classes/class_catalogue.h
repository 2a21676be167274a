#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>

namespace digitrace {

// What a class's features are.
enum class ClassKind { Point, Line, Polygon };

// One attribute of a class's features.
struct ClassField {
    enum class Type { Text, Integer, Real, Choice, Date };

    QString name;
    Type type = Type::Text;
    QStringList choices; // for Choice, in the catalogue's order
    // The value a feature starts with when none was entered for the class yet; null when none.
    QVariant defaultValue;
    // For a stepped Integer or Real field: what up and down add and take away; 0 when not stepped.
    double step = 0;
    bool required = false;

    // `text` read as this field's type: a null QVariant when it does not read (an empty text
    // reads as no value, a valid null).
    std::optional<QVariant> read(const QString &text) const;
    bool operator==(const ClassField &) const = default;
};

// One class of the catalogue: its name, the kind of its features, how they are drawn and exported,
// the puck button that chooses it, and their fields.
struct FeatureClass {
    QString name;
    ClassKind kind = ClassKind::Point;
    QString colour; // "#rrggbb"; empty for the drawing's own colour
    QString layer;  // the DXF layer; the class's name when the catalogue names none
    std::optional<int> button;
    QList<ClassField> fields;

    const ClassField *field(const QString &name) const;
    bool operator==(const FeatureClass &) const = default;
};

// The classes a team traces into, read from a small UTF-8 text that can be written by hand:
//
//   # a comment
//   [建物]                  one section a class, named in any language
//   kind = polygon          point, line or polygon
//   colour = #d04040        optional
//   layer = BLDG            optional: the DXF layer (default: the class's name)
//   button = 5              optional: the puck button that chooses the class
//   field = 階数 integer default 1
//   field = 構造 choice 木造|鉄骨|RC default 木造 required
//   field = 標高 real default 100 step 5
//
// A field is its name, its type (text, integer, real, choice with its values, date as
// yyyy-MM-dd) and then, in any order, `default VALUE`, `step NUMBER` (integer and real only) and
// `required`. A comment runs from a '#' at the start of a line or after a space, followed by a
// space or the line's end, so that a colour's '#' is none.
class ClassCatalogue {
public:
    struct Error {
        int line = 0; // counted from 1; 0 for the catalogue as a whole
        QString reason;
        // "line 3: …", for the operator.
        QString text() const;
    };

    // The catalogue `text` describes, or the first error in it: a catalogue that does not read
    // gives nothing, so that it changes nothing.
    static std::optional<ClassCatalogue> read(const QString &text, Error *error = nullptr);

    const QList<FeatureClass> &classes() const { return classes_; }
    const FeatureClass *find(const QString &name) const;
    // The class whose button sends `button` as its code; null when none does.
    const FeatureClass *forButton(int button) const;
    // The class after `name` in the catalogue's order, the first after the last.
    const FeatureClass &next(const QString &name) const;
    // The text it was read from, as the journal and the shared database keep it.
    const QString &text() const { return text_; }

private:
    QList<FeatureClass> classes_;
    QString text_;
};

} // namespace digitrace
