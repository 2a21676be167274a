#include "export/dxf_number.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace digitrace {
namespace {

constexpr int kSignificant = 7;
constexpr int kDecimals = 4;
constexpr std::uint32_t kUnitsPerWhole = 10'000;
// A float from 10^7 on is a whole number of at most 39 digits: these places hold all of them.
constexpr int kExactPlaces = 38;

constexpr std::array<std::uint64_t, 12> kPowersOfTen = {
    1,         10,         100,         1'000,         10'000,         100'000,
    1'000'000, 10'000'000, 100'000'000, 1'000'000'000, 10'000'000'000, 100'000'000'000};

// Below this a value reads 0.0000 whatever its digits; from the upper limit on, the digits are
// taken from the exact decimal text.
constexpr float kBelowAllDecimals = 1e-5f;
constexpr float kWholeDigitsOnly = 1e7f;

// The powers of ten 10^-5 to 10^7. No float lies between a power and its nearest double, so a
// float compares with these as with the exact powers.
constexpr std::array<double, 13> kDecades = {1e-5, 1e-4, 1e-3, 1e-2, 1e-1, 1e0, 1e1,
                                             1e2,  1e3,  1e4,  1e5,  1e6,  1e7};
constexpr int kFirstDecade = -5;

// A magnitude rounded to seven significant digits: digits × 10^(exponent − 6).
struct SevenDigits {
    std::uint64_t digits;
    int exponent;
};

SevenDigits carried(SevenDigits seven) {
    if (seven.digits == kPowersOfTen[kSignificant])
        return {kPowersOfTen[kSignificant - 1], seven.exponent + 1};
    return seven;
}

// For magnitudes from 10^7 on, rare in a trace: read off the float's exact decimal text.
SevenDigits sevenDigitsOfLarge(float magnitude) {
    // "d.ddd…e±xx", exact: nothing is rounded before the digit that decides the rounding.
    std::array<char, kExactPlaces + 8> text;
    char *end = std::to_chars(text.data(), text.data() + text.size(), magnitude,
                              std::chars_format::scientific, kExactPlaces)
                    .ptr;
    std::uint64_t digits = std::uint64_t(text[0] - '0');
    for (int i = 2; i <= kSignificant; ++i)
        digits = digits * 10 + std::uint64_t(text[std::size_t(i)] - '0');
    if (text[kSignificant + 1] >= '5')
        ++digits;

    const char *sign = text.data() + kExactPlaces + 3; // just after the 'e'
    int exponent = 0;
    std::from_chars(*sign == '+' ? sign + 1 : sign, end, exponent);
    return carried({digits, exponent});
}

// The exponent of the power of ten at or below magnitude, which is between 10^-5 and 10^7.
int decade(float magnitude) {
    const auto above = std::upper_bound(kDecades.begin(), kDecades.end(), double(magnitude));
    return kFirstDecade + int(above - kDecades.begin()) - 1;
}

// Exact in integers: the float's mantissa scaled by the power of ten that puts the value between
// 10^6 and 10^7 fits 64 bits, and the power of two is a shift.
SevenDigits sevenDigits(float magnitude) {
    if (magnitude >= kWholeDigitsOnly)
        return sevenDigitsOfLarge(magnitude);
    if (magnitude < kBelowAllDecimals)
        return {0, 0};
    const int exponent = decade(magnitude);
    // A normal float is its 24-bit mantissa × 2^(biased exponent − 150).
    const auto bits = std::bit_cast<std::uint32_t>(magnitude);
    const std::uint64_t mantissa = (bits & 0x7F'FFFF) | 0x80'0000;
    const int shift = 150 - int(bits >> 23); // 0 to 40 over this range of magnitudes
    const int scale = kSignificant - 1 - exponent;
    const std::uint64_t scaled = mantissa * kPowersOfTen[std::size_t(scale)];
    std::uint64_t digits = scaled >> shift;
    if (shift > 0 && ((scaled >> (shift - 1)) & 1) != 0)
        ++digits; // the remainder is at least a half
    return carried({digits, exponent});
}

// digits × 10^shift rounded half away from zero to a whole number; shift is below 4.
std::uint64_t wholeUnits(std::uint64_t digits, int shift) {
    if (shift >= 0)
        return digits * kPowersOfTen[std::size_t(shift)];
    if (-shift > kSignificant)
        return 0; // below a tenth of the last unit
    const std::uint64_t unit = kPowersOfTen[std::size_t(-shift)];
    return digits / unit + (digits % unit * 2 >= unit ? 1 : 0);
}

} // namespace

char *formatDxfNumber(char *out, float value) {
    char *const limit = out + kMaxDxfNumberLength;
    if (!std::isfinite(value))
        return std::to_chars(out, limit, value).ptr;
    const SevenDigits seven = sevenDigits(std::fabs(value));
    // The value in units of the fourth decimal is seven.digits × 10^shift.
    const int shift = seven.exponent - (kSignificant - 1) + kDecimals;
    if (shift >= kDecimals) {
        // Integer digits beyond the seventh are zeros, and so are the decimals.
        if (value < 0)
            *out++ = '-';
        out = std::to_chars(out, limit, seven.digits).ptr;
        for (int i = kDecimals; i < shift; ++i)
            *out++ = '0';
        for (const char c : {'.', '0', '0', '0', '0'})
            *out++ = c;
        return out;
    }
    const std::uint64_t units = wholeUnits(seven.digits, shift);
    // A negative value keeps its sign even where it rounds to zero; -0.0f is not below zero.
    if (value < 0)
        *out++ = '-';
    out = std::to_chars(out, limit, units / kUnitsPerWhole).ptr;
    // Written as "1dddd" to keep the leading zeros of the decimals; the point replaces the 1.
    const char *end = std::to_chars(out, limit, units % kUnitsPerWhole + kUnitsPerWhole).ptr;
    *out = '.';
    return out + (end - out);
}

QString dxfNumber(float value) {
    std::array<char, kMaxDxfNumberLength> text;
    return QString::fromLatin1(text.data(), formatDxfNumber(text.data(), value) - text.data());
}

} // namespace digitrace
