#include "acquisition/formats/formatted_port.h"

namespace digitrace {

FormattedPort::FormattedPort(SerialPort &line, const TabletFormat &format, QObject *parent)
    : SerialPort(parent), line_(line), decoder_(format) {
    connect(&line_, &SerialPort::dataArrived, this, &FormattedPort::decodeWaiting);
    connect(&line_, &SerialPort::failed, this, &SerialPort::failed);
}

void FormattedPort::setFormat(const TabletFormat &format) {
    decoder_ = RecordDecoder(format);
    mismatchTold_ = false;
    goodInRow_ = 0;
}

bool FormattedPort::open(QString *error) {
    decoder_.clear();
    records_.clear();
    mismatchTold_ = false;
    goodInRow_ = 0;
    reading_ = line_.open(error);
    return reading_;
}

void FormattedPort::close() {
    reading_ = false;
    line_.close();
    records_.clear();
}

QByteArray FormattedPort::readAll() {
    return std::exchange(records_, {});
}

void FormattedPort::decodeWaiting() {
    // The line may be opened by someone else meanwhile (detection listening to it): its bytes are
    // theirs.
    if (!reading_)
        return;
    const QByteArray bytes = line_.readAll();
    emit lineBytesArrived(bytes);
    const DecodedRecords decoded = decoder_.feed(bytes);
    refused_ += decoded.refused.size();
    // Records and refusals in the order they came: the records before a refusal go first.
    qsizetype handed = 0;
    const auto handOn = [&](qsizetype upTo) {
        if (upTo <= handed)
            return;
        records_ += QByteArrayView(decoded.records).sliced(handed, upTo - handed);
        handed = upTo;
        emit dataArrived();
    };
    for (const RefusedRecord &r : decoded.refused) {
        handOn(r.recordsBefore);
        emit recordRefused(r.text, r.reason);
    }
    if (decoded.mismatches > 0) {
        goodInRow_ = 0;
        if (!mismatchTold_) {
            mismatchTold_ = true;
            emit formatMismatch(
                decoded.parityMismatches > 0
                    ? tr("タブレットから届く行は 8 ビット目を除けば形式 %1 に合います。回線は"
                         "おそらく 7 データビット・パリティ付き (7E1 など) です。通信設定を"
                         "合わせてください。")
                          .arg(decoder_.format().name())
                    : tr("タブレットから届くデータが形式 %1 に合いません。通信速度・フレーミング・"
                         "ケーブル・形式の設定を確かめてください。")
                          .arg(decoder_.format().name()));
        }
    } else if (mismatchTold_) {
        goodInRow_ += int(decoded.positions.size() + decoded.records.count('\r'));
        if (goodInRow_ >= kReportsToRecover)
            mismatchTold_ = false;
    }
    if (!decoded.positions.isEmpty()) {
        const TabletPosition &last = decoded.positions.back();
        emit positionReported(last.x, last.y, last.inProximity);
    }
    handOn(decoded.records.size());
}

} // namespace digitrace
