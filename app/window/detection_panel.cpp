#include "app/window/detection_panel.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

namespace digitrace {
namespace {

// A fixed19 record carries its values as text: they are shown as the tablet wrote them.
QString recordText(const DecodedItem &r) {
    if (!r.raw.isEmpty()) {
        const QString text = QString::fromLatin1(r.raw);
        return DetectionPanel::tr("  X %1  Y %2  コード %3")
            .arg(text.mid(0, 9).trimmed(), text.mid(9, 9).trimmed(), text.mid(18).trimmed());
    }
    return DetectionPanel::tr("  X %1  Y %2  ボタン %3").arg(r.x).arg(r.y).arg(r.button);
}

QStringList readingLines(const QList<DecodedItem> &firstRecords) {
    QStringList lines;
    for (const DecodedItem &r : firstRecords)
        lines << recordText(r);
    if (firstRecords.isEmpty())
        lines << DetectionPanel::tr("  （カーソルの位置だけが届き、ボタンの記録はまだありません）");
    return lines;
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
    answer_ = new QHBoxLayout;
    answer_->addStretch();
    answer_->addWidget(accept_);
    answer_->addWidget(reject_);
    auto *top = new QHBoxLayout;
    top->addWidget(detect_);
    top->addWidget(status_, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(result_);
    layout->addLayout(answer_);

    connect(detect_, &QPushButton::clicked, this, [this] {
        dismiss();
        emit listenRequested();
    });
    connect(accept_, &QPushButton::clicked, this, [this] {
        if (detection_)
            emit accepted(detection_->choosing(
                {detection_->format, detection_->firstRecords, detection_->records}));
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
    QStringList lines;
    if (detection.others.isEmpty()) {
        lines << tr("形式 %1、回線 %2 で読めます。")
                     .arg(detection.format.name(), framingText(detection.line))
              << readingLines(detection.firstRecords);
        status_->setText(tr("見つかりました。採用すると形式と回線の欄に入ります。"));
        accept_->setText(tr("採用"));
    } else {
        // Taking the wrong one loses records without a word: the operator, who knows the
        // tablet, chooses.
        QList<FormatReading> readings{
            {detection.format, detection.firstRecords, detection.records}};
        readings += detection.others;
        QStringList names;
        for (const FormatReading &r : std::as_const(readings)) {
            names << r.format.name();
            lines << tr("形式 %1 として: 記録 %2 件").arg(r.format.name()).arg(r.records)
                  << readingLines(r.firstRecords);
        }
        status_->setText(tr("回線 %1 で届いたバイトは形式 %2 のどれとしても読めますが、読み方が"
                            "違い、取り込まれる記録も違います。タブレットの設定を確かめて形式を"
                            "選んでください。")
                             .arg(framingText(detection.line), names.join(tr("、"))));
        accept_->setText(tr("%1 を採用").arg(detection.format.name()));
        for (const FormatReading &other : detection.others) {
            auto *button = new QPushButton(tr("%1 を採用").arg(other.format.name()));
            answer_->insertWidget(answer_->indexOf(reject_), button);
            button->show();
            connect(button, &QPushButton::clicked, this, [this, other] {
                if (detection_)
                    emit accepted(detection_->choosing(other));
                dismiss();
            });
            otherAccepts_.append(button);
        }
    }
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
    for (QPushButton *button : std::exchange(otherAccepts_, {}))
        button->deleteLater();
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
