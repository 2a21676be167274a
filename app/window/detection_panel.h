#pragma once

#include "app/window/line_listener.h"

#include <QGroupBox>

#include <optional>

class QHBoxLayout;
class QLabel;
class QPushButton;

namespace digitrace {

// 自動検出: listens to the idle line through a LineListener, shows what it heard and lets the
// operator take it. Without a listener, or while connected, it says why it is not offered.
class DetectionPanel : public QGroupBox {
    Q_OBJECT
public:
    // `listener` may be null: the line cannot be listened to from here.
    explicit DetectionPanel(LineListener *listener, QWidget *parent = nullptr);

    void setConnected(bool connected);
    // The last result shown and not yet taken or dismissed.
    const std::optional<LineDetection> &detection() const { return detection_; }
    QPushButton *detectButton() const { return detect_; }
    QPushButton *acceptButton() const { return accept_; }
    // When several formats read the line differently: one button for each of the others.
    const QList<QPushButton *> &otherAcceptButtons() const { return otherAccepts_; }
    QString resultText() const;

signals:
    // The operator asked to listen: the dialog says to which device and from which settings.
    void listenRequested();
    void accepted(const LineDetection &detection);

private:
    void showTrying(const LineSettings &line);
    void showFound(const LineDetection &detection);
    void showNothing(const QString &reason);
    void dismiss();
    void updateOffer();

    LineListener *listener_;
    bool connected_ = false;
    std::optional<LineDetection> detection_;
    QPushButton *detect_, *accept_, *reject_;
    QList<QPushButton *> otherAccepts_;
    QHBoxLayout *answer_;
    QLabel *status_, *result_;
};

} // namespace digitrace
