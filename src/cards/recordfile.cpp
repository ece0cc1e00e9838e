#include "recordfile.h"

#include "cp1252.h"
#include "filelock.h"
#include "writesteps.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

// The files are read and replaced through POSIX calls: the standard library
// has no way to flush a file to the disk (fsync) before it replaces the old one.

namespace cards
{

namespace fs = std::filesystem;

namespace
{

bool validRecord(int n)
{
    return n >= 1 && n <= kMaxRecord;
}

std::size_t offsetOf(int n)
{
    return static_cast<std::size_t>(n - 1) * kRecordSize;
}

class Fd
{
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() { close(); }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }
    void reset(int fd)
    {
        close();
        fd_ = fd;
    }
    bool close()
    {
        if (fd_ < 0)
            return true;
        const bool ok = ::close(fd_) == 0;
        fd_ = -1;
        return ok;
    }

private:
    int fd_;
};

// The new content goes out in pieces of 1 MiB, each a step where a test can
// stop the writer; a full database (4 MB) takes four system calls for one.
constexpr std::size_t kWritePiece = std::size_t{1} << 20;

bool writeAll(int fd, const char *data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, std::min(size, kWritePiece));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
        reachedWriteStep(WriteStep::PieceWritten);
    }
    return true;
}

std::string tempSuffix()
{
    static std::mt19937_64 rng{
        std::random_device{}() ^
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count())};
    static const char digits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string s;
    for (int i = 0; i < 8; ++i)
        s += digits[rng() % (sizeof digits - 1)];
    return s;
}

// Temporary files of a save are named "." + file name + "." + writer's
// process id + "-" + 8 random characters + ".tmp", so that a later save can
// tell a leftover of a killed writer from the file of a save in progress.
std::string tempPrefix(const fs::path &target)
{
    std::string prefix(1, '.');
    prefix += target.filename().string();
    prefix += '.';
    return prefix;
}

std::string tempName(const fs::path &target)
{
    return tempPrefix(target) + std::to_string(::getpid()) + "-" + tempSuffix() + ".tmp";
}

// Removes the temporary files that writers of `target` killed in the middle
// of a save left behind (their process no longer exists). Nothing reads them;
// this only keeps them from piling up. A file whose writer still runs, or
// whose name does not follow the pattern exactly, is left alone.
void removeStaleTemps(const fs::path &dir, const fs::path &target)
{
    const std::string prefix = tempPrefix(target);
    const std::string suffix = ".tmp";
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() <= prefix.size() + suffix.size() ||
            name.compare(0, prefix.size(), prefix) != 0 ||
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
            continue;
        const std::string middle =
            name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
        const auto dash = middle.find('-');
        if (dash == 0 || dash == std::string::npos || dash > 9 || middle.size() != dash + 9)
            continue;
        long pid = 0;
        bool digits = true;
        for (std::size_t i = 0; i < dash; ++i) {
            digits = digits && middle[i] >= '0' && middle[i] <= '9';
            pid = pid * 10 + (middle[i] - '0');
        }
        if (!digits || pid <= 0 || pid == ::getpid())
            continue;
        if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
            ::unlink(it->path().c_str());
    }
}

} // namespace

namespace
{

// Opens a file for reading. Opening a named pipe for reading would wait for a
// writer, forever if none comes: the file is opened without waiting and
// refused before the first read when it is not a regular file (pipe, device,
// directory). A missing file gives no descriptor and no error.
IoError openForReading(const fs::path &path, Fd &fd, struct stat &st)
{
    int raw;
    do {
        raw = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    } while (raw < 0 && errno == EINTR);
    if (raw < 0)
        return errno == ENOENT ? IoError::None : IoError::Open;
    Fd opened(raw);
    if (::fstat(opened.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0)
        return IoError::Open;
    const int flags = ::fcntl(opened.get(), F_GETFL);
    if (flags < 0 || ::fcntl(opened.get(), F_SETFL, flags & ~O_NONBLOCK) != 0)
        return IoError::Open;
    fd.reset(opened.release());
    return IoError::None;
}

// The text of the record whose bytes start at `rec`, `avail` of them there
// (fewer than 128 for the last record of a truncated file: its text still
// reads when the length word says it lies within what is there).
IoError recordText(const char *rec, std::size_t avail, std::string_view &text)
{
    const unsigned lo = static_cast<unsigned char>(rec[0]);
    const unsigned hi = avail >= 2 ? static_cast<unsigned char>(rec[1]) : 0u;
    const std::size_t length = lo | (hi << 8);
    if (length > static_cast<std::size_t>(kMaxTextLength))
        return IoError::Damaged;
    if (length > 0 && 2 + length > avail)
        return IoError::Damaged;
    if (length > 0)
        text = std::string_view(rec + 2, length);
    return IoError::None;
}

} // namespace

IoError RecordFile::load(const fs::path &path, RecordFile &out)
{
    out.bytes_.clear();
    Fd fd(-1);
    struct stat st {
    };
    if (const IoError e = openForReading(path, fd, st); e != IoError::None || fd.get() < 0)
        return e;

    // One allocation of the file's size. A file that grew since fstat (a
    // writer that does not replace it whole) is read on in small pieces.
    std::vector<char> bytes(static_cast<std::size_t>(st.st_size));
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd.get(), bytes.data() + got, bytes.size() - got);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return IoError::Open;
        }
        if (n == 0)
            break; // shrunk meanwhile
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    if (got == static_cast<std::size_t>(st.st_size)) {
        char more[4096];
        for (;;) {
            const ssize_t n = ::read(fd.get(), more, sizeof more);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return IoError::Open;
            }
            if (n == 0)
                break;
            bytes.insert(bytes.end(), more, more + n);
        }
    }
    out.bytes_ = std::move(bytes);
    return IoError::None;
}

