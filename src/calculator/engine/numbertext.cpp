#include "numbertext.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <system_error>

namespace calculator
{

namespace
{

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The 15 significant digits (trailing zeros dropped) and the decimal exponent
// of the first one: value = d.ddd x 10^exponent.
struct Decimal {
    bool negative = false;
    std::string digits;
    int exponent = 0;
};

Decimal roundTo15(double value)
{
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
    const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
    Decimal d;
    std::size_t i = 0;
    if (text[i] == '-') {
        d.negative = true;
        ++i;
    }
    for (; i < text.size() && text[i] != 'e'; ++i) {
        if (isDigit(text[i]))
            d.digits += text[i];
    }
    ++i; // 'e'
    const bool negativeExponent = text[i] == '-';
    ++i;
    for (; i < text.size(); ++i)
        d.exponent = d.exponent * 10 + (text[i] - '0');
    if (negativeExponent)
        d.exponent = -d.exponent;
    while (d.digits.size() > 1 && d.digits.back() == '0')
        d.digits.pop_back();
    return d;
}

void appendExponent(std::string &out, int exponent)
{
    out += 'E';
    out += exponent < 0 ? '-' : '+';
    const int magnitude = std::abs(exponent);
    if (magnitude < 10)
        out += '0';
    out += std::to_string(magnitude);
}

} // namespace

std::string numberText(double value)
{
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value < 0 ? "-inf" : "inf";
    if (value == 0)
        return "0";

    const Decimal d = roundTo15(value);
    std::string out;
    if (d.negative)
        out += '-';
    const int count = static_cast<int>(d.digits.size());
    if (d.exponent >= 15 || d.exponent < -4) {
        out += d.digits[0];
        if (count > 1) {
            out += '.';
            out.append(d.digits, 1);
        }
        appendExponent(out, d.exponent);
    } else if (d.exponent >= 0) {
        const int integerDigits = d.exponent + 1;
        if (count <= integerDigits) {
            out += d.digits;
            out.append(static_cast<std::size_t>(integerDigits - count), '0');
        } else {
            out.append(d.digits, 0, static_cast<std::size_t>(integerDigits));
            out += '.';
            out.append(d.digits, static_cast<std::size_t>(integerDigits));
        }
    } else {
        out += '.';
        out.append(static_cast<std::size_t>(-d.exponent - 1), '0');
        out += d.digits;
    }
    return out;
}

std::optional<double> readNumber(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::size_t start = i;
    std::size_t mantissaDigits = 0;
    // Decimal position of the first non-zero digit, counted from the point:
    // 1 for "1", 3 for "123", 0 for ".5", -2 for ".005".
    long magnitude = 0;
    bool significant = false;
    long integerDigits = 0;
    while (i < text.size() && isDigit(text[i])) {
        if (text[i] != '0' && !significant) {
            significant = true;
            integerDigits = 0;
        }
        if (significant)
            ++integerDigits;
        ++mantissaDigits;
        ++i;
    }
    if (significant)
        magnitude = integerDigits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        long zeros = 0;
        while (i < text.size() && isDigit(text[i])) {
            if (!significant) {
                if (text[i] == '0') {
                    ++zeros;
                } else {
                    significant = true;
                    magnitude = -zeros;
                }
            }
            ++mantissaDigits;
            ++i;
        }
    }
    if (mantissaDigits == 0)
        return 0.0;
    std::size_t end = i;
    long exponent = 0;
    if (i < text.size() && (text[i] == 'E' || text[i] == 'e')) {
        std::size_t j = i + 1;
        bool negativeExponent = false;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
            negativeExponent = text[j] == '-';
            ++j;
        }
        if (j < text.size() && isDigit(text[j])) {
            while (j < text.size() && isDigit(text[j])) {
                if (exponent < 1000000)
                    exponent = exponent * 10 + (text[j] - '0');
                ++j;
            }
            if (negativeExponent)
                exponent = -exponent;
            end = j;
        }
    }

    double value = 0;
    const auto result =
        std::from_chars(text.data() + start, text.data() + end, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        if (significant && magnitude + exponent > 0)
            return std::nullopt;
        value = 0;
    } else if (result.ec != std::errc() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

} // namespace calculator
