#pragma once

#include "recordfile.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace cards
{

inline constexpr const char *kListMarker = "LISTECHIMIE";
inline constexpr const char *kListFileName = "LISTEC.ZYP";

struct ListEntry {
    std::string nom, auteur, commentaire, url;
};

struct DownloadList {
    bool valid = false; // record 1 is exactly the marker
    std::vector<ListEntry> entries;
    IoError error = IoError::None;
};

DownloadList readDownloadList(const std::filesystem::path &path);
DownloadList parseDownloadList(const RecordFile &f);
// A file name as it goes into an address: its UTF-8 bytes, every one outside
// the unreserved characters (letters, digits, "-._~") percent-encoded.
std::string urlPathSegment(std::string_view name);

RecordFile buildDownloadList(const std::vector<ListEntry> &entries, IoError *error = nullptr);

} // namespace cards
