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
    // Of every record in order: formats with the same digest took the same records.
    std::size_t recordDigest = 0;

    bool consistent() const { return reports > 0 && problems == 0; }
};

// Listens to the line under every built-in format and names the one under which the bytes read
// consistently. Detection reads strictly, so that a format only fits when it fits exactly. It
// never settles on a format under which the bytes give fewer records than under another: where
// two formats read the same bytes differently, both are named for the operator to choose.
class FormatDetector {
public:
    // Fewer consistent reports prove nothing: noise makes a few now and then.
    static constexpr int kLeastReports = 4;
    // Reports by which a sole consistent format is taken.
    static constexpr int kDecisiveReports = 6;
    // Records after which formats that read alike so far are taken as alike.
    static constexpr int kPatientRecords = 20;
    static constexpr int kShownRecords = 5;

    // At fewer than 8 data bits the binary formats, which find a report's start by bit 7, are not
    // listened for.
    explicit FormatDetector(int dataBits = 8);
    void feed(QByteArrayView bytes);
    // Consistent formats first; of those, the ones that read more records, then more cursor
    // reports, then in the order of the registry. The others by the reports they read.
    QList<FormatCandidate> ranking() const;
    // The readings worth naming from what has been heard: none while nothing reads consistently
    // from enough reports; one, the format; several, formats that read the bytes differently,
    // each plausibly, the one ranked best first.
    QList<FormatCandidate> readings() const;
    // The format, once the bytes decide it without a rival.
    std::optional<FormatKind> decided() const;
    // Formats read the bytes differently, and enough records were heard to stop listening.
    bool undecidable() const;
    // Some reports read consistently, but too few of them to name a format.
    bool tooFewReports() const;
    // Nothing fits what has been heard, and enough has been heard to say so.
    bool nothingFits() const;

private:
    struct Listener {
        std::unique_ptr<TabletDecoder> decoder;
        FormatCandidate candidate;
        bool inStep = false; // reading from the start of a report or line
    };
    std::vector<Listener> listeners_;
    qint64 heard_ = 0;
};

} // namespace digitrace
