#include "acquisition/record_rate.h"

namespace digitrace {

void RecordRate::note(qint64 nowMs) {
    forgetBefore(nowMs);
    times_.push_back(nowMs);
    last_ = nowMs;
}

double RecordRate::perSecond(qint64 nowMs) {
    forgetBefore(nowMs);
    return static_cast<double>(times_.size()) * 1000.0 / static_cast<double>(windowMs_);
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
