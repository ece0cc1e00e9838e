#pragma once

#include "carte.h"
#include "recordfile.h"

#include <array>
#include <filesystem>
#include <string>
#include <string_view>

namespace outil
{

// Column names of the CSV form of the database, in field order, then the
// reference column (free text about where the values come from).
inline constexpr std::array<std::string_view, cards::kFieldCount + 1> kColumns = {
    "nom",     "formule",    "drapeaux", "aspect", "massemolaire", "massevolumique",
    "densite", "ebullition", "fusion",   "indice", "solubilite",   "reference"};

// French labels of the eleven fields.
inline constexpr std::array<std::string_view, cards::kFieldCount> kLabels = {
    "Nom",
    "Formule",
    "Drapeaux",
    "Aspect (1 atm ; 20 °C)",
    "Masse molaire (g/mol)",
    "Masse volumique (kg/m³)",
    "Densité",
    "Température d'ébullition (°C)",
    "Température de fusion (°C)",
    "Indice de réfraction",
    "Solubilité dans l'eau (g/L)"};

std::string_view label(int field);

// The header line of the CSV form, without its line end.
std::string csvHeader();

// What went wrong, in French.
std::string describe(cards::IoError e);

// "« text »"
std::string guillemets(std::string_view text);

// Loads an existing record file; a missing or unreadable file is reported
// on stderr and gives false.
bool loadExisting(const std::filesystem::path &path, cards::RecordFile &out);

// The flag string in words ("inorganique, corrosive, toxique ; pollution : l'eau").
std::string describeFlags(std::string_view drapeaux);

} // namespace outil
