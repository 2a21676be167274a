#pragma once

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <random>

namespace digitrace::bench {

inline QByteArray recordBytes(double x, double y, int code) {
    return QStringLiteral("%1%2%3\r").arg(x, 9, 'f', 1).arg(y, 9, 'f', 1).arg(code).toLatin1();
}

// `records` records as a tablet sends them while a sheet is traced: lines of 5 to 60 short steps,
// half of them closed into polygons, one standalone point in ten.
inline QByteArray typicalCapture(int records) {
    std::mt19937 random(7);
    auto uniform = [&](double low, double high) {
        return std::uniform_real_distribution<double>(low, high)(random);
    };
    QByteArray capture;
    int added = 0;
    auto add = [&](double x, double y, int code) {
        if (added++ < records)
            capture += recordBytes(x, y, code);
    };
    while (added < records) {
        double x = uniform(0, 30000);
        double y = uniform(0, 20000);
        if (uniform(0, 1) < 0.1) {
            add(x, y, 3);
            continue;
        }
        add(x, y, 1);
        for (int v = int(uniform(5, 60)); v > 0; --v) {
            x = std::clamp(x + uniform(-200, 200), 0.0, 30000.0);
            y = std::clamp(y + uniform(-200, 200), 0.0, 20000.0);
            add(x, y, 2);
        }
        add(x, y, uniform(0, 1) < 0.5 ? 4 : 1);
    }
    return capture;
}

} // namespace digitrace::bench
