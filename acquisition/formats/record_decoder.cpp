#include "acquisition/formats/record_decoder.h"

#include "acquisition/formats/format_registry.h"
#include "model/record_check.h"

#include <QCoreApplication>

#include <cstdio>

namespace digitrace {
namespace {

constexpr qint64 kLargestCount = 999'999'999;
constexpr qint64 kSmallestCount = -99'999'999;

// Binary bytes are shown in hex, so that the monitor never prints control characters.
QString shown(const QByteArray &bytes, bool binary) {
    return binary ? QString::fromLatin1(bytes.toHex(' ')) : QString::fromLatin1(bytes);
}

} // namespace

QByteArray canonicalRecord(qint64 x, qint64 y, int code) {
    if (x < kSmallestCount || x > kLargestCount || y < kSmallestCount || y > kLargestCount ||
        code < 0 || code > 9)
        return {};
    char record[kRecordLength + 2];
    std::snprintf(record, sizeof record, "%9lld%9lld%c\r", static_cast<long long>(x),
                  static_cast<long long>(y), char('0' + code));
    return QByteArray(record, kRecordLength + 1);
}

RecordDecoder::RecordDecoder(const TabletFormat &format)
    : format_(format), decoder_(makeDecoder(format)) {}

DecodedRecords RecordDecoder::feed(QByteArrayView chunk) {
    DecodedRecords out;
    if (format_.kind == FormatKind::Fixed19 && !format_.strict) {
        for (QString &record : framer_.feed(chunk))
            out.records.append({std::move(record), std::nullopt, std::nullopt});
        return out;
    }
    items_.clear();
    decoder_->feed(chunk, items_);
    for (const DecodedItem &item : std::as_const(items_))
        take(item, out);
    return out;
}

void RecordDecoder::take(const DecodedItem &item, DecodedRecords &out) {
    const bool binary = isBinaryFormat(format_.kind);
    switch (item.kind) {
    case DecodedItem::Kind::Mismatch:
        // Connecting mid-report cuts one; that says nothing of the format.
        if (item.cutByStart) {
            out.refused.append(
                {shown(item.raw, binary),
                 tr("読み取りを始めたときに途中だった報告の残り %1 バイトを読み飛ばしました")
                     .arg(item.raw.size()),
                 out.records.size()});
            return;
        }
        ++out.mismatches;
        if (item.parityBitSet)
            ++out.parityMismatches;
        out.refused.append(
            {shown(item.raw, binary || item.parityBitSet),
             item.parityBitSet
                 ? tr("8 ビット目の立ったバイトがあります。回線はおそらく 7 データビット・"
                      "パリティ付き (7E1 など) です。通信設定を合わせてください")
                 : tr("形式 %1 の記録の形に合いません").arg(format_.name()),
             out.records.size()});
        return;
    case DecodedItem::Kind::Position:
        out.positions.append({item.x, item.y, item.inProximity});
        return;
    case DecodedItem::Kind::Record:
        break;
    }
    if (describe(format_.kind).carriesCodes) {
        out.records.append({QString::fromLatin1(item.raw), std::nullopt, std::nullopt});
        return;
    }
    const QString text = QStringLiteral("%1,%2 #%3").arg(item.x).arg(item.y).arg(item.button);
    if (const std::optional<TabletCommand> &command = format_.buttons.command(item.button)) {
        // Its text places the press for whoever takes positions (a registration); its code says
        // nothing.
        const QByteArray place = canonicalRecord(item.x, item.y, 0);
        out.records.append({QString::fromLatin1(place.left(place.size() - 1)),
                            RecordFields{double(item.x), double(item.y), 0}, command});
        return;
    }
    const std::optional<int> code = format_.buttons.code(item.button);
    if (!code) {
        ++unmapped_;
        out.refused.append({text,
                            tr("ボタン %1 にはコードが割り当てられていません").arg(item.button),
                            out.records.size()});
        return;
    }
    const QByteArray record = canonicalRecord(item.x, item.y, *code);
    if (record.isEmpty()) {
        out.refused.append({text, tr("座標が 9 桁に収まりません"), out.records.size()});
        return;
    }
    out.records.append({QString::fromLatin1(record.chopped(1)),
                        RecordFields{double(item.x), double(item.y), double(*code)}, std::nullopt});
}

qsizetype RecordDecoder::pendingBytes() const {
    return format_.kind == FormatKind::Fixed19 && !format_.strict ? 0 : decoder_->pendingBytes();
}

void RecordDecoder::clear() {
    decoder_->clear();
    framer_.clear();
}

} // namespace digitrace
