#pragma once

#include <QString>

namespace platform
{

// The application directory: the executable's directory when it holds the
// database or can be written (a portable install); otherwise the per-user
// data directory, filled on first start from the installed defaults in
// `defaultsDir` (files already there are never overwritten).
QString applicationDirectory(const QString &executableDir, const QString &defaultsDir,
                             const QString &userDataDir);

} // namespace platform
