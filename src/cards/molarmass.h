#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace cards
{

// Why a formula has no molar mass.
enum class MassError {
    None,
    Empty,            // nothing but spaces
    UnknownSymbol,    // no element is written so ("Xy", "eau")
    NoStandardWeight, // an element without a standard atomic weight ("Tc", "Rn")
    UnclosedParenthesis,
    UnexpectedClosing,  // a closing bracket without an opening one
    MismatchedClosing,  // "[Fe(CN)#6)": a bracket closed by one of another kind
    EmptyGroup,         // "()"
    CountWithoutSymbol, // a count with nothing before it to count
    CountNotNumber,     // a subscript that is not a digit ("(C#6H#1#0O#5)#n")
    ZeroCount,
    CountTooLarge,
    LeadingCoefficient, // "2H#2O": a number of entities, not one species
    CountAfterState,    // "H#2O(g)#2": a count after a state or an oxidation number
    MissingAfterSeparator,
    SeparatorInGroup, // a hydrate's separator inside brackets
    Mixture,          // "H#3O*+ + Cl*-": several species
    Isotope,          // a mass number before a symbol ("*1*4C")
    BadSuperscript,   // a superscript that is neither a charge nor a mass number
    DanglingMarker,   // a "#" or "*" with no character after it
    UnexpectedCharacter,
    NoElement, // text without any element symbol ("+", "-")
    TooLarge,
};

struct MolarMass {
    MassError error = MassError::None;
    double value = 0; // g/mol, when error is None
    // Byte offset in the formula where reading stopped, and the text concerned
    // (a symbol, a character, a bracket).
    std::size_t position = 0;
    std::string detail;
    // Atoms of each element, by atomic number.
    std::map<int, long long> atoms;

    bool ok() const { return error == MassError::None; }
    // Why it failed, in French ("symbole inconnu : Xy"); empty when it did not.
    std::string message() const;
};

// The molar mass of a formula in the card markup (UTF-8 text, "#" before a
// subscript character, "*" before a superscript one): element symbols, counts
// as subscripts ("H#2O", or plain digits), brackets with a count after them
// ("CH#3CH(CH#3)#2", "K#4[Fe(CN)#6]"), addition compounds and hydrates, their
// parts after a comma, a middle dot, a bullet or a point, each with its count
// ("CuSO#4,5H#2O", "2CaSO#4,H#2O"), charges as
// superscripts (ignored: the electrons' mass is below the precision of the
// atomic weights), bonds of a semi-developed formula ("-", "=", "≡"), spaces,
// and a state written after the species ("(aq)", "(s)", "(l)", "(g)").
MolarMass molarMass(std::string_view formula);

// A stored molar mass as a number: digits with a decimal comma (or point),
// spaces around, and an optional unit after it ("18,015", "18,015 g/mol",
// "18 g.mol-1"). Nothing for a text that does not begin with a number.
std::optional<double> readMolarMassText(std::string_view text);

// True when a stored molar mass departs from the computed one by more than
// the tolerance, relative to the computed one (0.5 % by default).
bool massesDisagree(double stored, double computed, double tolerance = 0.005);

// A molar mass as the cards write it, with a decimal comma: three decimals
// below 10 g/mol ("2,016"), two from there on ("249,68").
std::string formatMolarMass(double value);

} // namespace cards
