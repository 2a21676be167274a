#include "tests/export/sample_traces.h"

#include "tests/support/record_text.h"

#include <QDate>
#include <QtGlobal>

#include <array>

namespace digitrace::test {
namespace {

constexpr std::array<int, 4> kOtherCodes = {4, 0, 3, 9};

class TraceBuilder {
public:
    TraceBuilder() { trace_.model.ResetTrace(); }

    void take(QPointF at, int code) {
        if (trace_.model.takeRecord(recordText(at.x(), at.y(), code)) != RecordOutcome::Kept)
            qFatal("sample record %g %g %d was not kept", at.x(), at.y(), code);
    }

    void point(QPointF at, int code) {
        take(at, code);
        trace_.shapes.push_back({QStringLiteral("POINT"), {at}, className});
    }

    // A start record and its vertices.
    void sequence(const std::vector<QPointF> &vertices) {
        for (std::size_t i = 0; i < vertices.size(); ++i) {
            take(vertices[i], i == 0 ? 1 : 2);
            if (i > 0)
                trace_.shapes.push_back(
                    {QStringLiteral("LINE"), {vertices[i - 1], vertices[i]}, className});
        }
    }

    // A sequence closed back to its start by a record of another code, whose own position
    // appears nowhere.
    void polygon(const std::vector<QPointF> &vertices, int closeCode, QPointF closeAt) {
        sequence(vertices);
        take(closeAt, closeCode);
        trace_.shapes.push_back(
            {QStringLiteral("LINE"), {vertices.back(), vertices.front()}, className});
    }

    int recordCount() const { return trace_.model.store().PtCount; }
    SampleTrace result() { return std::move(trace_); }

    QString className; // of the shapes that follow

private:
    SampleTrace trace_;
};

} // namespace

SampleTrace workedExample() {
    TraceBuilder b;
    b.point({120.5, 80}, 4);
    b.polygon({{100, 100}, {200, 100}, {150, 180}}, 3, {151, 181});
    return b.result();
}

SampleTrace fullTable() {
    constexpr int kBlockRecords = 12;
    TraceBuilder b;
    const auto origin = [](int block) {
        return QPointF((block % 30) * 250.0, (block / 30) * 150.0);
    };
    const auto corners = [](QPointF o) {
        return std::vector<QPointF>{o + QPointF(20, 10), o + QPointF(80.3, 10),
                                    o + QPointF(80.3, 60.7), o + QPointF(20, 60.7)};
    };
    int block = 0;
    for (; block < kSlotCount / kBlockRecords; ++block) {
        const QPointF o = origin(block);
        const int other = kOtherCodes[std::size_t(block % 4)];
        b.point(o + QPointF(5.5, 3.2), other);
        b.polygon(corners(o), other, {-7777.7, -8888.8});
        b.sequence({o + QPointF(100, 10), o + QPointF(150.5, 40), o + QPointF(190, 15.5)});
        // One segment, then a record of another code: it stands as a point of its own.
        b.sequence({o + QPointF(100, 80), o + QPointF(180, 90)});
        b.point(o + QPointF(200, 100.1), other);
    }
    // The last five slots: a point and a polygon that the table ends inside of.
    b.point(origin(block) + QPointF(5.5, 3.2), kOtherCodes[0]);
    b.sequence(corners(origin(block)));
    if (b.recordCount() != kSlotCount)
        qFatal("the full table holds %d records", b.recordCount());
    return b.result();
}

ClassedSample classedSample() {
    const QString catalogue = QStringLiteral(R"(
[建物]
kind = polygon
colour = #d04040
layer = BLDG
field = 階数 integer default 1
field = 構造 choice 木造|鉄骨|RC
field = 竣工 date
field = kind text
[等高線]
kind = line
colour = #00ff00
field = 標高 real default 100 step 5
field = 注記 text
[標高点]
kind = point
colour = #0000fe
layer = spot-heights-for-the-whole-map-series
field = 標高 real
[危険/区域:"A"]
kind = point
field = description_one text
field = description_two integer
field = 階数 text
)");
    ClassedFeatures features;
    TraceBuilder b;
    auto classed = [&](const char *name, const QVariantMap &values) {
        b.className = QString::fromUtf8(name);
        if (!b.className.isEmpty())
            features.insert(b.recordCount(), {b.className, values});
    };
    classed("標高点", {{QStringLiteral("標高"), 12.5}});
    b.point({120.5, 80}, 4);
    classed("建物", {{QStringLiteral("階数"), qlonglong(3)},
                     {QStringLiteral("構造"), QStringLiteral("RC")},
                     {QStringLiteral("竣工"), QDate(2020, 4, 1)},
                     {QStringLiteral("kind"), QStringLiteral("木造住宅")}});
    b.polygon({{100, 100}, {200, 100}, {200, 180}, {100, 180}}, 3, {1, 1});
    classed("", {});
    b.polygon({{300, 100}, {400, 100}, {350, 180}}, 9, {2, 2});
    classed("等高線",
            {{QStringLiteral("標高"), 105.0}, {QStringLiteral("注記"), QStringLiteral("主曲線")}});
    b.sequence({{100, 300}, {200, 320}, {300, 300}});
    classed("建物", {{QStringLiteral("階数"), qlonglong(1)}});
    b.sequence({{100, 400}, {200, 420}, {300, 400}});
    classed("等高線", {});
    b.sequence({{100, 500}, {200, 520}});
    classed("危険/区域:\"A\"", {{QStringLiteral("description_one"), QString(300, u'あ')},
                                {QStringLiteral("description_two"), qlonglong(42)},
                                {QStringLiteral("階数"), QStringLiteral("二階")}});
    b.point({400, 500}, 4);
    return {b.result(), *ClassCatalogue::read(catalogue), features};
}

} // namespace digitrace::test
