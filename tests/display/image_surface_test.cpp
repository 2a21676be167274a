#include "display/image_surface.h"
#include "display/renderer.h"
#include "test_trace.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include <memory>

namespace digitrace {
namespace {

QRgb rgb(Rgb c) {
    return qRgb(c.r, c.g, c.b);
}

constexpr QRgb kRed = 0xffff0000;
constexpr QRgb kYellow = 0xffffff00;
constexpr QRgb kGreen = 0xff00ff00;
constexpr QRgb kMagenta = 0xffff00ff;

TEST(ImageSurface, SampleTraceHasEachColourWhereItBelongs) {
    auto store = std::make_unique<TraceStore>();
    // Screen point = (120 + X, 80 - Y).
    loadTrace(*store,
              {{1, -100, 60},
               {2, -40, 60},
               {2, -40, 20},
               {0, 0, 0}, // a triangle
               {1, 0, 40},
               {1, 20, 40},
               {2, 60, 40}, // a start superseded
               {1, -80, -40},
               {0, 40, -40}}, // a dot, then a marker
              {0, 0, 1, 120, 80});
    ImageSurface surface(QSize(240, 160));
    Renderer(*store, surface).Redraw(kConnectedBackground);
    const QImage &image = surface.image();

    const QString png = QStringLiteral(DIGITRACE_TEST_OUTPUT "/display_sample.png");
    EXPECT_TRUE(image.save(png)) << png.toStdString();

    const struct {
        int x, y;
        QRgb colour;
        const char *what;
    } samples[] = {
        {50, 20, kYellow, "first segment"},
        {80, 40, kYellow, "second segment"},
        {50, 40, kYellow, "closing segment"},
        {160, 40, kYellow, "line from the later start"},
        {120, 40, rgb(kConnectedBackground), "superseded start"},
        {40, 120, kRed, "start dot"},
        {175, 120, kGreen, "marker circle, right"},
        {160, 105, kGreen, "marker circle, top"},
        {160, 120, kMagenta, "marker centre"},
        {5, 150, rgb(kConnectedBackground), "empty area"},
    };
    for (const auto &s : samples)
        EXPECT_EQ(QColor(image.pixel(s.x, s.y)).name(), QColor(s.colour).name()) << s.what;
}

TEST(ImageSurface, HighDensityImageHoldsMoreDevicePixels) {
    ImageSurface surface(QSize(30, 20), 2.0, kConnectedBackground);
    surface.pset(10, 5, {255, 0, 0});
    const QImage &image = surface.image();
    EXPECT_EQ(image.size(), QSize(60, 40));
    EXPECT_EQ(surface.size(), QSize(30, 20));
    EXPECT_EQ(image.pixel(20, 10), kRed);
}

TEST(ImageSurface, ResizeKeepsThePictureAndFillsNewAreaWithTheBackground) {
    ImageSurface surface(QSize(20, 10), 1.0, kConnectedBackground);
    surface.pset(15, 5, {255, 0, 0});
    surface.resize(QSize(40, 30));
    EXPECT_EQ(surface.image().pixel(15, 5), kRed);
    EXPECT_EQ(surface.image().pixel(35, 25), rgb(kConnectedBackground));
    surface.resize(QSize(16, 8));
    EXPECT_EQ(surface.image().size(), QSize(16, 8));
    EXPECT_EQ(surface.image().pixel(15, 5), kRed);
}

// A minimised window leaves an empty drawing area; drawing into it must neither warn nor crash,
// and the area must come back at its pixel ratio.
TEST(ImageSurface, EmptyAreaDrawsNothingAndKeepsItsRatio) {
    static int messages = 0;
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext &, const QString &) { ++messages; });
    ImageSurface surface(QSize(0, 0), 2.0, kConnectedBackground);
    surface.pset(0, 0, {255, 0, 0});
    surface.lineTo(0, 0, {255, 255, 0});
    surface.line(-5, 0, 5, 0, {255, 255, 0});
    surface.circle(0, 0, 15, {0, 255, 0});
    EXPECT_TRUE(surface.image().isNull());
    qInstallMessageHandler(previous);
    EXPECT_EQ(messages, 0);
    surface.resize(QSize(10, 10));
    EXPECT_EQ(surface.image().size(), QSize(20, 20));
}

TEST(ImageSurface, SettingTheBackgroundErasesEverything) {
    ImageSurface surface(QSize(20, 10));
    surface.line(0, 0, 19, 9, {255, 255, 0});
    surface.setBackColor(kDisconnectedBackground);
    EXPECT_EQ(surface.backColor(), kDisconnectedBackground);
    QImage expected(QSize(20, 10), QImage::Format_RGB32);
    expected.fill(rgb(kDisconnectedBackground));
    EXPECT_EQ(surface.image(), expected);
}

// The rasteriser's fixed-point arithmetic would draw these in the wrong place.
TEST(ImageSurface, FarAwayEndsDrawTheSamePixelsAsNearOnes) {
    const Rgb yellow{255, 255, 0};
    ImageSurface far(QSize(100, 60));
    ImageSurface near(QSize(100, 60));
    far.line(10, 10, 1e20f, 1e20f, yellow);
    near.line(10, 10, 1000, 1000, yellow);
    far.pset(50, 3e30f, yellow);
    far.lineTo(50, -3e30f, yellow);
    near.line(50, 1000, 50, -1000, yellow);
    far.line(-1e30f, 30, 1e30f, 30, yellow);
    near.line(-1000, 30, 1000, 30, yellow);
    far.line(1e20f, 1e20f, 2e20f, -1e20f, yellow); // misses the image
    far.circle(1e20f, 30, 15, {0, 255, 0});
    EXPECT_EQ(far.image(), near.image());
}

} // namespace
} // namespace digitrace
