#pragma once

#include "classes/classed_feature.h"
#include "export/gis_features.h"
#include "model/trace_store.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QStringList>
#include <QTextStream>

#include <functional>
#include <optional>

namespace digitrace {

// What the command line asks of the topology check and the repair.
struct CheckRequest {
    bool report = false; // --check: the findings and their counts
    bool strict = false; // --check=strict: and the run fails on any
    bool repair = false; // --repair: the GIS export and the publish mend the features first
};

// --check, --check=strict and --repair on the command line.
class CheckOptions {
public:
    CheckOptions();
    void addTo(QCommandLineParser &parser) const;
    // The arguments as the parser takes them: it knows no option that may have a value or not,
    // so --check=strict goes in under a name of its own.
    static QStringList spelled(QStringList arguments);
    // Nothing, with the reason told, when --repair has nothing to repair for.
    std::optional<CheckRequest> read(const QCommandLineParser &parser, bool exports) const;

private:
    QCommandLineOption check_, strict_, repair_;
};

// One line a finding, topology<TAB>KIND<TAB>x<TAB>y<TAB>first slots joined by ',' (x and y in
// tablet units), then topology<TAB>count<TAB>KIND<TAB>n for every kind. False when `strict` and
// anything was found.
bool printTopologyCheck(const TraceStore &store, const TraceClasses &classes, double toleranceUnits,
                        bool strict, QTextStream &out);

// The repair as the GIS export or the publish takes it: the tolerance in tablet units becomes
// the map units `placement` puts the features in.
std::function<QStringList(FeatureSet &)>
replayRepair(const Placement &placement, const TraceClasses &classes, double toleranceUnits);

} // namespace digitrace
