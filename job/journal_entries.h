#pragma once

#include "model/trace_model.h"

#include <QString>

#include <optional>
#include <variant>

namespace digitrace {

// One change to a job, a struct of its kind. What a kind looks like in a journal lives in
// journal_format.cpp, what it does when applied in job_player.cpp: a new kind is its struct here,
// its codec row there and its apply.
namespace entry {

// A record as the tablet's format gave it, in the designed 19-column layout. A live record also
// carries the fields its format read, so that they are not read again from the text; a record
// read from a journal has its text alone, which reads as the same fields.
struct Record {
    Record() = default;
    explicit Record(QString text, std::optional<RecordFields> fields = std::nullopt)
        : text(std::move(text)), fields(fields) {}
    QString text;
    std::optional<RecordFields> fields;
    bool operator==(const Record &other) const { return text == other.text; }
};
// The port opened: a new job (the trace reset) or the one in the table continued, at the scale
// 1:denominator that the scale box's text gave.
struct Connect {
    bool newJob = false;
    float denominator = 0;
    QString scaleText;
    bool operator==(const Connect &) const = default;
};
struct Clear {
    bool operator==(const Clear &) const = default;
};
struct Back {
    bool operator==(const Back &) const = default;
};
struct Disconnect {
    bool operator==(const Disconnect &) const = default;
};
// The trace went to a DXF file.
struct Exported {
    QString fileName;
    bool operator==(const Exported &) const = default;
};
// The journal so far went to a job file.
struct JobSaved {
    QString fileName;
    bool operator==(const JobSaved &) const = default;
};
// The sheet's registration, in its text form (registration/registration.h).
struct Registered {
    QString text;
    bool operator==(const Registered &) const = default;
};
// Millimetres per tablet unit, from the connect it follows on.
struct TabletUnit {
    double mm = 0;
    bool operator==(const TabletUnit &) const = default;
};
// The tablet format the line was read as: its name, then for a site's own layout that layout's
// text (tracing/format_entry.h). From the connect it follows on.
struct TabletFormat {
    QString text;
    bool operator==(const TabletFormat &) const = default;
};
// The last clear taken back.
struct ClearUndone {
    bool operator==(const ClearUndone &) const = default;
};
// The sheet's name; empty when bare.
struct Sheet {
    QString name;
    bool operator==(const Sheet &) const = default;
};
// The revision of the sheet that a publish to the shared database made.
struct Published {
    int revision = 0;
    bool operator==(const Published &) const = default;
};

// The class catalogue the job traces into, its text whole (classes/class_catalogue.h).
struct Catalogue {
    QString text;
    bool operator==(const Catalogue &) const = default;
};
// The class the next feature takes.
struct ClassChosen {
    QString name;
    bool operator==(const ClassChosen &) const = default;
};
// The next feature of the current class takes its stepped fields' last values plus (1), minus
// (-1) or equal to (0) their steps.
struct Step {
    int direction = 0;
    bool operator==(const Step &) const = default;
};
// Attribute values of the feature begun by the record at `slot`: a "name=value" line each.
struct Attributes {
    int slot = 0;
    QString values;
    bool operator==(const Attributes &) const = default;
};

// The feature begun by the record at `slot` is of class `className` from now on.
struct ClassChanged {
    int slot = 0;
    QString className;
    bool operator==(const ClassChanged &) const = default;
};
// The tablet menu in its text form (tracing/tablet_menu.h); empty when it is taken away.
struct Menu {
    QString text;
    bool operator==(const Menu &) const = default;
};
// Presses snap within this many millimetres on the sheet from the next record on; 0: they do not.
struct Snapping {
    double mm = 0;
    bool operator==(const Snapping &) const = default;
};
// The tablet's own record of the press whose snapped record follows: kept for an audit, it
// changes nothing.
struct Pressed {
    QString text;
    bool operator==(const Pressed &) const = default;
};

} // namespace entry

using JournalEntry =
    std::variant<entry::Record, entry::Connect, entry::Clear, entry::Back, entry::Disconnect,
                 entry::Exported, entry::JobSaved, entry::Registered, entry::TabletUnit,
                 entry::TabletFormat, entry::ClearUndone, entry::Sheet, entry::Published,
                 entry::Catalogue, entry::ClassChosen, entry::Step, entry::Attributes, entry::Menu,
                 entry::ClassChanged, entry::Snapping, entry::Pressed>;

template <class Kind> bool is(const JournalEntry &e) {
    return std::holds_alternative<Kind>(e);
}

} // namespace digitrace
