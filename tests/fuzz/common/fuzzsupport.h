#pragma once

// What the fuzz targets that work on real files share.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

namespace fuzzsupport
{

// A property that does not hold is a finding, like a crash.
inline void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

// A temporary directory for the whole run, removed at exit.
inline const std::filesystem::path &workDir()
{
    struct WorkDir {
        std::filesystem::path path;
        ~WorkDir()
        {
            std::error_code ec;
            std::filesystem::remove_all(path, ec);
        }
    };
    static const WorkDir dir{[] {
        char name[] = "/tmp/fuzz-cartes-XXXXXX";
        const char *made = ::mkdtemp(name);
        if (!made)
            std::abort();
        return std::filesystem::path(made);
    }()};
    return dir.path;
}

inline std::string readAll(const std::filesystem::path &p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace fuzzsupport
