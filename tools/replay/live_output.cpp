#include "tools/replay/live_output.h"

#include "acquisition/capture_port.h"
#include "acquisition/formats/format_registry.h"
#include "acquisition/line_settings.h"
#include "job/job_journal.h"
#include "tools/replay/publish_output.h"
#include "tools/replay/replay_options.h"
#include "tracing/tracing_session.h"

#include <QEventLoop>

#include <algorithm>
#include <cmath>
#include <memory>

namespace digitrace {
namespace {

// Short beside a record's 21 ms at the line rate, so that a record is fed close to when it is due.
constexpr std::chrono::milliseconds kTick(5);
// As the window's live sending tries a server that stopped answering again.
constexpr std::chrono::seconds kRetryDelay(5);

// What a record that completes a feature changes, as the window tells it: a count, or the
// sequence it ends or starts.
// The nearest-rank percentile of sorted values.
double percentile(const std::vector<double> &sorted, double share) {
    if (sorted.empty())
        return 0;
    const auto rank = std::size_t(std::ceil(share * double(sorted.size())));
    return sorted[std::clamp<std::size_t>(rank, 1, sorted.size()) - 1];
}

} // namespace

std::optional<LivePace> readLivePace(const QString &text, QString *error) {
    if (text == QLatin1StringView("line"))
        return LivePace{};
    bool ok = false;
    const double rate = text.toDouble(&ok);
    if (ok && rate > 0 && std::isfinite(rate))
        return LivePace{rate};
    *error = QStringLiteral("--live wants \"line\" or a positive number of records a second, not "
                            "\"%1\"")
                 .arg(text);
    return std::nullopt;
}

double lineCharactersPerSecond(const TabletFormat &format) {
    // A binary format needs all eight bits of a character, and has no room for parity.
    const LineSettings line =
        describe(format.kind).binary ? LineSettings{9600, 'n', 8, 1} : LineSettings{};
    const int bits = 1 + line.dataBits + (line.parity == 'n' ? 0 : 1) + line.stopBits;
    return double(line.baudRate) / bits;
}

LivePublishing::LivePublishing(CapturePort &port, TracingSession &session, const TraceStore &store,
                               Publication publication, const QString &connection, QTextStream &out)
    : port_(port), session_(session), store_(store), publication_(std::move(publication)),
      out_(out),
      queue_(
          [this, publish = publishingThrough(std::make_shared<SheetPublisher>(connection))](
              const SheetPublication &state) {
              PublishResult result = publish(state);
              if (result.failure == PublishFailure::Conflict)
                  result.error += QStringLiteral(" (--force)");
              const std::lock_guard lock(mutex_);
              commits_.push_back({int(state.store.PtCount), clock_.nsecsElapsed()});
              return result;
          },
          kRetryDelay) {
    clock_.start();
    ticks_.setTimerType(Qt::PreciseTimer);
    ticks_.setInterval(kTick);
    connect(&ticks_, &QTimer::timeout, this, &LivePublishing::feed);
    connect(&session_, &TracingSession::recordTaken, this, [this] { ++taken_; });
    connect(&session_.journal(), &JobJournal::applied, this, [this](const JournalEntry &entry) {
        if (changes_.changedBy(entry, store_))
            changed();
    });
    connect(&queue_, &PublishQueue::finished, this, &LivePublishing::committed);
    connect(&queue_, &PublishQueue::failed, this, &LivePublishing::failed);
}

LivePublishing::~LivePublishing() = default;

bool LivePublishing::run(LivePace pace, double charactersPerSecond) {
    pace_ = pace;
    charactersPerSecond_ = charactersPerSecond;
    QEventLoop loop;
    loop_ = &loop;
    changes_.reset(store_);
    // The window publishes the sheet as it stands before it sends live.
    submit();
    loop.exec();
    loop_ = nullptr;
    return port_.errorString().isEmpty();
}

// Feeds what is due by now: the records at the asked rate, or the characters at the line's.
void LivePublishing::feed() {
    const double seconds = double(clock_.nsecsElapsed() - fedSinceNs_) / 1e9;
    bool more = true;
    if (pace_.recordsPerSecond > 0) {
        const auto due = qint64(seconds * pace_.recordsPerSecond) + 1;
        // A character at a time, so that a record is taken the moment it is due and no earlier.
        while (more && taken_ < due)
            more = port_.playSome(1);
    } else {
        const qint64 due = qint64(seconds * charactersPerSecond_) + 1 - port_.bytesPlayed();
        if (due > 0)
            more = port_.playSome(due);
    }
    if (!more)
        captureEnded();
}

void LivePublishing::captureEnded() {
    ticks_.stop();
    captureEnded_ = true;
    if (int(store_.PtCount) != sentRecords_)
        submit();
    else if (unconfirmed_.empty())
        finish(true);
}

void LivePublishing::changed() {
    if (feeding_)
        submit();
}

void LivePublishing::submit() {
    sentRecords_ = store_.PtCount;
    unconfirmed_.push_back({sentRecords_, clock_.nsecsElapsed()});
    queue_.submit(publication_());
}

void LivePublishing::committed(const PublishResult &result) {
    Commit commit{};
    {
        const std::lock_guard lock(mutex_);
        commit = commits_.front();
        commits_.pop_front();
    }
    if (!result.ok()) {
        // Told once by failed(); a retry that fails after the capture has ended ends the run.
        if (captureEnded_)
            finish(false);
        return;
    }
    last_ = result;
    // A state is told by its records: the first one sent with as many is the one committed, and
    // every state sent before it is in the database too.
    const auto held = std::find_if(unconfirmed_.begin(), unconfirmed_.end(), [&](const Sent &sent) {
        return sent.records == commit.records;
    });
    const qint64 fromNs = unconfirmed_.empty() ? commit.atNs : unconfirmed_.front().atNs;
    const double latencyMs = double(commit.atNs - fromNs) / 1e6;
    if (held != unconfirmed_.end())
        unconfirmed_.erase(unconfirmed_.begin(), held + 1);
    out_ << QStringLiteral("live\t%1\t%2\t%3\n")
                .arg(result.revision)
                .arg(commit.records)
                .arg(latencyMs, 0, 'f', 1);
    out_.flush();
    if (!feeding_ && !captureEnded_) {
        // The first publish: the capture is fed from now on.
        feeding_ = true;
        fedSinceNs_ = clock_.nsecsElapsed();
        ticks_.start();
        feed();
        return;
    }
    latenciesMs_.push_back(latencyMs);
    if (captureEnded_ && unconfirmed_.empty())
        finish(true);
}

void LivePublishing::failed(const QString &error, bool retrying) {
    complain(error);
    // The window tries a server that stopped answering again while the operator traces on; the
    // first publish, a conflict or a refused login, or a failure once the capture has ended,
    // end the run.
    if (!retrying || !feeding_ || captureEnded_)
        finish(false);
}

void LivePublishing::finish(bool ok) {
    ticks_.stop();
    published_ = ok;
    if (ok) {
        printSummary();
        for (const QString &note : last_->notes)
            complain(note);
        out_ << publishedLine(publication_().sheet, *last_);
        out_.flush();
    }
    if (loop_)
        loop_->quit();
}

void LivePublishing::printSummary() {
    std::vector<double> sorted = latenciesMs_;
    std::sort(sorted.begin(), sorted.end());
    out_ << QStringLiteral("live_summary\t%1\t%2\t%3\n")
                .arg(sorted.size())
                .arg(percentile(sorted, 0.5), 0, 'f', 1)
                .arg(percentile(sorted, 0.95), 0, 'f', 1);
}

} // namespace digitrace
