#include "recording_surface.h"

namespace digitrace {
namespace {

QString colourName(Rgb c) {
    if (c == Rgb{255, 0, 0})
        return QStringLiteral("red");
    if (c == Rgb{255, 255, 0})
        return QStringLiteral("yellow");
    if (c == Rgb{0, 255, 0})
        return QStringLiteral("green");
    if (c == Rgb{255, 0, 255})
        return QStringLiteral("magenta");
    if (c == kConnectedBackground)
        return QStringLiteral("connected");
    if (c == kDisconnectedBackground)
        return QStringLiteral("disconnected");
    return QStringLiteral("rgb(%1,%2,%3)").arg(c.r).arg(c.g).arg(c.b);
}

} // namespace

void RecordingSurface::record(const QString &op, std::initializer_list<float> values, Rgb colour) {
    QString text = op;
    for (float v : values)
        text += u' ' + QString::number(v, 'g', 9);
    calls << text + u' ' + colourName(colour);
}

void RecordingSurface::refresh() {
    calls << QStringLiteral("refresh");
    if (target_)
        target_->refresh();
}

Rgb RecordingSurface::backColor() const {
    return target_ ? target_->backColor() : back_;
}

void RecordingSurface::setBackColor(Rgb colour) {
    calls << QStringLiteral("back ") + colourName(colour);
    back_ = colour;
    pictureReplaced();
    if (target_)
        target_->setBackColor(colour);
}

std::uint32_t RecordingSurface::generation() const {
    return target_ ? target_->generation() : DrawingSurface::generation();
}

void RecordingSurface::pset(float x, float y, Rgb colour) {
    record(QStringLiteral("pset"), {x, y}, colour);
    if (target_)
        target_->pset(x, y, colour);
}

void RecordingSurface::lineTo(float x, float y, Rgb colour) {
    record(QStringLiteral("lineTo"), {x, y}, colour);
    if (target_)
        target_->lineTo(x, y, colour);
}

void RecordingSurface::line(float x1, float y1, float x2, float y2, Rgb colour) {
    record(QStringLiteral("line"), {x1, y1, x2, y2}, colour);
    if (target_)
        target_->line(x1, y1, x2, y2, colour);
}

void RecordingSurface::circle(float x, float y, float radius, Rgb colour) {
    record(QStringLiteral("circle"), {x, y, radius}, colour);
    if (target_)
        target_->circle(x, y, radius, colour);
}

} // namespace digitrace
