#pragma once

// Files built by the tests byte by byte from the record layout, in standard
// C++ strings, for the tests of the plain libraries and the companion tool.

#include <QByteArray>
#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <unistd.h>

inline QByteArray q(const std::string &s)
{
    return QByteArray::fromStdString(s);
}

// prefix followed by the number (built by appending: GCC 12 warns wrongly on
// "literal" + std::string at -O2).
inline std::string numbered(std::string_view prefix, int n)
{
    std::string s(prefix);
    s += std::to_string(n);
    return s;
}

// One record: 16-bit little-endian length, the Windows-1252 text, zero filler
// to 128 bytes.
inline std::string rec(std::string_view cp1252)
{
    std::string r(128, '\0');
    r[0] = static_cast<char>(cp1252.size() & 0xFF);
    r[1] = static_cast<char>(cp1252.size() >> 8);
    r.replace(2, cp1252.size(), cp1252);
    return r;
}

// A raw record with any length word (damaged ones included).
inline std::string rawRec(unsigned length, std::string_view body = {})
{
    std::string r(128, '\0');
    r[0] = static_cast<char>(length & 0xFF);
    r[1] = static_cast<char>(length >> 8);
    r.replace(2, body.size(), body);
    return r;
}

// Eleven records of one slot: the name, then `tag` numbered by field.
inline std::string slotBytes(std::string_view nom, std::string_view tag = "x")
{
    std::string s = rec(nom);
    for (int k = 2; k <= 11; ++k)
        s += rec(numbered(tag, k));
    return s;
}

inline std::string readFile(const std::filesystem::path &p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeFile(const std::filesystem::path &p, std::string_view bytes)
{
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::filesystem::path pathIn(const QTemporaryDir &dir, const char *name)
{
    return std::filesystem::path(dir.path().toStdString()) / name;
}

// Number of entries of a directory: a failed save must not leave a temporary file.
inline int entryCount(const QTemporaryDir &dir)
{
    int n = 0;
    for ([[maybe_unused]] const auto &e :
         std::filesystem::directory_iterator(dir.path().toStdString()))
        ++n;
    return n;
}

// Root ignores permissions, so write-protection cases cannot fail for it.
inline bool runningAsRoot()
{
    return ::geteuid() == 0;
}
