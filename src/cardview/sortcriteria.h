#pragma once

#include "fields.h"

#include <algorithm>
#include <array>
#include <string_view>

// The entries of Combo1 in their order. Entry 0 sorts by name and keeps the
// quantity shown; the others, one per quantity of the field table in the
// alphabetical order of their entries, sort by the quantity they show in
// column 1.
struct SortCriterion {
    std::string_view entry;  // Combo1 text
    int field;               // field shown in column 1 (0: unchanged)
    std::string_view header; // column 1 header (empty: unchanged)
};

constexpr std::array<SortCriterion, cards::kQuantityCount + 1> sortCriteria()
{
    std::array<SortCriterion, cards::kQuantityCount + 1> criteria{};
    criteria[0] = {"Alphabétique", 0, {}};
    for (int k = 0; k < cards::kQuantityCount; ++k) {
        const cards::FieldInfo &q = cards::quantityInfo(k);
        criteria[std::size_t(k) + 1] = {q.sortEntry, q.field, q.sortHeader};
    }
    std::sort(criteria.begin() + 1, criteria.end(),
              [](const SortCriterion &a, const SortCriterion &b) { return a.entry < b.entry; });
    return criteria;
}

inline constexpr auto kSortCriteria = sortCriteria();

inline constexpr std::string_view kNameHeader = "Nom de l'espèce";
// Column 1 before any quantity was chosen: the molar mass.
inline constexpr std::string_view kMolarMassHeader =
    cards::fieldInfo(cards::kMasseMolaire).sortHeader;
