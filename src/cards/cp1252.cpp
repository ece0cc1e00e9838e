#include "cp1252.h"

#include <array>

namespace cards
{

namespace
{

// Unicode of the bytes 0x80 to 0x9F. The five bytes Windows-1252 leaves
// undefined keep the C1 control of the same value.
constexpr std::array<char32_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 0x98
};

constexpr char32_t toUnicode(unsigned char b)
{
    return (b >= 0x80 && b <= 0x9F) ? kHigh[b - 0x80] : static_cast<char32_t>(b);
}

// The byte of a code point, or -1.
int toByte(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<int>(c);
    for (std::size_t i = 0; i < kHigh.size(); ++i) {
        if (kHigh[i] == c)
            return static_cast<int>(0x80 + i);
    }
    return -1;
}

void appendOne(std::string &out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Decodes one code point at s[i], advancing i; false when malformed.
bool next(std::string_view s, std::size_t &i, char32_t &c)
{
    const auto b0 = static_cast<unsigned char>(s[i]);
    int extra;
    char32_t min;
    if (b0 < 0x80) {
        c = b0;
        ++i;
        return true;
    } else if ((b0 & 0xE0) == 0xC0) {
        extra = 1;
        min = 0x80;
        c = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        extra = 2;
        min = 0x800;
        c = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        extra = 3;
        min = 0x10000;
        c = b0 & 0x07;
    } else {
        return false;
    }
    if (s.size() - i <= static_cast<std::size_t>(extra))
        return false;
    for (int k = 1; k <= extra; ++k) {
        const auto b = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
        if ((b & 0xC0) != 0x80)
            return false;
        c = (c << 6) | (b & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return false;
    i += static_cast<std::size_t>(extra) + 1;
    return true;
}

} // namespace

bool cp1252Encodable(char32_t c)
{
    return toByte(c) >= 0;
}

std::optional<std::string> toCp1252(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        char32_t c;
        if (!next(utf8, i, c))
            return std::nullopt;
        const int b = toByte(c);
        if (b < 0)
            return std::nullopt;
        out += static_cast<char>(b);
    }
    return out;
}

std::string fromCp1252(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (char b : bytes)
        appendOne(out, toUnicode(static_cast<unsigned char>(b)));
    return out;
}

std::size_t utf8Length(std::string_view utf8)
{
    std::size_t n = 0;
    for (char b : utf8) {
        if ((static_cast<unsigned char>(b) & 0xC0) != 0x80)
            ++n;
    }
    return n;
}

bool decodeUtf8(std::string_view utf8, std::u32string &out)
{
    out.clear();
    std::size_t i = 0;
    while (i < utf8.size()) {
        char32_t c;
        if (!next(utf8, i, c))
            return false;
        out += c;
    }
    return true;
}

void appendUtf8(std::string &out, std::u32string_view codePoints)
{
    for (char32_t c : codePoints)
        appendOne(out, c);
}

} // namespace cards
