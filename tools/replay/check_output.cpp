#include "tools/replay/check_output.h"

#include "tools/replay/replay_options.h"
#include "topology/topology_check.h"
#include "topology/topology_repair.h"

namespace digitrace {

namespace {
const QString kStrictSpelling = QStringLiteral("--check=strict");
const QString kStrictName = QStringLiteral("check-strict");

// The parser's help shows --check, whose text names --check=strict.
QCommandLineOption hidden(QCommandLineOption option) {
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    return option;
}
} // namespace

CheckOptions::CheckOptions()
    : check_(QStringLiteral("check"),
             QStringLiteral("Check the topology of the trace within the job's snapping "
                            "tolerance (0.3 mm on the sheet when it has none): one line a "
                            "finding, topology<TAB>KIND<TAB>x<TAB>y<TAB>features (KIND invalid, "
                            "dangle, duplicate, overlap or gap; x, y in tablet units; features "
                            "as their first slots), then topology<TAB>count<TAB>KIND<TAB>n. "
                            "--check=strict also fails the run on any finding.")),
      strict_(hidden(QCommandLineOption(kStrictName))),
      repair_(QStringLiteral("repair"),
              QStringLiteral("Before --gis or --publish writes the features, snap them within "
                             "the tolerance, put a vertex where lines of a class cross and make "
                             "polygons valid; each change is told.")) {}

void CheckOptions::addTo(QCommandLineParser &parser) const {
    parser.addOptions({check_, strict_, repair_});
}

QStringList CheckOptions::spelled(QStringList arguments) {
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == QStringLiteral("--"))
            break;
        if (arguments[i] == kStrictSpelling)
            arguments[i] = QStringLiteral("--") + kStrictName;
    }
    return arguments;
}

std::optional<CheckRequest> CheckOptions::read(const QCommandLineParser &parser,
                                               bool exports) const {
    CheckRequest request;
    request.strict = parser.isSet(strict_);
    request.report = request.strict || parser.isSet(check_);
    request.repair = parser.isSet(repair_);
    if (request.repair && !exports) {
        complain(QStringLiteral("--repair is only read for --gis or --publish"));
        return std::nullopt;
    }
    return request;
}

bool printTopologyCheck(const TraceStore &store, const TraceClasses &classes, double toleranceUnits,
                        bool strict, QTextStream &out) {
    const TopologyReport report = checkTopology(store, classes, toleranceUnits);
    for (const TopologyFinding &f : report.findings) {
        QStringList firstSlots;
        for (int slot : f.features)
            firstSlots << QString::number(slot);
        out << "topology\t" << findingKindName(f.kind) << '\t' << QString::number(f.at.x(), 'f', 2)
            << '\t' << QString::number(f.at.y(), 'f', 2) << '\t' << firstSlots.join(u',') << '\n';
    }
    for (FindingKind kind : {FindingKind::Invalid, FindingKind::Dangle, FindingKind::Duplicate,
                             FindingKind::Overlap, FindingKind::Gap})
        out << "topology\tcount\t" << findingKindName(kind) << '\t' << report.count(kind) << '\n';
    out.flush();
    return !(strict && !report.clean());
}

std::function<QStringList(FeatureSet &)>
replayRepair(const Placement &placement, const TraceClasses &classes, double toleranceUnits) {
    return repairHook(classes, mapDistance(placement, toleranceUnits));
}

} // namespace digitrace
