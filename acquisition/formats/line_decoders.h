#pragma once

#include "acquisition/formats/tablet_decoder.h"

#include <optional>

namespace digitrace {

// A decoder for the formats that send a line of text a report. A line ends at CR, LF or CR LF.
class LineDecoder : public TabletDecoder {
public:
    explicit LineDecoder(bool strict) : strict_(strict) {}
    void feed(QByteArrayView chunk, QList<DecodedItem> &out) override;
    void clear() override;
    qsizetype pendingBytes() const override { return line_.size(); }

protected:
    virtual void decodeLine(QByteArrayView line, QList<DecodedItem> &out) = 0;
    // Whether a report with `button` is a record. In run or stream mode a tablet repeats the line
    // of a held key; once it has sent a report without a button, a line is a record only where
    // its button differs from the line before.
    bool isPress(int button, bool noButton);
    const bool strict_;

private:
    void endLine(QList<DecodedItem> &out);
    void tellLine(QList<DecodedItem> &out);
    bool readsWithoutBit7(QByteArrayView line);

    QByteArray line_;
    bool afterCarriageReturn_ = false;
    bool overlong_ = false; // the line's start was told already
    bool seenNoButton_ = false;
    int heldButton_ = 0;
};

// The pieces the ASCII formats read their fields with.
namespace ascii {

QByteArrayView trimmed(QByteArrayView field);
// A count written in decimal. When strict, digits only (exactly `digits` of them when that is
// given); otherwise spaces around and a plus sign are let through. A minus sign only where the
// layout has signed values.
std::optional<qint64> count(QByteArrayView field, bool strict, qsizetype digits = 0,
                            bool signedOk = false);
// Upper-case only when strict.
std::optional<int> hexDigit(char c, bool strict);
QList<QByteArrayView> split(QByteArrayView line, char separator);
DecodedItem mismatch(QByteArrayView line);
DecodedItem report(qint64 x, qint64 y, int button, bool isRecord);

} // namespace ascii

} // namespace digitrace