IoError RecordFile::view(int n, std::string_view &text) const
{
    text = {};
    if (!validRecord(n))
        return IoError::RecordNumber;
    const std::size_t off = offsetOf(n);
    if (off >= bytes_.size())
        return IoError::None;
    return recordText(bytes_.data() + off, std::min<std::size_t>(kRecordSize, bytes_.size() - off),
                      text);
}

IoError RecordFile::readBytes(int n, std::string &text) const
{
    std::string_view v;
    const IoError e = view(n, v);
    text.assign(v);
    return e;
}

IoError RecordFile::read(int n, std::string &text) const
{
    std::string_view v;
    const IoError e = view(n, v);
    text = fromCp1252(v);
    return e;
}

IoError RecordFile::writeBytes(int n, std::string_view cp1252)
{
    if (!validRecord(n))
        return IoError::RecordNumber;
    if (cp1252.size() > static_cast<std::size_t>(kMaxTextLength))
        return IoError::TooLong;
    const std::size_t off = offsetOf(n);
    if (bytes_.size() < off + kRecordSize)
        bytes_.resize(off + kRecordSize, 0);
    char *rec = bytes_.data() + off;
    rec[0] = static_cast<char>(cp1252.size() & 0xFF);
    rec[1] = static_cast<char>(cp1252.size() >> 8);
    if (!cp1252.empty()) // an empty view may hold no pointer at all
        std::memcpy(rec + 2, cp1252.data(), cp1252.size());
    std::memset(rec + 2 + cp1252.size(), 0, kRecordSize - 2 - cp1252.size());
    return IoError::None;
}

IoError RecordFile::moveRecordsDown(int from, int to, int count)
{
    if (count <= 0)
        return IoError::None;
    if (!validRecord(to) || !validRecord(from) || !validRecord(from + count - 1) || to >= from)
        return IoError::RecordNumber;
    std::string_view scratch;
    for (int n = from; n < from + count; ++n) {
        if (const IoError e = view(n, scratch); e != IoError::None)
            return e;
    }
    // Every source record gets written (emptied), so the file covers them all;
    // the new bytes read as zeros, that is as empty texts.
    const std::size_t end = offsetOf(from + count);
    if (bytes_.size() < end)
        bytes_.resize(end, 0);
    // Record by record, in increasing order: each lands below its old place,
    // over records already moved, with its length word and text and a zero
    // filler, as writing it anew would leave it.
    char *const data = bytes_.data();
    for (int i = 0; i < count; ++i) {
        const char *src = data + offsetOf(from + i);
        char *dst = data + offsetOf(to + i);
        const std::size_t length =
            static_cast<unsigned char>(src[0]) |
            (static_cast<std::size_t>(static_cast<unsigned char>(src[1])) << 8);
        std::memmove(dst, src, 2 + length);
        std::memset(dst + 2 + length, 0, kRecordSize - 2 - length);
    }
    // The old places that no later record moved into hold the empty text.
    const int firstEmptied = std::max(to + count, from);
    std::memset(data + offsetOf(firstEmptied), 0,
                static_cast<std::size_t>(from + count - firstEmptied) * kRecordSize);
    return IoError::None;
}

IoError RecordFile::write(int n, std::string_view utf8)
{
    if (!validRecord(n))
        return IoError::RecordNumber;
    const auto bytes = toCp1252(utf8);
    if (!bytes)
        return IoError::Unencodable;
    return writeBytes(n, *bytes);
}

