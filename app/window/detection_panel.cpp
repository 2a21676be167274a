#include "app/window/detection_panel.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace digitrace {
namespace {

// "9600 7E1": the speed and the framing as tablet manuals write them.
QString framingText(const LineSettings &line) {
    return QStringLiteral("%1 %2%3%4")
        .arg(line.baudRate)
        .arg(line.dataBits)
        .arg(QChar(line.parity).toUpper())
        .arg(line.stopBits);
}

} // namespace

DetectionPanel::DetectionPanel(LineListener *listener, QWidget *parent)
    : QGroupBox(tr("自動検出"), parent), listener_(listener) {
    detect_ = new QPushButton(tr("自動検出"));
    detect_->setToolTip(tr("数秒間回線を聞き、よく使われる速度とフレームで届いたバイトを"
                           "読める形式を探します。聞いている間にボタンを何度か押してください。"));
    status_ = new QLabel;
    status_->setWordWrap(true);
    result_ = new QLabel;
    result_->setTextFormat(Qt::PlainText);
    result_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    accept_ = new QPushButton(tr("採用"));
    reject_ = new QPushButton(tr("採用しない"));
    auto *answer = new QHBoxLayout;
    answer->addStretch();
    answer->addWidget(accept_);
    answer->addWidget(reject_);
    auto *top = new QHBoxLayout;
    top->addWidget(detect_);
    top->addWidget(status_, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(result_);
    layout->addLayout(answer);

    connect(detect_, &QPushButton::clicked, this, [this] {
        dismiss();
        emit listenRequested();
    });
    connect(accept_, &QPushButton::clicked, this, [this] {
        if (detection_)
            emit accepted(*detection_);
        dismiss();
    });
    connect(reject_, &QPushButton::clicked, this, &DetectionPanel::dismiss);
    if (listener_) {
        connect(listener_, &LineListener::trying, this, &DetectionPanel::showTrying);
        connect(listener_, &LineListener::found, this, &DetectionPanel::showFound);
        connect(listener_, &LineListener::nothingFound, this, &DetectionPanel::showNothing);
    }
    dismiss();
}

void DetectionPanel::setConnected(bool connected) {
    connected_ = connected;
    status_->clear();
    if (connected_ && listener_)
        listener_->stop();
    updateOffer();
}

QString DetectionPanel::resultText() const {
    return result_->isHidden() ? status_->text() : status_->text() + u'\n' + result_->text();
}

void DetectionPanel::showTrying(const LineSettings &line) {
    status_->setText(tr("%1 で聞いています…").arg(framingText(line)));
    updateOffer();
}

void DetectionPanel::showFound(const LineDetection &detection) {
    detection_ = detection;
    QStringList lines{tr("形式 %1、回線 %2 で読めます。")
                          .arg(detection.format.name(), framingText(detection.line))};
    for (const DecodedItem &r : detection.firstRecords)
        lines << tr("  X %1  Y %2  ボタン %3").arg(r.x).arg(r.y).arg(r.button);
    if (detection.firstRecords.isEmpty())
        lines << tr("  （カーソルの位置だけが届き、ボタンの記録はまだありません）");
    status_->setText(tr("見つかりました。採用すると形式と回線の欄に入ります。"));
    result_->setText(lines.join(u'\n'));
    result_->show();
    accept_->show();
    reject_->show();
    updateOffer();
}

void DetectionPanel::showNothing(const QString &reason) {
    status_->setText(reason);
    updateOffer();
}

void DetectionPanel::dismiss() {
    detection_.reset();
    result_->clear();
    result_->hide();
    accept_->hide();
    reject_->hide();
    updateOffer();
}

void DetectionPanel::updateOffer() {
    const bool listening = listener_ && listener_->isListening();
    detect_->setEnabled(listener_ && !connected_ && !listening);
    if (connected_)
        status_->setText(tr("接続中は自動検出できません。回線は受信に使われています。"
                            "切断してから試してください。"));
    else if (!listener_)
        status_->setText(tr("この回線は聞けません。"));
    else if (!listening && !detection_ && status_->text().isEmpty())
        status_->setText(tr("タブレットの形式と回線の設定を、届くバイトから探します。"));
}

} // namespace digitrace
