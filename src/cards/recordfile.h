#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace cards
{

inline constexpr int kRecordSize = 128;
inline constexpr int kMaxTextLength = 126;
inline constexpr int kMaxRecord = 32767;

// How long an operation waits for another program to finish with a file
// before it gives up (IoError::Locked). Holders keep the lock only for one
// read and one replacement of the file, a few milliseconds even for a full
// database, so this is reached only when the other program is stuck.
inline constexpr std::chrono::milliseconds kLockWait{3000};

enum class IoError {
    None,
    Open,         // cannot open or read the file
    Write,        // cannot write, flush or replace the file
    Damaged,      // a record's length word is above 126
    TooLong,      // a text over 126 Windows-1252 characters
    Unencodable,  // a character Windows-1252 cannot hold
    RecordNumber, // a record number below 1 or above 32767
    Locked,       // another program kept the file's lock for too long
};

// Whole content of one record file (128-byte records: 16-bit little-endian
// length, Windows-1252 text, zero filler), read in one go and written in one
// go. Used for every file of the system: database, card files, status file,
// parameters file, download list.
class RecordFile
{
public:
    RecordFile() = default;
    explicit RecordFile(std::vector<char> bytes) : bytes_(std::move(bytes)) {}

    // Reads the whole file. A missing file is an empty image (not an error);
    // anything else that prevents reading is IoError::Open.
    static IoError load(const std::filesystem::path &path, RecordFile &out);

    // Text of record n (1-based) in UTF-8. A record past the end reads as
    // empty. A length word above 126 is IoError::Damaged and `text` is left empty.
    IoError read(int n, std::string &text) const;

    // Writes record n: length word, Windows-1252 text, zero filler. Writing
    // past the end extends the image with zero bytes.
    IoError write(int n, std::string_view utf8);

    // The same on the raw Windows-1252 bytes of the text.
    IoError readBytes(int n, std::string &cp1252) const;
    IoError writeBytes(int n, std::string_view cp1252);
    // The raw text of record n inside the image (valid until the image changes).
    IoError view(int n, std::string_view &cp1252) const;

    // Moves `count` records from record `from` down to record `to` (to < from)
    // with the bytes that reading each record, writing it at its new place and
    // writing the empty text at its old place, one after the other, leave.
    // Every source record is checked first: on error nothing changes.
    IoError moveRecordsDown(int from, int to, int count);

    // Replaces the file with this image atomically: a temporary file in the
    // same directory, flushed, then renamed over the old one. On failure the
    // old file is left as it was and no temporary file remains.
    IoError save(const std::filesystem::path &path) const;

    int recordCount() const
    {
        return static_cast<int>((bytes_.size() + kRecordSize - 1) / kRecordSize);
    }
    const std::vector<char> &bytes() const { return bytes_; }

private:
    std::vector<char> bytes_;
};

// A record file read from the disk a piece at a time, for the operations that
// only look at records (the list, the display of a card): no buffer of the
// file's size is filled, and a full database (4 MB) costs no more memory than
// a small one. Records read fastest in increasing order.
class RecordReader
{
public:
    RecordReader() = default;
    ~RecordReader();
    RecordReader(const RecordReader &) = delete;
    RecordReader &operator=(const RecordReader &) = delete;

    // As RecordFile::load: a missing file reads as empty, anything else that
    // prevents reading is IoError::Open.
    IoError open(const std::filesystem::path &path);
    // As RecordFile's; a view stays valid until the next call.
    IoError view(int n, std::string_view &cp1252);
    IoError read(int n, std::string &text);

private:
    static constexpr std::size_t kPiece = 64 * 1024;
    IoError fill(std::size_t offset);

    int fd_ = -1;
    std::vector<char> buffer_;
    std::size_t start_ = 0; // file offset of buffer_[0]
    std::size_t size_ = 0;  // bytes of the file in buffer_
    bool atEnd_ = true;     // the file ends at start_ + size_
};

// What tells one version of a file from another, without opening it: a save
// replaces the file (a new inode), a writer in place changes its size or times.
struct FileStamp {
    bool exists = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modified = 0; // nanoseconds
    std::int64_t changed = 0;
    bool operator==(const FileStamp &) const = default;
};
FileStamp stampOf(const std::filesystem::path &path);

// Writes record n into the file where it stands, reading and rewriting
// nothing else: the other records keep whatever another program writes into
// them meanwhile, a file too short grows with zero bytes up to the record,
// and a missing file is created. For a record that a program outside this
// system shares with us, as the status file's. The write is not flushed to
// the disk. It holds the file's lock, so that it never falls between the
// read and the replacement of one of our whole-file saves; a directory where
// the lock file cannot be made holds no such save, and the write goes on.
IoError writeOneRecord(const std::filesystem::path &path, int n, std::string_view utf8,
                       std::chrono::milliseconds lockWait = kLockWait);

} // namespace cards
