#include "acquisition/session.h"

#include "model/numeric_value.h"

#include <QScopedValueRollback>

namespace digitrace {

Session::Session(TraceModel &model, SerialPort &port, SessionView &view, QObject *parent)
    : QObject(parent), model_(model), port_(port), view_(view) {
    connect(&port_, &SerialPort::dataArrived, this, &Session::takeWaitingBytes);
    connect(&port_, &SerialPort::failed, this, &Session::endAfterFailure);
}

bool Session::Command1_Click() {
    if (connected_)
        return true;
    model_.ResetTrace();
    port_.setSettings(LineSettings{});
    QString reason;
    if (!port_.open(&reason)) {
        view_.showProblem(QStringLiteral("シリアルポート %1 を開けませんでした。\n%2")
                              .arg(port_.portName(), reason));
        return false;
    }
    framer_.clear();
    pending_.clear();
    model_.store().PtCount = 0;
    // Includes the rule that a scale of 0.1 or less counts as 1.
    model_.store().ScaleDenom = ScaleDenomFromText(view_.scaleText());
    view_.setScaleEnabled(false);
    connected_ = true;
    view_.setConnectEnabled(false);
    view_.setDisconnectEnabled(true);
    view_.setDrawingBackground(kConnectedBackground);
    return true;
}

void Session::Command2_Click() {
    if (!connected_)
        return;
    port_.close();
    connected_ = false;
    framer_.clear();
    pending_.clear();
    view_.setConnectEnabled(true);
    view_.setDisconnectEnabled(false);
    view_.setDrawingBackground(kDisconnectedBackground);
    view_.Redraw(kDisconnectedBackground);
    view_.setScaleEnabled(true);
    emit connectionEnded();
}

void Session::release() {
    if (holds_ > 0 && --holds_ == 0)
        takeWaitingBytes();
}

void Session::takeWaitingBytes() {
    if (!connected_ || holds_ > 0)
        return;
    pending_.append(framer_.feed(port_.readAll()));
    // An outer call, interrupted by the view's nested event loop, takes them in order.
    if (taking_)
        return;
    const QScopedValueRollback busy(taking_, true);
    while (connected_ && holds_ == 0 && !pending_.isEmpty())
        take(pending_.takeFirst());
}

void Session::take(const QString &record) {
    const RecordOutcome outcome = model_.AddRecord(record);
    ++model_.store().PtCount;
    view_.Redraw(kConnectedBackground);
    if (IsRefused(outcome))
        view_.recordRefused(outcome);
    emit recordTaken(outcome);
}

void Session::endAfterFailure(const QString &reason) {
    if (!connected_)
        return;
    const QString device = port_.portName();
    Command2_Click();
    view_.showProblem(
        QStringLiteral(
            "シリアルポート %1 との接続が切れました。\n%2\n受信した記録はそのまま残っています。")
            .arg(device, reason));
}

} // namespace digitrace
