#pragma once

#include <QString>

#include <vector>

namespace digitrace::test {

// One message of a Qt Linguist .ts file.
struct TsMessage {
    QString context, source, translation;
    bool finished = false;
};

// The messages of a .ts file; a file that cannot be read or parsed fails the running test.
std::vector<TsMessage> readTs(const QString &path);

} // namespace digitrace::test
