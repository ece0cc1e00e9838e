#pragma once

#include "recordfile.h"

#include <filesystem>
#include <string>
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
RecordFile buildDownloadList(const std::vector<ListEntry> &entries, IoError *error = nullptr);

} // namespace cards
