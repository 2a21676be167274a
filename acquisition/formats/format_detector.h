#pragma once

#include "acquisition/formats/tablet_decoder.h"
#include "acquisition/formats/tablet_format.h"

#include <QByteArrayView>
#include <QList>

#include <memory>
#include <optional>
#include <vector>

namespace digitrace {

// How one format reads the bytes heard so far.
struct FormatCandidate {
    FormatKind kind = FormatKind::Fixed19;
    int reports = 0; // records and positions
    int records = 0;
    // Mismatches and noise after the first report; the bytes before it may start mid-report.
    int problems = 0;
    QList<DecodedItem> firstRecords; // a few, to show the operator

    bool consistent() const { return reports > 0 && problems == 0; }
};

// Listens to the line under every built-in format and names the one under which the bytes read
// consistently. Detection reads strictly, so that a format only fits when it fits exactly.
class FormatDetector {
public:
    // Reports by which a sole consistent format is taken.
    static constexpr int kDecisiveReports = 6;
    // Records after which the most preferred of several consistent formats is taken.
    static constexpr int kPatientRecords = 20;
    static constexpr int kShownRecords = 5;

    FormatDetector();
    void feed(QByteArrayView bytes);
    // Consistent formats first; of those, the ones that read cursor reports too, then in the
    // order of builtInFormatNames(). The others by the reports they read.
    QList<FormatCandidate> ranking() const;
    // The format, once the bytes decide it.
    std::optional<FormatKind> decided() const;
    // Nothing fits what has been heard, and enough has been heard to say so.
    bool nothingFits() const;

private:
    struct Listener {
        std::unique_ptr<TabletDecoder> decoder;
        FormatCandidate candidate;
        qint64 skippedAtFirstReport = 0;
    };
    std::vector<Listener> listeners_;
    qint64 heard_ = 0;
};

} // namespace digitrace
