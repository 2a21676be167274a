// Arbitrary bytes as a journal or job file: whatever is damaged, reading never fails an invariant
// of fuzz/journal_check.h.

#include "fuzz/journal_check.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    digitrace::fuzz::checkJournal(
        QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    return 0;
}
