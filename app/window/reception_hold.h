#pragma once

#include "tracing/tracing_session.h"

namespace digitrace {

// Reception waits while a handler asks its question and acts on the answer, so that it acts
// between two records and no record slips in between.
class ReceptionHold {
public:
    explicit ReceptionHold(TracingSession &session) : reception_(session.reception()) {
        reception_.hold();
    }
    ~ReceptionHold() { reception_.release(); }
    Q_DISABLE_COPY_MOVE(ReceptionHold)

private:
    Reception &reception_;
};

} // namespace digitrace
