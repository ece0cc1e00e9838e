// Any bytes as a card file: the reader gives a card, "not a card file" or a
// read error, completes a nine-character flag string only in the file it
// read, and a card it read saves and reads back unchanged.
#include "cardfile.h"
#include "cp1252.h"

#include "fuzzsupport.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace fs = std::filesystem;

using fuzzsupport::check;
using fuzzsupport::readAll;
using fuzzsupport::workDir;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace cards;
    if (size == 0)
        return 0;
    const bool completeNine = data[0] & 1;
    const std::string bytes(reinterpret_cast<const char *>(data) + 1, size - 1);
    const fs::path path = workDir() / "FUZZ.CAR";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

    const CardFileRead read = readCardFile(path, completeNine);
    const std::string after = readAll(path);
    // The file is written only to complete the flag string, which happens
    // before the later records are read (a read error may follow it).
    if (!completeNine || read.status == CardFileStatus::NotCardFile)
        check(after == bytes);
    if (read.status != CardFileStatus::Ok)
        return 0;
    if (read.completedNine) {
        check(completeNine && utf8Length(read.card.drapeaux()) == 10 &&
              read.card.drapeaux().back() == '0');
        check(after.size() == std::max<std::size_t>(bytes.size(), 4 * kRecordSize));
        check(readCardFile(path, true).card == read.card);
    } else {
        check(after == bytes);
    }

    // Saved again into a new file and read back: the same card.
    const fs::path copy = workDir() / "COPY.CAR";
    fs::remove(copy);
    check(writeCardFile(copy, read.card) == IoError::None);
    const CardFileRead again = readCardFile(copy, false);
    check(again.status == CardFileStatus::Ok && again.card == read.card);
    check(fs::file_size(copy) == 12 * kRecordSize);
    return 0;
}
