#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace calculator
{

// The text the calculator writes for a value: the shortest decimal text with at
// most 15 significant digits, "." as separator whatever the locale, no zero
// before the point (.5, -.25), exponent form from 1E+15 up and below 1E-04
// (1.5E-05). Zero, negative zero included, is "0". Non-finite values have no
// calculator text; they come out as "inf", "-inf" or "nan" and callers keep
// them out of expressions.
std::string numberText(double value);

// Reads the longest leading part of `text` that has the shape of a number
// (optional sign, digits with at most one ".", then optionally "E", an optional
// sign and digits), spaces before it ignored. A text with no such part reads as
// 0. A number too large for a double gives nullopt; one too small reads as 0.
std::optional<double> readNumber(std::string_view text);

} // namespace calculator
