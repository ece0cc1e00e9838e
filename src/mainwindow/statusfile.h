#pragma once

#include <QString>

// The status file TEMPO.SPC shared with the software family's main program:
// record 14 holds "OUI" while the module runs and "NON" once it has closed.
// Errors are ignored: the module runs and closes all the same.
void writeModuleStatus(const QString &appDir, const QString &status);

inline constexpr const char *kStatusFileName = "TEMPO.SPC";
inline constexpr int kStatusRecord = 14;
