#pragma once

#include "topology/topology_check.h"

#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

namespace digitrace {

// The topology check's findings, marked over the drawing area's picture and never into it: a
// see-through layer on top of the area that follows its size and the view as it changes.
class TopologyMarkers : public QWidget {
    Q_OBJECT
public:
    // `area` shows the picture; `toArea` maps a tablet point to the area as the picture does.
    TopologyMarkers(QWidget &area, std::function<QPointF(QPointF)> toArea);
    void showFindings(std::vector<TopologyFinding> findings);
    // The finding the list points at is marked larger; none for no such finding.
    void setCurrent(std::optional<std::size_t> index);
    const std::vector<TopologyFinding> &findings() const { return findings_; }

signals:
    // The area took a new size; its picture is still drawn for the old one.
    void areaResized();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    std::function<QPointF(QPointF)> toArea_;
    std::vector<TopologyFinding> findings_;
    std::optional<std::size_t> current_;
};

// The colour a finding of `kind` is marked in, the same in the list.
QColor findingColour(FindingKind kind);

} // namespace digitrace
