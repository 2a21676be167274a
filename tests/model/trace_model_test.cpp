#include "model/trace_model.h"

#include "tests/support/record_text.h"

#include <gtest/gtest.h>

#include <vector>

namespace digitrace {
namespace {

using test::recordText;

const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);
const QString kMetre = QString::fromUtf16(u" \uFF4D");

class RecordingDisplay : public TraceDisplay {
public:
    void showText(DisplayField field, const QString &text) override {
        writes.push_back({field, text});
    }
    void clearDrawingArea() override {
        writes.push_back({DisplayField::Caption, QStringLiteral("<clear>")});
    }
    std::vector<std::pair<DisplayField, QString>> writes;
};

RecordOutcome take(TraceModel &m, const QString &record) {
    return m.takeRecord(record);
}

TraceModel freshModel(float scale = 1000) {
    TraceModel m(kEnglish);
    m.ResetTrace();
    m.setScaleDenom(scale);
    m.setHalfSize(300, 175);
    return m;
}

void takeCodes(TraceModel &m, const std::vector<int> &codes) {
    for (std::size_t i = 0; i < codes.size(); ++i)
        take(m, recordText(10.0 * double(i), 5.0 * double(i % 3), codes[i]));
}

struct TransitionCase {
    std::vector<int> codes;
    int ptCount, points, lines, polys;
    bool seqOpen;
    int seqVertices, seqStart;
};

class TransitionTest : public testing::TestWithParam<TransitionCase> {};

TEST_P(TransitionTest, CountsAndSequenceState) {
    const TransitionCase &c = GetParam();
    TraceModel m = freshModel();
    takeCodes(m, c.codes);
    const TraceStore &s = m.store();
    EXPECT_EQ(s.PtCount, c.ptCount);
    EXPECT_EQ(s.PointCount, c.points);
    EXPECT_EQ(s.LineCount, c.lines);
    EXPECT_EQ(s.PolyCount, c.polys);
    EXPECT_EQ(s.SeqOpen, c.seqOpen);
    EXPECT_EQ(s.SeqVertices, c.seqVertices);
    EXPECT_EQ(s.SeqStart, c.seqStart);
    EXPECT_EQ(m.text(DisplayField::Points), QString::number(c.points));
    EXPECT_EQ(m.text(DisplayField::Lines), QString::number(c.lines));
    EXPECT_EQ(m.text(DisplayField::Poly), QString::number(c.polys));
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, TransitionTest,
    testing::Values(TransitionCase{{2}, 0, 0, 0, 0, false, 0, 0},
                    TransitionCase{{1}, 1, 0, 0, 0, true, 1, 0},
                    TransitionCase{{1, 2}, 2, 0, 1, 0, true, 2, 0},
                    TransitionCase{{1, 2, 2}, 3, 0, 1, 0, true, 3, 0},
                    TransitionCase{{1, 2, 2, 3}, 4, 0, 0, 1, false, 0, 0},
                    TransitionCase{{1, 2, 3}, 3, 1, 1, 0, false, 0, 0},
                    TransitionCase{{1, 3}, 2, 1, 0, 0, false, 0, 0},
                    TransitionCase{{1, 1}, 2, 0, 0, 0, true, 1, 1},
                    TransitionCase{{1, 2, 2, 1, 2}, 5, 0, 2, 0, true, 2, 3},
                    TransitionCase{{3}, 1, 1, 0, 0, false, 0, 0},
                    TransitionCase{{0, 9}, 2, 2, 0, 0, false, 0, 0},
                    TransitionCase{{3, 2}, 1, 1, 0, 0, false, 0, 0},
                    TransitionCase{{1, 2, 2, 2, 2, 4, 1, 2, 2, 0}, 10, 0, 0, 2, false, 0, 6}));

TEST(AddRecord, SquareAtOneToThousandStepByStep) {
    TraceModel m = freshModel(1000);
    const double xs[] = {0, 100, 100, 0, 55}, ys[] = {0, 0, 100, 100, 77};
    const int codes[] = {1, 2, 2, 2, 3};
    const char *expected[][3] = {{"0.00", "0.00", "0.00"},
                                 {"100.00", "100.00", "0.00"},
                                 {"100.00", "200.00", "0.00"},
                                 {"100.00", "300.00", "0.00"},
                                 {"100.00", "400.00", "10,000.0000"}};
    for (int i = 0; i < 5; ++i) {
        take(m, recordText(xs[i], ys[i], codes[i]));
        const QString unit = i == 0 ? QString() : kMetre;
        EXPECT_EQ(m.text(DisplayField::Length), QLatin1String(expected[i][0]) + unit) << i;
        EXPECT_EQ(m.text(DisplayField::LenAll), QLatin1String(expected[i][1]) + unit) << i;
        const QString areaUnit = i == 4 ? kMetre + u'2' : QString();
        EXPECT_EQ(m.text(DisplayField::Area), QLatin1String(expected[i][2]) + areaUnit) << i;
    }
    // The closing record's position is no vertex: the view still fits the square.
    EXPECT_EQ(m.store().MaxX, 100);
    EXPECT_EQ(m.store().ViewCx, 50);
}

TEST(AddRecord, PointsLeaveTheMeasurementsOfTheLastLine) {
    TraceModel m = freshModel();
    takeCodes(m, {1, 2, 2, 3});
    const QString length = m.text(DisplayField::Length), all = m.text(DisplayField::LenAll);
    const QString area = m.text(DisplayField::Area);
    takeCodes(m, {3});
    EXPECT_EQ(m.text(DisplayField::Length), length);
    EXPECT_EQ(m.text(DisplayField::LenAll), all);
    EXPECT_EQ(m.text(DisplayField::Area), area);
}

TEST(AddRecord, WritesLabelsInOrder) {
    TraceModel m = freshModel();
    RecordingDisplay display;
    m.setDisplay(&display);
    m.ResetTrace();
    std::vector<DisplayField> order;
    for (auto &w : display.writes)
        order.push_back(w.first);
    EXPECT_EQ(order, (std::vector<DisplayField>{DisplayField::Caption, DisplayField::Area,
                                                DisplayField::Length, DisplayField::LenAll,
                                                DisplayField::Lines, DisplayField::Points,
                                                DisplayField::Poly, DisplayField::Caption}));
    EXPECT_EQ(display.writes.front().second, kCaptionUnsaved);
    EXPECT_EQ(display.writes.back().second, QStringLiteral("<clear>"));

    takeCodes(m, {1, 2, 2});
    display.writes.clear();
    takeCodes(m, {3});
    order.clear();
    for (auto &w : display.writes)
        order.push_back(w.first);
    EXPECT_EQ(order, (std::vector<DisplayField>{DisplayField::Length, DisplayField::LenAll,
                                                DisplayField::Area, DisplayField::Lines,
                                                DisplayField::Points, DisplayField::Poly}));
}

TEST(AddRecord, ParsesFixedColumns) {
    struct Row {
        const char *x, *y, *rest; // nine columns each, then whatever follows
        float expectX, expectY, expectCode;
    };
    const Row rows[] = {
        {"  1234.45", "  1234.55", "", 1234.4f, 1234.6f, 0},
        {"  1234.56", "123456.78", "1\r", 1234.6f, 123456.796875f, 1},
        {"     12,5", "         ", "4", 12, 0, 4},
        {"    -0.05", "     0.15", "3\rjunk", -0.0f, 0.2f, 3},
        {"1e3      ", "-2.5e1   ", "x\r", 1000, -25, 0},
        {"  7\t.0   ", "\n  8.0   ", "-\r", 7, 8, 0},
        {"      7.0", "      8.0", " 9\r", 7, 8, 0},
        {"\r", "", "", 0, 0, 0},
        {"  5", "", "", 5, 0, 0},
    };
    for (const Row &r : rows) {
        const QString text = QLatin1String(r.x) + QLatin1String(r.y) + QLatin1String(r.rest);
        TraceModel m = freshModel();
        ASSERT_EQ(m.AddRecord(text), RecordOutcome::Kept) << text.toStdString();
        EXPECT_EQ(m.store().Pt.X[0], r.expectX) << text.toStdString();
        EXPECT_EQ(m.store().Pt.Y[0], r.expectY) << text.toStdString();
        EXPECT_EQ(m.store().Pt.Code[0], r.expectCode) << text.toStdString();
    }
}

TEST(AddRecord, FirstRecordFitsTheView) {
    TraceModel m = freshModel();
    take(m, recordText(120.5, -80, 4));
    const TraceStore &s = m.store();
    EXPECT_EQ(s.MinX, 120.5f);
    EXPECT_EQ(s.MaxX, 120.5f);
    EXPECT_EQ(s.MinY, -80.0f);
    EXPECT_EQ(s.MaxY, -80.0f);
    EXPECT_EQ(s.ViewCx, 120.5f);
    EXPECT_EQ(s.ViewCy, -80.0f);
    EXPECT_EQ(s.ViewZoom, 0.9f);

    take(m, recordText(1120.5, -80, 4)); // dx = 1000 > HalfW: zoom 0.9 * 300 / 1000
    EXPECT_EQ(m.store().ViewZoom, float(double(300.0f / 1000.0f) * 0.9));
    take(m, recordText(1120.5, 20, 4)); // dy = 100: HalfH / dy = 1.75, the width still wins
    EXPECT_EQ(m.store().ViewZoom, float(double(300.0f / 1000.0f) * 0.9));
    EXPECT_EQ(m.store().ViewCy, -30.0f);
}

// The box keeps its reset values of +-2000 where the records lie beyond them, as files made before
// rely on; the view fits the records' own extent.
TEST(AddRecord, BoxKeepsItsResetValuesTheViewFitsTheRecords) {
    struct Row {
        const char *name;
        float x1, x2;
        float minX, maxX;
        float viewCx;
    } rows[] = {
        {"wholly above 2000", 12500, 12600, 2000, 12600, 12550},
        {"wholly below -2000", -5000, -4000, -5000, -2000, -4500},
        {"straddling", -3000, 3000, -3000, 3000, 0},
        {"within", -100, 300, -100, 300, 100},
    };
    for (const Row &r : rows) {
        TraceModel m = freshModel();
        take(m, recordText(r.x1, 10, 3));
        take(m, recordText(r.x2, 10, 3));
        const TraceStore &s = m.store();
        EXPECT_EQ(s.MinX, r.minX) << r.name;
        EXPECT_EQ(s.MaxX, r.maxX) << r.name;
        EXPECT_EQ(s.MinY, 10) << r.name;
        EXPECT_EQ(s.MaxY, 10) << r.name;
        EXPECT_EQ(s.viewExtent.minX, std::min(r.x1, r.x2)) << r.name;
        EXPECT_EQ(s.viewExtent.maxX, std::max(r.x1, r.x2)) << r.name;
        EXPECT_EQ(s.ViewCx, r.viewCx) << r.name;
    }
}

TEST(AddRecord, FullTableRefusesWithoutTouchingAnything) {
    TraceModel m = freshModel();
    for (int i = 0; i < kSlotCount; ++i)
        ASSERT_EQ(take(m, recordText(i % 100, i / 100, 3)), RecordOutcome::Kept);
    ASSERT_EQ(m.store().PtCount, kSlotCount);
    RecordingDisplay display;
    m.setDisplay(&display);
    const TraceStore before = m.store();
    EXPECT_EQ(take(m, recordText(5, 5, 3)), RecordOutcome::RefusedFull);
    EXPECT_EQ(m.store().PtCount, kSlotCount);
    EXPECT_EQ(m.store().PointCount, before.PointCount);
    EXPECT_EQ(m.store().ViewCx, before.ViewCx);
    EXPECT_TRUE(display.writes.empty());
}

TEST(AddRecord, CoordinatesBeyondFloatAreRefused) {
    for (const QString &text :
         {QStringLiteral("     1e39      1.0 3\r"), QStringLiteral("      1.0    -9e99 3\r"),
          QStringLiteral("   1e9999        0 1\r"), QStringLiteral("     1e38        0 3\r")}) {
        TraceModel m = freshModel();
        take(m, recordText(1, 2, 3));
        RecordingDisplay display;
        m.setDisplay(&display);
        EXPECT_EQ(take(m, text), RecordOutcome::RefusedOutOfRange) << text.toStdString();
        EXPECT_EQ(m.store().PtCount, 1);
        EXPECT_EQ(m.store().Pt.X[1], 0.0f);
        EXPECT_TRUE(display.writes.empty());
    }
}

TEST(AddRecord, HugeButFiniteCoordinatesKeepTheViewFinite) {
    TraceModel m = freshModel();
    takeCodes(m, {});
    take(m, QStringLiteral("  -8.5e37  -8.5e371\r"));
    take(m, QStringLiteral("   8.5e37   8.5e372\r"));
    take(m, QStringLiteral("   8.5e37  -8.5e372\r"));
    take(m, QStringLiteral("        0        03\r"));
    const TraceStore &s = m.store();
    EXPECT_TRUE(std::isfinite(s.ViewCx) && std::isfinite(s.ViewCy) && std::isfinite(s.ViewZoom));
    for (DisplayField f : {DisplayField::Length, DisplayField::LenAll, DisplayField::Area})
        EXPECT_FALSE(m.text(f).contains(QLatin1String("inf"))) << m.text(f).toStdString();
}

TEST(DropLast, KeepsCountsAndFreesTheSlot) {
    TraceModel m = freshModel();
    m.dropLast();
    EXPECT_EQ(m.store().PtCount, 0);

    takeCodes(m, {1, 2});
    m.dropLast();
    EXPECT_EQ(m.store().PtCount, 1);
    EXPECT_EQ(m.store().LineCount, 1);
    EXPECT_EQ(m.text(DisplayField::Lines), QStringLiteral("1"));
    // The next record goes to the freed slot and follows the start record now last.
    take(m, recordText(77, 0, 2));
    EXPECT_EQ(m.store().Pt.X[1], 77);
    EXPECT_EQ(m.store().LineCount, 2);
}

TEST(DropLast, VerticesOutsideAnOpenLineAreKeptUncounted) {
    TraceModel m = freshModel();
    takeCodes(m, {1, 2, 3}); // the 3 counts a point and ends the sequence
    m.dropLast();
    EXPECT_EQ(take(m, recordText(500, 500, 2)),
              RecordOutcome::Kept); // after a vertex, no open line
    EXPECT_EQ(m.store().PtCount, 3);
    EXPECT_EQ(m.store().LineCount, 1);
    EXPECT_EQ(m.store().MaxX, 500); // still widens the box

    TraceModel n = freshModel();
    takeCodes(n, {1, 2, 2, 3});
    n.dropLast();
    take(n, recordText(1, 1, 3)); // after a vertex with the sequence already closed
    EXPECT_EQ(n.store().PolyCount, 1);
    EXPECT_EQ(n.store().PointCount, 0);
}

TEST(DropLast, ReplayedRecordsNeverWrapTheCounts) {
    TraceModel m = freshModel();
    m.unguardedStore().PointCount = 32767;
    takeCodes(m, {3});
    m.dropLast();
    takeCodes(m, {3});
    EXPECT_EQ(m.store().PointCount, 32767);
    EXPECT_EQ(m.text(DisplayField::Points), QStringLiteral("32767"));
}

TEST(DropLast, ReplayedCloseNeverMakesLineCountNegative) {
    TraceModel m = freshModel();
    takeCodes(m, {1, 2, 2, 2, 3}); // one polygon, no line
    m.dropLast();
    takeCodes(m, {1});
    m.dropLast();
    takeCodes(m, {2, 2, 3});
    EXPECT_EQ(m.store().PolyCount, 2);
    EXPECT_EQ(m.store().LineCount, 0);
}

TEST(ResetTrace, EmptiesTheJobButKeepsViewAndScale) {
    TraceModel m = freshModel(2500);
    takeCodes(m, {1, 2, 2, 3, 3});
    m.setSaveFileName(QStringLiteral("/tmp/a.dxf"));
    EXPECT_EQ(m.text(DisplayField::Caption),
              QString::fromUtf16(u"デジタイザートレース [ 保存ファイル名: /tmp/a.dxf ]"));
    const float zoom = m.store().ViewZoom;
    m.ResetTrace();
    const TraceStore &s = m.store();
    EXPECT_EQ(s.PtCount, 0);
    EXPECT_TRUE(s.SaveFileName.isEmpty());
    EXPECT_TRUE(s.viewExtent.empty);
    EXPECT_EQ(s.MinX, 2000);
    EXPECT_EQ(s.MaxY, -2000);
    EXPECT_EQ(s.ScaleDenom, 2500);
    EXPECT_EQ(s.ViewZoom, zoom);
    EXPECT_EQ(m.text(DisplayField::Caption), kCaptionUnsaved);
    EXPECT_EQ(m.text(DisplayField::Area), QStringLiteral("0.00"));
    EXPECT_EQ(m.text(DisplayField::Poly), QStringLiteral("0"));
    take(m, recordText(9, 9, 3));
    EXPECT_EQ(m.store().Pt.X[0], 9);
}

} // namespace
} // namespace digitrace
