#pragma once

#include "fields.h"

#include <array>
#include <string>
#include <string_view>

namespace cards
{

// The identity card of one chemical species: its fields as UTF-8 texts, in
// storage order (the table kFields says what each one is).
struct carte {
    std::array<std::string, kFieldCount> champs;

    std::string &field(int k) { return champs.at(static_cast<std::size_t>(k - 1)); }
    const std::string &field(int k) const { return champs.at(static_cast<std::size_t>(k - 1)); }

    std::string &nom() { return field(kNom); }
    const std::string &nom() const { return field(kNom); }
    std::string &formule() { return field(kFormule); }
    const std::string &formule() const { return field(kFormule); }
    std::string &drapeaux() { return field(kDrapeaux); }
    const std::string &drapeaux() const { return field(kDrapeaux); }
    std::string &aspect() { return field(kAspect); }
    const std::string &aspect() const { return field(kAspect); }
    // Quantity i (0 = the first quantity), the editor's Text3(i).
    std::string &quantite(int i) { return field(kFirstQuantity + i); }
    const std::string &quantite(int i) const { return field(kFirstQuantity + i); }

    bool operator==(const carte &) const = default;
};

// The flag string decoded: each position read as the digit it holds
// (a missing or non-digit character reads as 0).
struct Flags {
    std::array<int, 10> digit{};

    bool organique() const { return digit[0] == 1; }
    bool inorganique() const { return digit[1] == 1; }
    // Check boxes take the digit as their value: 1 checked, 2 greyed, 0 unchecked.
    int hazard(int k) const { return digit[static_cast<std::size_t>(2 + k)]; }
    int pollution(int k) const { return digit[static_cast<std::size_t>(6 + k)]; }
    bool locked() const { return digit[9] != 0; }
};

Flags decodeFlags(std::string_view drapeaux);

// Builds the ten-character flag string from the editor's controls. Only a
// checked box counts (a greyed one does not).
std::string encodeFlags(bool option1, bool option2, const std::array<bool, 4> &hazards,
                        const std::array<bool, 3> &pollution, bool locked);

// The first nine characters as sent by mail (no lock position).
std::string nineFlags(const std::string &drapeaux);

// A nine-character flag string (written before the lock position existed)
// gets its trailing "0". Returns true when it was completed.
bool completeNine(std::string &drapeaux);

// Trims leading and trailing spaces only (not tabs), as the name checks do.
std::string_view trimSpaces(std::string_view s);
inline bool isBlank(std::string_view s)
{
    return trimSpaces(s).empty();
}

} // namespace cards
