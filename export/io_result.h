#pragma once

#include <QString>

namespace digitrace {

// The outcome of a file operation. error is a whole message for the operator, naming the path and
// the system's reason; it is empty on success.
struct [[nodiscard]] IoResult {
    QString error;
    bool ok() const { return error.isEmpty(); }
};

} // namespace digitrace
