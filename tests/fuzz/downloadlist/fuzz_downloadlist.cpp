// Any bytes as a download list: read without going past a record, and a
// list that reads builds back into a file that reads the same.
#include "downloadlist.h"

#include "carte.h"
#include "fuzzsupport.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace
{

using fuzzsupport::check;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace cards;
    const RecordFile file(std::vector<char>(data, data + size));
    const DownloadList list = parseDownloadList(file);
    if (!list.valid) {
        check(list.entries.empty());
        return 0;
    }
    for (const ListEntry &e : list.entries)
        check(!isBlank(e.nom));

    IoError error = IoError::None;
    const RecordFile built = buildDownloadList(list.entries, &error);
    check(error == IoError::None);
    const DownloadList again = parseDownloadList(built);
    check(again.valid && again.error == IoError::None);
    check(again.entries.size() == list.entries.size());
    for (std::size_t i = 0; i < list.entries.size(); ++i) {
        const ListEntry &a = list.entries[i], &b = again.entries[i];
        check(a.nom == b.nom && a.auteur == b.auteur && a.commentaire == b.commentaire &&
              a.url == b.url);
    }
    return 0;
}
