#pragma once

#include <QDir>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// Puts the process in the French locale, whose decimal separator is a comma,
// for both the C library and Qt. When the system has no French locale
// compiled, one is built into a temporary folder from the system's locale
// sources. True when printf now writes "0,5".
inline bool useFrenchLocale()
{
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    if (!std::setlocale(LC_ALL, "fr_FR.UTF-8")) {
        static QTemporaryDir folder;
        if (!folder.isValid())
            return false;
        const QString target = QDir(folder.path()).filePath(QStringLiteral("fr_FR.UTF-8"));
        QProcess::execute(QStringLiteral("localedef"),
                          {QStringLiteral("-i"), QStringLiteral("fr_FR"), QStringLiteral("-f"),
                           QStringLiteral("UTF-8"), target});
        qputenv("LOCPATH", QFile::encodeName(folder.path()));
        if (!std::setlocale(LC_ALL, "fr_FR.UTF-8"))
            return false;
    }
    char text[16];
    std::snprintf(text, sizeof text, "%g", 0.5);
    return std::strcmp(text, "0,5") == 0;
}
