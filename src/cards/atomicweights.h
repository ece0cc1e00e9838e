#pragma once

#include <optional>
#include <string_view>

namespace cards
{

// One chemical element: its symbol, its atomic number and its standard atomic
// weight in g/mol, when it has one (elements whose isotopes are all
// radioactive and whose abundance varies, such as technetium or radon, have
// none).
struct Element {
    std::string_view symbol;
    int number;
    std::optional<double> weight;
};

// The element written with this symbol ("Cl", "C"), case-sensitive; nullptr
// for a symbol no element has.
const Element *findElement(std::string_view symbol);
// The element of this atomic number (1 to 118); nullptr outside.
const Element *elementByNumber(int number);

} // namespace cards
