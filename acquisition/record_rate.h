#pragma once

#include <QtGlobal>

#include <deque>
#include <optional>

namespace digitrace {

// How fast records arrive, for the operator's eye: the records of the last `window` milliseconds
// counted, and the time since the newest. Times are milliseconds of one monotonic clock (e.g.
// QElapsedTimer), passed in so that a test sets them.
class RecordRate {
public:
    explicit RecordRate(qint64 windowMs = 2000) : windowMs_(windowMs) {}

    void note(qint64 nowMs);
    // Records per second over the window ending at `nowMs`; 0 once the line fell silent.
    double perSecond(qint64 nowMs) const;
    // Milliseconds since the newest record; nothing before the first.
    std::optional<qint64> sinceLast(qint64 nowMs) const;
    void reset();

private:
    void forgetBefore(qint64 nowMs);

    qint64 windowMs_;
    std::deque<qint64> times_;
    std::optional<qint64> last_;
};

} // namespace digitrace
