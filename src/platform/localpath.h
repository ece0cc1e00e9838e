#pragma once

#include <QFile>
#include <QString>

#include <filesystem>

namespace platform
{

// A file name as the plain libraries take it, in the file system's encoding.
inline std::filesystem::path toPath(const QString &path)
{
    return QFile::encodeName(path).toStdString();
}

} // namespace platform
