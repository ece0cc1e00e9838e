// Any bytes as a record file: every record reads without going past its
// 128 bytes, a text that reads writes back to the same bytes, and the
// Windows-1252 conversion round-trips.
#include "cp1252.h"
#include "fuzzsupport.h"
#include "recordfile.h"

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
    const std::string input(reinterpret_cast<const char *>(data), size);

    // UTF-8 to Windows-1252 and back gives the same text when it converts.
    if (const auto bytes = toCp1252(input)) {
        check(bytes->size() == utf8Length(input));
        check(fromCp1252(*bytes) == input);
    }
    // Any byte string survives Windows-1252 to UTF-8 and back.
    const auto back = toCp1252(fromCp1252(input));
    check(back && *back == input);

    const RecordFile file(std::vector<char>(input.begin(), input.end()));
    const int count = file.recordCount();
    std::string raw, text;
    for (int n = 1; n <= count + 1 && n <= kMaxRecord; ++n) {
        const IoError e = file.readBytes(n, raw);
        check(file.read(n, text) == e);
        if (e != IoError::None) {
            check(e == IoError::Damaged && raw.empty() && text.empty());
            continue;
        }
        check(raw.size() <= static_cast<std::size_t>(kMaxTextLength));
        check(text == fromCp1252(raw));

        // Rewriting the text as read gives back the record: length word,
        // text, zero filler; the other records are untouched.
        RecordFile copy = file;
        check(copy.write(n, text) == IoError::None);
        std::string again;
        check(copy.readBytes(n, again) == IoError::None && again == raw);
        const auto &b = copy.bytes();
        const std::size_t off = static_cast<std::size_t>(n - 1) * kRecordSize;
        check(b.size() >= off + kRecordSize);
        for (std::size_t i = off + 2 + raw.size(); i < off + kRecordSize; ++i)
            check(b[i] == 0);
        for (std::size_t i = 0; i < b.size() && i < file.bytes().size(); ++i) {
            if (i < off || i >= off + kRecordSize)
                check(b[i] == file.bytes()[i]);
        }
    }
    // Record numbers outside 1..32767 are refused, never read.
    check(file.readBytes(0, raw) == IoError::RecordNumber);
    check(file.readBytes(kMaxRecord + 1, raw) == IoError::RecordNumber);

    // The input as a text: fits or is refused, never truncated.
    RecordFile out;
    const IoError e = out.write(3, input);
    const auto bytes = toCp1252(input);
    if (!bytes)
        check(e == IoError::Unencodable);
    else if (bytes->size() > static_cast<std::size_t>(kMaxTextLength))
        check(e == IoError::TooLong);
    else
        check(e == IoError::None && out.read(3, text) == IoError::None && text == input);
    return 0;
}
