#include "filelock.h"

#include "writesteps.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace cards
{

namespace fs = std::filesystem;

namespace
{

// Tries the lock once: 0, or the errno of the failure. Open file description
// locks belong to the open file, not to the process, so that two holders in
// one process (two windows, a test) also exclude each other; kernels before
// 3.15 know only the classic process-wide lock.
int tryLock(int fd)
{
    struct flock fl {
    };
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = 0;
    fl.l_len = 0;
#ifdef F_OFD_SETLK
    if (::fcntl(fd, F_OFD_SETLK, &fl) == 0)
        return 0;
    if (errno != EINVAL)
        return errno;
    fl = {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
#endif
    return ::fcntl(fd, F_SETLK, &fl) == 0 ? 0 : errno;
}

bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace

fs::path saveTarget(const fs::path &path)
{
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(path, ec)))
        return path;
    fs::path target = fs::canonical(path, ec);
    return ec ? path : target;
}

fs::path lockPathOf(const fs::path &file)
{
    fs::path lock = file;
    lock += ".lock";
    return lock;
}

FileLock &FileLock::operator=(FileLock &&other) noexcept
{
    if (this != &other) {
        release();
        fd_ = other.fd_;
        path_ = std::move(other.path_);
        other.fd_ = -1;
    }
    return *this;
}

IoError FileLock::acquire(const fs::path &file, std::chrono::milliseconds wait)
{
    release();
    const fs::path path = lockPathOf(saveTarget(file));
    const auto deadline = std::chrono::steady_clock::now() + wait;
    // The record lock has no time limit of its own: it is tried again after
    // pauses that grow from 1 to 50 ms, as long as the holder keeps it.
    std::chrono::milliseconds pause{1};
    const auto waitMore = [&]() {
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            return false;
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(pause, deadline - now));
        pause = std::min(pause * 2, std::chrono::milliseconds{50});
        return true;
    };

    for (;;) {
        // Not following a link, not waiting on a pipe: the lock file is ours
        // to make, and a name that is something else is refused below.
        const int fd =
            ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EINTR)
                continue;
            // Another user's lock file that we may not open: its holder
            // removes it when done.
            struct stat st {
            };
            if (errno == EACCES && ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
                if (waitMore())
                    continue;
                return IoError::Locked;
            }
            return IoError::Write;
        }
        struct stat opened {
        };
        if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
            ::close(fd);
            return IoError::Write;
        }
        int error;
        while ((error = tryLock(fd)) == EAGAIN || error == EACCES || error == EINTR) {
            if (error != EINTR && !waitMore()) {
                ::close(fd);
                return IoError::Locked;
            }
        }
        if (error != 0) {
            // A file system without record locks (an NFS mount without its
            // lock service, some FUSE file systems): the operation goes on as
            // it did before locks existed rather than never writing again.
            ::close(fd);
            return IoError::None;
        }
        // The holder we waited for may have removed the lock file before
        // releasing it: a lock on a removed file excludes no one, so the
        // lock is taken again on the file that the name now gives.
        struct stat named {
        };
        if (::stat(path.c_str(), &named) == 0 && sameFile(named, opened)) {
            fd_ = fd;
            path_ = path;
            reachedWriteStep(WriteStep::LockTaken);
            return IoError::None;
        }
        ::close(fd);
    }
}

void FileLock::release()
{
    if (fd_ < 0)
        return;
    // Removed while still held, so that no one takes the lock on a file
    // that is about to disappear without noticing (see acquire).
    ::unlink(path_.c_str());
    ::close(fd_);
    fd_ = -1;
    path_.clear();
}

} // namespace cards
