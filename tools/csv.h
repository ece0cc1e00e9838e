#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace outil
{

// One record of a CSV text (RFC 4180: comma separated, fields with a comma,
// a quote or a line break between double quotes, quotes doubled).
struct CsvRecord {
    int line = 0; // line where the record starts (from 1)
    std::vector<std::string> fields;
    std::string error; // syntax error of this record, in French
};

std::vector<CsvRecord> parseCsv(std::string_view text);

// The field as written in a CSV line, quoted when needed (also when it has
// leading or trailing spaces, which spreadsheets would otherwise drop).
std::string csvField(std::string_view text);

} // namespace outil
