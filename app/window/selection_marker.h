#pragma once

#include "display/feature_pick.h"

#include <QWidget>

#include <functional>
#include <optional>

namespace digitrace {

// The selected feature, marked over the drawing area's picture and never into it: a see-through
// layer on top of the area that follows its size and the view as it changes. It tells of clicks
// in the area, which select.
class SelectionMarker : public QWidget {
    Q_OBJECT
public:
    // `area` shows the picture; `toArea` maps a tablet point to the area as the picture does.
    SelectionMarker(QWidget &area, std::function<QPointF(QPointF)> toArea);
    void mark(std::optional<FeatureOutline> outline);
    const std::optional<FeatureOutline> &marked() const { return outline_; }

signals:
    // The area was clicked at `at`, not dragged.
    void areaClicked(QPointF at);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    std::function<QPointF(QPointF)> toArea_;
    std::optional<FeatureOutline> outline_;
    std::optional<QPointF> pressedAt_;
};

} // namespace digitrace
