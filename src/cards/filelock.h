#pragma once

#include "recordfile.h"

#include <chrono>
#include <filesystem>

namespace cards
{

// The exclusive lock that every read-modify-write of a file holds, so that
// two programs on one file (two windows, a database on a shared folder) never
// write one over the other. It is an fcntl record lock, which the NFS and SMB
// clients pass on to the server, taken on a lock file beside the file, named
// after it with ".lock" appended: the file itself is replaced by rename at
// each save, and a lock on its old inode would not stop the next writer. A
// lock dies with the process that holds it, so nothing is left to clean up
// after a crash; the lock file is removed when the lock is released.
//
// Readers need no lock: a save replaces the file whole by rename, so an open
// file is always one whole version.
class FileLock
{
public:
    FileLock() = default;
    ~FileLock() { release(); }
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;
    FileLock(FileLock &&other) noexcept : fd_(other.fd_), path_(std::move(other.path_))
    {
        other.fd_ = -1;
    }
    FileLock &operator=(FileLock &&other) noexcept;

    // Takes the lock of `file`, waiting at most `wait` for another holder.
    // IoError::Locked when it stays taken; IoError::Write when the lock file
    // cannot be made (a directory that cannot be written, where no save
    // could succeed either). On a file system without record locks the
    // operation goes on unlocked, as it would without this class.
    IoError acquire(const std::filesystem::path &file, std::chrono::milliseconds wait = kLockWait);
    void release();
    bool held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
    std::filesystem::path path_;
};

// The file a save of `path` replaces: a symbolic link's target, else `path`.
std::filesystem::path saveTarget(const std::filesystem::path &path);
// The lock file of `file`.
std::filesystem::path lockPathOf(const std::filesystem::path &file);

} // namespace cards
