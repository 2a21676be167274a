#include "acquisition/record_rate.h"

#include <algorithm>

namespace digitrace {

void RecordRate::note(qint64 nowMs) {
    forgetBefore(nowMs);
    times_.push_back(nowMs);
    last_ = nowMs;
}

double RecordRate::perSecond(qint64 nowMs) const {
    // Times are noted in order: those still in the window are the last ones.
    const auto first = std::upper_bound(times_.begin(), times_.end(), nowMs - windowMs_);
    return static_cast<double>(times_.end() - first) * 1000.0 / static_cast<double>(windowMs_);
}

std::optional<qint64> RecordRate::sinceLast(qint64 nowMs) const {
    if (!last_)
        return std::nullopt;
    return nowMs - *last_;
}

void RecordRate::reset() {
    times_.clear();
    last_.reset();
}

// Only the window is kept, so a day of reception holds no more than a window's records.
void RecordRate::forgetBefore(qint64 nowMs) {
    while (!times_.empty() && times_.front() <= nowMs - windowMs_)
        times_.pop_front();
}

} // namespace digitrace
