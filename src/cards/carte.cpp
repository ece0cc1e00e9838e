#include "carte.h"

#include "cp1252.h"

namespace cards
{

namespace
{

// Code points of a flag string, one per position. Malformed UTF-8 counts one
// position per byte, so that a damaged text still decodes position by position.
std::u32string positions(std::string_view s)
{
    std::u32string out;
    if (decodeUtf8(s, out))
        return out;
    out.clear();
    for (char c : s)
        out.push_back(static_cast<unsigned char>(c));
    return out;
}

} // namespace

Flags decodeFlags(std::string_view drapeaux)
{
    Flags flags;
    const std::u32string p = positions(drapeaux);
    for (std::size_t i = 0; i < flags.digit.size() && i < p.size(); ++i) {
        if (p[i] >= U'0' && p[i] <= U'9')
            flags.digit[i] = static_cast<int>(p[i] - U'0');
    }
    return flags;
}

std::string encodeFlags(bool option1, bool option2, const std::array<bool, 4> &hazards,
                        const std::array<bool, 3> &pollution, bool locked)
{
    std::string s;
    s.reserve(10);
    s += option1 ? '1' : '0';
    s += option2 ? '1' : '0';
    for (bool h : hazards)
        s += h ? '1' : '0';
    for (bool p : pollution)
        s += p ? '1' : '0';
    s += locked ? '1' : '0';
    return s;
}

std::string nineFlags(const std::string &drapeaux)
{
    const std::u32string p = positions(drapeaux);
    if (p.size() <= 9)
        return drapeaux;
    std::string out;
    appendUtf8(out, std::u32string_view(p).substr(0, 9));
    return out;
}

bool completeNine(std::string &drapeaux)
{
    if (utf8Length(drapeaux) != 9)
        return false;
    drapeaux += '0';
    return true;
}

std::string_view trimSpaces(std::string_view s)
{
    const auto first = s.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    const auto last = s.find_last_not_of(' ');
    return s.substr(first, last - first + 1);
}

} // namespace cards
