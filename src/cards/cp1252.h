#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace cards
{

// Windows-1252 <-> Unicode, by our own table.

// True when the code point has a Windows-1252 byte.
bool cp1252Encodable(char32_t c);

// UTF-8 to Windows-1252 bytes; nullopt when a character has no byte there
// (or the UTF-8 is malformed). Never substitutes a "?".
std::optional<std::string> toCp1252(std::string_view utf8);

// Windows-1252 bytes to UTF-8. The five undefined bytes (0x81, 0x8D, 0x8F,
// 0x90, 0x9D) map to the C1 controls of the same value, so that any byte
// string survives a round trip.
std::string fromCp1252(std::string_view bytes);

// Number of characters (code points) of a UTF-8 text.
std::size_t utf8Length(std::string_view utf8);

// Strict UTF-8 decoding (no overlong forms, no surrogates); false when malformed.
bool decodeUtf8(std::string_view utf8, std::u32string &out);
// Appends the UTF-8 form of each code point.
void appendUtf8(std::string &out, std::u32string_view codePoints);

} // namespace cards
