#include "opencount.h"

#include "database.h"

#include <atomic>
#include <cstdarg>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>

namespace
{

std::atomic<int> opens{0};

using OpenFunction = int (*)(const char *, int, ...);

int counted(const char *name, const char *path, int flags, va_list args)
{
    static const auto real = reinterpret_cast<OpenFunction>(dlsym(RTLD_NEXT, name));
    mode_t mode = 0;
    if (flags & (O_CREAT | O_TMPFILE))
        mode = va_arg(args, mode_t);
    const std::size_t length = path ? std::strlen(path) : 0;
    const std::size_t suffix = std::strlen(cards::kDatabaseFileName);
    if (length > suffix && path[length - suffix - 1] == '/' &&
        std::strcmp(path + length - suffix, cards::kDatabaseFileName) == 0)
        ++opens;
    return real(path, flags, mode);
}

} // namespace

int databaseOpens()
{
    return opens.load();
}

// The program's own definitions take the place of the C library's for every
// call made in it, the libraries linked into it included.
extern "C" int open(const char *path, int flags, ...)
{
    va_list args;
    va_start(args, flags);
    const int fd = counted("open", path, flags, args);
    va_end(args);
    return fd;
}

extern "C" int open64(const char *path, int flags, ...)
{
    va_list args;
    va_start(args, flags);
    const int fd = counted("open64", path, flags, args);
    va_end(args);
    return fd;
}
