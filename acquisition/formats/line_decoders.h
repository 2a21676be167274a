#pragma once

#include "acquisition/formats/tablet_decoder.h"

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

// The designed record, taken as it is; when strict, a record with flaws does not fit.
class Fixed19Decoder : public LineDecoder {
public:
    using LineDecoder::LineDecoder;

protected:
    void decodeLine(QByteArrayView line, QList<DecodedItem> &out) override;
};

// "X,Y,B": B is '0' for no button, then '1' on for buttons 1 to 16.
class Calcomp2000Decoder : public LineDecoder {
public:
    using LineDecoder::LineDecoder;

protected:
    void decodeLine(QByteArrayView line, QList<DecodedItem> &out) override;
};

// "XXXX,YYYY,F": F the hex key pressed; every line is a record.
class BitpadAsciiDecoder : public LineDecoder {
public:
    using LineDecoder::LineDecoder;

protected:
    void decodeLine(QByteArrayView line, QList<DecodedItem> &out) override;
};

class CustomDecoder : public LineDecoder {
public:
    CustomDecoder(const CustomLayout &layout, bool strict) : LineDecoder(strict), layout_(layout) {}

protected:
    void decodeLine(QByteArrayView line, QList<DecodedItem> &out) override;

private:
    std::optional<int> button(QByteArrayView field) const;
    const CustomLayout layout_;
};

} // namespace digitrace
