#include "app/window/tablet_cursor.h"

#include "app/window/status_feature.h"
#include "display/view_state.h"
#include "display/widget/drawing_area.h"
#include "tracing/tracing_session.h"

#include <QEvent>
#include <QPainter>
#include <QWidget>

namespace digitrace {
namespace {

constexpr qreal kMarkerHalf = 5;

} // namespace

// A small see-through layer over the drawing area with a ring where a press would be taken.
class SnapMarker : public QWidget {
public:
    explicit SnapMarker(QWidget &area) : QWidget(&area) {
        setObjectName(QStringLiteral("snapMarker"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
        setGeometry(area.rect());
        area.installEventFilter(this);
        hide();
    }
    void markAt(std::optional<QPointF> at) {
        at_ = at;
        setVisible(at_.has_value());
        update();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Resize)
            setGeometry(static_cast<QWidget *>(watched)->rect());
        return false;
    }
    void paintEvent(QPaintEvent *) override {
        if (!at_)
            return;
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(QColor(255, 0, 255), 2));
        painter.drawEllipse(*at_, kMarkerHalf, kMarkerHalf);
    }

private:
    std::optional<QPointF> at_;
};

TabletCursor::TabletCursor(TracingSession &session, DrawingArea &area, const ViewState &view,
                           StatusFeature &status, QObject *parent)
    : QObject(parent), session_(session), area_(area), view_(view), status_(status),
      marker_(new SnapMarker(area)) {
    area_.setAreaMapping([this](QPointF tablet) { return view_.cursorAreaPoint(tablet); });
    connect(&session.reception(), &Reception::positionReported, this, &TabletCursor::moveTo);
    connect(&session, &TracingSession::connectionEnded, this, &TabletCursor::hide);
}

void TabletCursor::moveTo(qint64 x, qint64 y, bool inProximity) {
    // A closed line may still hand over what it had read.
    if (!inProximity || !session_.isConnected()) {
        hide();
        return;
    }
    position_ = QPointF(double(x), double(y));
    area_.setTabletCursor(position_);
    status_.showTabletCursor(position_, CursorSource::Tablet);
    snapTarget_ = session_.snapPreview(*position_);
    marker_->markAt(snapTarget_ ? view_.cursorAreaPoint(*snapTarget_) : std::nullopt);
}

void TabletCursor::hide() {
    if (!position_)
        return;
    position_.reset();
    snapTarget_.reset();
    marker_->markAt(std::nullopt);
    area_.setTabletCursor(std::nullopt);
    status_.showTabletCursor(std::nullopt, CursorSource::Tablet);
}

} // namespace digitrace