IoError RecordFile::save(const fs::path &path) const
{
    std::error_code ec;
    fs::path target = path;
    // A link stays a link: its target gets the new content.
    if (fs::is_symlink(fs::symlink_status(path, ec))) {
        target = fs::canonical(path, ec);
        if (ec)
            return IoError::Write;
    }

    // A write-protected file stays protected (replacing it by rename would
    // not ask), and the new file keeps the old one's permissions.
    bool existed = false;
    mode_t mode = 0;
    struct stat st {
    };
    if (::stat(target.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode) || ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
            return IoError::Write;
        mode = st.st_mode & 07777;
        existed = true;
    } else if (errno != ENOENT) {
        return IoError::Write;
    }

    fs::path dir = target.parent_path();
    if (dir.empty())
        dir = ".";
    fs::path temp;
    int raw = -1;
    for (int attempt = 0; attempt < 100 && raw < 0; ++attempt) {
        temp = dir / tempName(target);
        raw = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (raw < 0 && errno != EEXIST)
            return IoError::Write;
    }
    if (raw < 0)
        return IoError::Write;
    reachedWriteStep(WriteStep::TempCreated);

    Fd fd(raw);
    bool ok = writeAll(fd.get(), bytes_.data(), bytes_.size());
    ok = ok && (!existed || ::fchmod(fd.get(), mode) == 0);
    ok = ok && ::fsync(fd.get()) == 0;
    if (ok)
        reachedWriteStep(WriteStep::Flushed);
    ok = fd.close() && ok;
    if (ok)
        reachedWriteStep(WriteStep::Closed);
    // The rename replaces the file at once: after a crash the name holds the
    // old content or the new one, both whole. The directory is not flushed in
    // addition; that would only make the new content durable sooner, at the
    // cost of a second journal commit per save.
    ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return IoError::Write;
    }
    reachedWriteStep(WriteStep::Replaced);
    removeStaleTemps(dir, target);
    reachedWriteStep(WriteStep::Cleaned);
    return IoError::None;
}

FileStamp stampOf(const fs::path &path)
{
    FileStamp stamp;
    struct stat st {
    };
    if (::stat(path.c_str(), &st) != 0)
        return stamp;
    stamp.exists = true;
    stamp.device = st.st_dev;
    stamp.inode = st.st_ino;
    stamp.size = st.st_size;
    stamp.modified = std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    stamp.changed = std::int64_t(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    return stamp;
}

IoError writeOneRecord(const fs::path &path, int n, std::string_view utf8,
                       std::chrono::milliseconds lockWait)
{
    if (!validRecord(n))
        return IoError::RecordNumber;
    RecordFile record;
    if (const IoError e = record.write(1, utf8); e != IoError::None)
        return e;

    FileLock lock;
    if (const IoError e = lock.acquire(path, lockWait); e == IoError::Locked)
        return e;
    // Not waiting on a pipe, as in load; a file that is not a regular one
    // is left alone.
    int raw;
    do {
        raw = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    } while (raw < 0 && errno == EINTR);
    if (raw < 0)
        return IoError::Open;
    Fd fd(raw);
    struct stat st {
    };
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return IoError::Open;
    // Written at its offset, past the end too: the gap reads as zero bytes.
    // The file is never cut, so a later record that another program writes
    // meanwhile is never lost.
    const char *data = record.bytes().data();
    std::size_t left = kRecordSize;
    auto offset = static_cast<off_t>(offsetOf(n));
    while (left > 0) {
        const ssize_t w = ::pwrite(fd.get(), data, left, offset);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return IoError::Write;
        }
        data += w;
        left -= static_cast<std::size_t>(w);
        offset += w;
    }
    return fd.close() ? IoError::None : IoError::Write;
}

RecordReader::~RecordReader()
{
    if (fd_ >= 0)
        ::close(fd_);
}

IoError RecordReader::open(const fs::path &path)
{
    Fd fd(-1);
    struct stat st {
    };
    const IoError e = openForReading(path, fd, st);
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = fd.release();
    start_ = size_ = 0;
    atEnd_ = fd_ < 0;
    return e;
}

IoError RecordReader::fill(std::size_t offset)
{
    buffer_.resize(kPiece);
    start_ = offset;
    size_ = 0;
    atEnd_ = false;
    while (size_ < buffer_.size()) {
        const ssize_t n = ::pread(fd_, buffer_.data() + size_, buffer_.size() - size_,
                                  static_cast<off_t>(start_ + size_));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            size_ = 0;
            return IoError::Open;
        }
        if (n == 0) {
            atEnd_ = true;
            break;
        }
        size_ += static_cast<std::size_t>(n);
    }
    return IoError::None;
}

IoError RecordReader::view(int n, std::string_view &text)
{
    text = {};
    if (!validRecord(n))
        return IoError::RecordNumber;
    const std::size_t off = offsetOf(n);
    const bool inWindow = off >= start_ && off + kRecordSize <= start_ + size_;
    // Once the window reaches the end of the file, what lies after its start
    // is all there is.
    const bool pastWindowEnd = atEnd_ && off >= start_;
    if (!inWindow && !pastWindowEnd && fd_ >= 0) {
        if (const IoError e = fill(off); e != IoError::None)
            return e;
    }
    if (off < start_ || off >= start_ + size_)
        return IoError::None;
    return recordText(buffer_.data() + (off - start_),
                      std::min<std::size_t>(kRecordSize, start_ + size_ - off), text);
}

IoError RecordReader::read(int n, std::string &text)
{
    std::string_view v;
    const IoError e = view(n, v);
    text = fromCp1252(v);
    return e;
}

} // namespace cards
