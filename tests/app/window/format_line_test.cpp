#include "acquisition/qt_serial_port.h"
#include "acquisition/simulated_port.h"
#include "app/window/port_feature.h"
#include "fakes.h"
#include "tests/acquisition/fakes.h"
#include "tests/support/pseudo_terminal.h"
#include "tests/support/whole_count_sheet.h"
#include "tools/digitizer_sim/capture_encoder.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace digitrace {
namespace {

// Every field of the trace the screen, the values and the DXF are made of.
QStringList traceFields(const TraceModel &model) {
    const TraceStore &s = model.store();
    QStringList fields;
    for (int i = 0; i < s.PtCount; ++i)
        fields << QStringLiteral("%1 %2 %3").arg(s.Pt.Code[i]).arg(s.Pt.X[i]).arg(s.Pt.Y[i]);
    fields << QStringLiteral("%1 %2 %3 %4 %5 %6")
                  .arg(s.PtCount)
                  .arg(s.PointCount)
                  .arg(s.LineCount)
                  .arg(s.PolyCount)
                  .arg(s.MinX)
                  .arg(s.MaxY);
    for (int f = 0; f < kDisplayFieldCount; ++f)
        fields << model.text(DisplayField(f));
    return fields;
}

// The trace a window makes of `bytes` arriving over a pseudo-terminal read as `format`.
QStringList traceOverALine(const TabletFormat &format, const QByteArray &bytes, int records) {
    test::FirstStart firstStart;
    TraceModel model(QLocale::c());
    QtSerialPort port;
    test::FakeDialogs dialogs;
    frmTrace1 window(model, port, &dialogs);
    test::PseudoTerminal far;
    if (!far.isValid())
        return {QStringLiteral("no pseudo-terminal")};
    // Eight data bits, so that the binary formats' high bit passes.
    window.features().port.usePortChoice({far.device(), {19200, 'n', 8, 1, 'n'}, 1, format});
    window.Command1_Click();
    if (!window.Connected())
        return dialogs.warnings;
    QSignalSpy taken(&window.features().session, &TracingSession::recordTaken);
    const test::ChunkedWriter writer(far.fd(), bytes, 64, unsigned(records));
    if (!test::waitForCount(taken, records))
        return {QStringLiteral("%1 of %2 records arrived").arg(taken.count()).arg(records)};
    window.Command2_Click();
    return traceFields(model);
}

// The sample sheet, sent in every format the way its tablet sends it (hovering, pressing, holding
// and releasing), gives exactly the trace it gives in fixed19.
TEST(FormatsOverALine, EveryFormatGivesTheTraceOfTheDesignedRecord) {
    const QByteArray sheet = test::wholeCountSheet(SimulatedPort::bundledSample());
    const int records = int(sheet.count('\r'));
    // The sheet uses codes 0 to 5 and 7, which fit even the three button bits of summa-mm.
    const ButtonTable buttons = *ButtonTable::fromText(u"1=1 2=2 3=3 4=4 5=5 6=0 7=7");
    const QStringList expected = traceOverALine(TabletFormat(), sheet, records);
    ASSERT_GT(expected.size(), records) << expected.join(u'\n').toStdString();

    QStringList names = builtInFormatNames().mid(1);
    names << QStringLiteral("custom");
    for (const QString &name : names) {
        SCOPED_TRACE(name.toStdString());
        TabletFormat format;
        if (name == u"custom") {
            format.kind = FormatKind::Custom;
            format.strict = true;
            format.layout = *CustomLayout::fromText(
                "order = button,y,x\nseparator = ;\nline-end = lf\n", nullptr);
        } else {
            format = *TabletFormat::named(name);
        }
        format.buttons = buttons;
        CaptureEncoder encoder(format);
        const QByteArray encoded = encoder.convert(sheet);
        ASSERT_FALSE(encoded.isEmpty()) << encoder.error().toStdString();
        EXPECT_EQ(traceOverALine(format, encoded, records), expected);
    }
}

} // namespace
} // namespace digitrace
