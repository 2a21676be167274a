// Arbitrary bytes in arbitrary chunks through a live connection's receive path, with the window's
// other actions in between. FuzzedDataProvider takes the chunks' bytes from the front of the
// input and the choices (chunk sizes, actions, sizes of the drawing area) from its back.

#include "acquisition/memory_port.h"
#include "fuzz/invariant.h"
#include "model/numeric_value.h"
#include "model/trace_model.h"
#include "tests/support/tracing_connection.h"
#include "tracing/tracing_session.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QLocale>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace digitrace::fuzz {
namespace {

constexpr std::size_t kMaxChunk = 64;
// A burst repeats one chunk, each perhaps followed by Back. Most bursts are a few repeats; one in
// sixteen repeats 2^0 to 2^15 times: enough to fill the table, or to count more records than a
// 16-bit counter holds.
constexpr int kShortBurst = 8;
constexpr int kLongBurstChoices = 16;
// Keeps the work per input bounded.
constexpr qsizetype kRecordBudget = 40000;
constexpr int kMaxWindowWidth = 4000;

// Point, comma and non-ASCII digits: the labels follow the user's locale.
const QLocale &pickLocale(FuzzedDataProvider &data) {
    static const std::array locales = {QLocale::c(), QLocale(QLocale::German),
                                       QLocale(QLocale::Japanese),
                                       QLocale(QLocale::Arabic, QLocale::Egypt)};
    return locales[data.ConsumeIntegralInRange<std::size_t>(0, locales.size() - 1)];
}

class Connection {
public:
    explicit Connection(const QLocale &locale) : model_(locale) {
        QObject::connect(&session_, &TracingSession::recordTaken, &session_,
                         [this](RecordOutcome o) {
                             ++taken_;
                             if (o == RecordOutcome::Kept)
                                 ++kept_;
                         });
        model_.ResetTrace();
        model_.setHalfSize(300, 175);
        session_.connectTablet(test::at(scaleDenomFromText(scale_)));
    }

    void run(FuzzedDataProvider &data) {
        while (data.remaining_bytes() > 0 && budget_ > 0) {
            switch (data.ConsumeIntegralInRange(0, 9)) {
            case 5:
                burst(data);
                break;
            case 6:
                model_.dropLast();
                break;
            case 7:
                model_.ResetTrace();
                break;
            case 8:
                model_.setHalfSize(float(data.ConsumeIntegralInRange(0, kMaxWindowWidth)) / 2,
                                   float(data.ConsumeIntegralInRange(0, kMaxWindowWidth)) / 2);
                break;
            case 9:
                reconnect(data);
                break;
            default:
                deliver(chunk(data));
            }
            checkState();
        }
    }

private:
    static QByteArray chunk(FuzzedDataProvider &data) {
        const auto size = data.ConsumeIntegralInRange<std::size_t>(0, kMaxChunk);
        const std::vector<char> bytes = data.ConsumeBytes<char>(size);
        return QByteArray(bytes.data(), qsizetype(bytes.size()));
    }

    void burst(FuzzedDataProvider &data) {
        const QByteArray bytes = chunk(data);
        const bool thenBack = data.ConsumeBool();
        const int choice = data.ConsumeIntegralInRange(0, 255);
        const int longFrom = 256 - kLongBurstChoices;
        const int repeats = choice < longFrom ? choice % kShortBurst + 1 : 1 << (choice - longFrom);
        for (int i = 0; i < repeats && budget_ > 0; ++i) {
            deliver(bytes);
            if (thenBack)
                model_.dropLast();
            checkState();
        }
    }

    // Every carriage return ends a record, every record reaches the model, and PtCount moves on
    // exactly for the records the model kept.
    void deliver(const QByteArray &bytes) {
        budget_ -= std::max<qsizetype>(bytes.count('\r'), 1);
        const int before = model_.store().PtCount;
        taken_ = kept_ = 0;
        port_.deliver(bytes);
        // The window takes a long backlog in slices from its event loop; here there is none.
        session_.reception().takeBacklog();
        const qsizetype expected = session_.isConnected() ? bytes.count('\r') : 0;
        if (taken_ != expected)
            fail("every carriage return ends a record that is taken",
                 QStringLiteral("%1 taken, %2 expected").arg(taken_).arg(expected));
        if (model_.store().PtCount != before + kept_)
            fail("PtCount advances once per kept record",
                 QStringLiteral("PtCount %1 -> %2 with %3 kept")
                     .arg(before)
                     .arg(model_.store().PtCount)
                     .arg(kept_));
    }

    // Disconnect (or lose the line), type a scale, connect again: to a new job or to go on with
    // the one in the table.
    void reconnect(FuzzedDataProvider &data) {
        if (data.ConsumeBool())
            port_.breakDown(QStringLiteral("Input/output error"));
        else
            session_.disconnectTablet();
        scale_ = QString::fromUtf8(data.ConsumeRandomLengthString(24));
        const bool refuseOpen = data.ConsumeIntegralInRange(0, 7) == 0;
        port_.setOpenError(refuseOpen ? QStringLiteral("No such file or directory") : QString());
        const bool newJob = data.ConsumeBool();
        const int before = model_.store().PtCount;
        require(session_.connectTablet(test::at(scaleDenomFromText(scale_), newJob)) == !refuseOpen,
                "connect succeeds exactly when the port opens");
        require(session_.isConnected() == !refuseOpen, "connected exactly when the port opened");
        if (refuseOpen)
            require(model_.store().PtCount == before, "a failed connect leaves the job as it was");
        else if (newJob)
            require(model_.store().PtCount == 0, "a connect for a new job starts an empty trace");
        else
            require(model_.store().PtCount == before, "a continued job keeps its records");
    }

    void checkState() const {
        const TraceStore &s = model_.store();
        if (s.PtCount < 0 || s.PtCount > kSlotCount)
            fail("PtCount within 0..10001", QString::number(s.PtCount));
        if (s.PointCount < 0 || s.LineCount < 0 || s.PolyCount < 0 || s.SeqVertices < 0)
            fail("counters never negative",
                 QStringLiteral("points %1 lines %2 polygons %3 vertices %4")
                     .arg(s.PointCount)
                     .arg(s.LineCount)
                     .arg(s.PolyCount)
                     .arg(s.SeqVertices));
        for (int f = 0; f < kDisplayFieldCount; ++f) {
            const QString &text = model_.text(DisplayField(f));
            if (text.contains(u"inf", Qt::CaseInsensitive) ||
                text.contains(u"nan", Qt::CaseInsensitive))
                fail("no display text shows inf or nan", text);
        }
        if (!std::isfinite(s.ViewCx) || !std::isfinite(s.ViewCy) || !std::isfinite(s.ViewZoom))
            fail("the view is finite",
                 QStringLiteral("%1 %2 %3").arg(s.ViewCx).arg(s.ViewCy).arg(s.ViewZoom));
    }

    TraceModel model_;
    MemoryPort port_;
    // The scale box's text, read at each connect.
    QString scale_ = QStringLiteral("1000");
    TracingSession session_{port_, model_};
    qsizetype budget_ = kRecordBudget;
    qsizetype taken_ = 0;
    int kept_ = 0;
};

} // namespace
} // namespace digitrace::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    digitrace::fuzz::Connection(digitrace::fuzz::pickLocale(data)).run(data);
    return 0;
}
