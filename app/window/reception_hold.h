#pragma once

#include "acquisition/session.h"

namespace digitrace {

// Reception waits while a handler asks its question and acts on the answer, so that it acts
// between two records and no record slips in between.
class ReceptionHold {
public:
    explicit ReceptionHold(Session &session) : session_(session) { session_.hold(); }
    ~ReceptionHold() { session_.release(); }
    Q_DISABLE_COPY_MOVE(ReceptionHold)

private:
    Session &session_;
};

} // namespace digitrace
