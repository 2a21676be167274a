#pragma once

#include "acquisition/formats/tablet_decoder.h"

namespace digitrace {

// A decoder for the formats that send a line of text a report. A line ends at CR, LF or CR LF.
class LineDecoder : public TabletDecoder {
public:
    explicit LineDecoder(bool strict) : strict_(strict) {}
    void feed(QByteArrayView chunk, QList<DecodedItem> &out) override;
    void clear() override;

protected:
    virtual void decodeLine(QByteArrayView line, QList<DecodedItem> &out) = 0;
    const bool strict_;

private:
    QByteArray line_;
    bool afterCarriageReturn_ = false;
    bool overlong_ = false;
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
