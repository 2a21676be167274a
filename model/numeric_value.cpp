#include "model/numeric_value.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace digitrace {
namespace {

bool isSkipped(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The longest leading decimal number of `s`, as ASCII; empty when it holds no digit.
std::string leadingNumber(const std::string &s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    std::size_t digits = 0;
    while (i < s.size() && isDigit(s[i]))
        ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && isDigit(s[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return {};
    std::size_t end = i;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-'))
            ++j;
        if (j < s.size() && isDigit(s[j])) {
            while (j < s.size() && isDigit(s[j]))
                ++j;
            end = j;
        }
    }
    return s.substr(0, end);
}

// Decimal order of magnitude of a well-formed number, enough to tell overflow from underflow.
long long orderOfMagnitude(const std::string &number) {
    long long order = 0;
    bool seenNonZero = false, afterPoint = false;
    std::size_t i = 0;
    for (; i < number.size() && number[i] != 'e' && number[i] != 'E'; ++i) {
        char c = number[i];
        if (c == '.') {
            afterPoint = true;
        } else if (isDigit(c)) {
            if (!afterPoint && (seenNonZero || c != '0'))
                ++order;
            if (afterPoint && !seenNonZero && c == '0')
                --order;
            seenNonZero = seenNonZero || c != '0';
        }
    }
    if (i < number.size()) {
        // Saturate: the exponent may have any number of digits.
        long long exponent = 0;
        bool negative = false;
        for (++i; i < number.size(); ++i) {
            if (number[i] == '-')
                negative = true;
            else if (isDigit(number[i]) && exponent < 1'000'000'000)
                exponent = exponent * 10 + (number[i] - '0');
        }
        order += negative ? -exponent : exponent;
    }
    return order;
}

} // namespace

double numericValue(QStringView text) {
    std::string compact;
    compact.reserve(text.size());
    for (QChar c : text) {
        if (isSkipped(c))
            continue;
        // Anything beyond ASCII ends the number anyway.
        compact.push_back(c.unicode() < 0x80 ? static_cast<char>(c.unicode()) : '\x7f');
    }
    std::string number = leadingNumber(compact);
    if (number.empty())
        return 0.0;
    const bool negative = number.front() == '-';
    const char *first = number.data() + ((number.front() == '+' || negative) ? 1 : 0);
    double magnitude = 0.0;
    auto [ptr, ec] = std::from_chars(first, number.data() + number.size(), magnitude);
    if (ec == std::errc::result_out_of_range)
        magnitude = orderOfMagnitude(number) > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    return negative ? -magnitude : magnitude;
}

std::optional<float> toSingle(double value) {
    if (!std::isfinite(value) || std::fabs(value) > std::numeric_limits<float>::max())
        return std::nullopt;
    return static_cast<float>(value);
}

float roundToSingle(double value) {
    if (std::fabs(value) > std::numeric_limits<float>::max())
        return std::copysign(std::numeric_limits<float>::infinity(), value);
    return static_cast<float>(value);
}

float scaleDenomFromText(QStringView text) {
    const std::optional<float> denom = toSingle(std::fabs(numericValue(text)));
    if (!denom || *denom <= 0.1f)
        return 1.0f;
    return *denom;
}

} // namespace digitrace
