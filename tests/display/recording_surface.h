#pragma once

#include "display/drawing_surface.h"

#include <QString>
#include <QStringList>

#include <initializer_list>

namespace digitrace {

// Records every call as a line of text ("pset 2200 2900 red") and passes it on to `target`, if
// any.
class RecordingSurface : public DrawingSurface {
public:
    explicit RecordingSurface(DrawingSurface *target = nullptr) : target_(target) {}

    QStringList calls;

    void refresh() override;
    Rgb backColor() const override;
    void setBackColor(Rgb colour) override;
    void pset(float x, float y, Rgb colour) override;
    void lineTo(float x, float y, Rgb colour) override;
    void line(float x1, float y1, float x2, float y2, Rgb colour) override;
    void circle(float x, float y, float radius, Rgb colour) override;
    std::uint32_t generation() const override;

private:
    void record(const QString &op, std::initializer_list<float> values, Rgb colour);

    DrawingSurface *target_;
    Rgb back_;
};

} // namespace digitrace
