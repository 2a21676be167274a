// The gate's damage sweep: every prefix and every single-bit flip of each journal named on the
// command line through the checks of fuzz/journal_check.h. Prints how many variants ran.
//   fuzz_journal_variants <journal>...

#include "fuzz/journal_check.h"

#include <QFile>

#include <cstdio>

int main(int argc, char *argv[]) {
    long variants = 0;
    for (int i = 1; i < argc; ++i) {
        QFile file(QString::fromLocal8Bit(argv[i]));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", argv[i]);
            return 2;
        }
        QByteArray bytes = file.readAll();
        for (qsizetype cut = 0; cut <= bytes.size(); ++cut, ++variants)
            digitrace::fuzz::checkJournal(QByteArrayView(bytes).first(cut));
        for (qsizetype at = 0; at < bytes.size(); ++at)
            for (int bit = 0; bit < 8; ++bit, ++variants) {
                bytes[at] = char(bytes[at] ^ (1 << bit));
                digitrace::fuzz::checkJournal(bytes);
                bytes[at] = char(bytes[at] ^ (1 << bit));
            }
    }
    std::printf("%ld variants\n", variants);
    return 0;
}
