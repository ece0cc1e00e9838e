#pragma once

#include "carte.h"

#include <array>

// The entries of Combo1 in their order. Entry 0 sorts by name and keeps the
// quantity shown; entries 1 to 7 sort by the quantity they show in column 1.
struct SortCriterion {
    const char *entry;  // Combo1 text
    int field;          // field shown in column 1 (0: unchanged)
    const char *header; // column 1 header (nullptr: unchanged)
};

inline constexpr std::array<SortCriterion, 8> kSortCriteria{{
    {"Alphabétique", 0, nullptr},
    {"Densité", cards::kDensite, "Densité"},
    {"Indice de réfraction", cards::kIndice, "Indice"},
    {"Masse molaire ( g/mol )", cards::kMasseMolaire, "M (g/mol)"},
    {"Masse volumique ( kg/m³ )", cards::kMasseVolumique, "µ (kg/m³)"},
    {"Solubilité ( g/L )", cards::kSolubilite, "Solubilité"},
    {"Température d'ébullition", cards::kEbullition, "T.éb. (°C)"},
    {"Température de fusion", cards::kFusion, "T.fus. (°C)"},
}};

inline constexpr const char *kNameHeader = "Nom de l'espèce";
inline constexpr const char *kMolarMassHeader = "M (g/mol)";
