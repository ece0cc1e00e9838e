#pragma once

#include "carte.h"
#include "recordfile.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace outil
{

// The columns of the CSV form of the database: one per field, named by the
// field table, then the reference column (free text about where the values
// come from).
inline constexpr std::string_view kReferenceColumn = "reference";
std::vector<std::string_view> csvColumns();

// The header line of the CSV form, without its line end.
std::string csvHeader();

// What went wrong, in French.
std::string describe(cards::IoError e);

// "« text »"
std::string guillemets(std::string_view text);

// Loads an existing record file; a missing or unreadable file is reported
// on stderr and gives false.
bool loadExisting(const std::filesystem::path &path, cards::RecordFile &out);

// The cards of a database in slot order; false (said on stderr) when it
// cannot be read whole.
bool readCards(const std::filesystem::path &db, std::vector<cards::carte> &out);

// The flag string in words ("inorganique, corrosive, toxique ; pollution : l'eau").
std::string describeFlags(std::string_view drapeaux);

} // namespace outil
