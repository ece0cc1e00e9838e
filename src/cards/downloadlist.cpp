#include "downloadlist.h"

#include "carte.h"

namespace cards
{

DownloadList parseDownloadList(const RecordFile &f)
{
    DownloadList list;
    std::string marker;
    if ((list.error = f.read(1, marker)) != IoError::None)
        return list;
    list.valid = marker == kListMarker;
    if (!list.valid)
        return list;
    for (int i = 0;; ++i) {
        ListEntry entry;
        const int first = 4 * i + 2;
        if ((list.error = f.read(first, entry.nom)) != IoError::None || isBlank(entry.nom))
            return list;
        if ((list.error = f.read(first + 1, entry.auteur)) != IoError::None ||
            (list.error = f.read(first + 2, entry.commentaire)) != IoError::None ||
            (list.error = f.read(first + 3, entry.url)) != IoError::None)
            return list;
        list.entries.push_back(std::move(entry));
    }
}

DownloadList readDownloadList(const std::filesystem::path &path)
{
    RecordFile f;
    if (const IoError e = RecordFile::load(path, f); e != IoError::None) {
        DownloadList list;
        list.error = e;
        return list;
    }
    return parseDownloadList(f);
}

std::string urlPathSegment(std::string_view name)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : name) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            c == '-' || c == '.' || c == '_' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

RecordFile buildDownloadList(const std::vector<ListEntry> &entries, IoError *error)
{
    RecordFile f;
    IoError e = f.write(1, kListMarker);
    for (std::size_t i = 0; i < entries.size() && e == IoError::None; ++i) {
        int record = 4 * static_cast<int>(i) + 2;
        const ListEntry &entry = entries[i];
        for (const std::string *text :
             {&entry.nom, &entry.auteur, &entry.commentaire, &entry.url}) {
            if (e == IoError::None)
                e = f.write(record++, *text);
        }
    }
    if (error)
        *error = e;
    return f;
}

} // namespace cards
