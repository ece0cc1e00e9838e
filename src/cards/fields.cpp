#include "fields.h"

#include "carte.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <string>

namespace cards
{

// One row per field, in field order, each on a line of its own in the mail.
constexpr bool wellFormed()
{
    for (int i = 0; i < kFieldCount; ++i) {
        if (kFields[i].field != i + 1 || kFields[i].mailLine < 1 ||
            kFields[i].mailLine > kFieldCount)
            return false;
        for (int j = 0; j < i; ++j)
            if (kFields[j].mailLine == kFields[i].mailLine)
                return false;
    }
    return true;
}
static_assert(wellFormed(), "the field table has one row per field, in order");

std::string_view quantityCaption(int k, std::string_view boilingPoint)
{
    const FieldInfo &info = quantityInfo(k);
    if (info.gasCaption.empty())
        return info.caption;
    const std::optional<double> t = readDecimalComma(boilingPoint);
    return t && *t < 20 ? info.gasCaption : info.caption;
}

std::string_view quantityCaption(const carte &card, int k)
{
    return quantityCaption(k, card.field(kEbullition));
}

std::optional<double> readDecimalComma(std::string_view text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return std::nullopt;
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    std::string number;
    number.reserve(text.size());
    std::size_t i = 0;
    if (text[0] == '-')
        number += text[i++];
    bool digits = false;
    bool comma = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            digits = true;
            number += c;
        } else if (c == ',' && !comma) {
            comma = true;
            number += '.';
        } else {
            return std::nullopt;
        }
    }
    if (!digits)
        return std::nullopt;
    // "12," reads as "12.0": a number that ends in its point is completed.
    if (number.back() == '.')
        number += '0';
    double value = 0;
    const char *begin = number.data();
    const char *end = number.data() + number.size();
    const auto [stop, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || stop != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

bool readsAsSingle(std::string_view text)
{
    const std::optional<double> value = readDecimalComma(text);
    return value && std::fabs(*value) <= double(FLT_MAX);
}

} // namespace cards
