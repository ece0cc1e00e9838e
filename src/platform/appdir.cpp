#include "appdir.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

namespace platform
{

namespace
{

bool writable(const QString &dir)
{
    // QFileInfo::isWritable() says yes to root on a read-only mount; try for real.
    QTemporaryFile probe(QDir(dir).filePath(QStringLiteral(".cartes-probe-XXXXXX")));
    return probe.open();
}

} // namespace

QString applicationDirectory(const QString &executableDir, const QString &defaultsDir,
                             const QString &userDataDir)
{
    const QString database = QStringLiteral("ESPCHIMIQUES.ZYP");
    // A portable install keeps its files beside the program. A writable
    // program folder counts too, unless installed defaults exist: then the
    // program lies in a system folder (writable for root) that must stay as
    // the package left it.
    if (QFileInfo::exists(QDir(executableDir).filePath(database)))
        return QDir::cleanPath(executableDir);
    if (!QFileInfo::exists(QDir(defaultsDir).filePath(database)) && writable(executableDir))
        return QDir::cleanPath(executableDir);
    QDir().mkpath(userDataDir);
    const QDir defaults(defaultsDir);
    const QDir target(userDataDir);
    for (const QFileInfo &info : defaults.entryInfoList(QDir::Files)) {
        const QString dest = target.filePath(info.fileName());
        if (!QFileInfo::exists(dest)) {
            QFile::copy(info.filePath(), dest);
            // Installed files are read-only; the user's copies must not be.
            QFile::setPermissions(dest,
                                  QFile::permissions(dest) | QFile::WriteOwner | QFile::ReadOwner);
        }
    }
    return QDir::cleanPath(userDataDir);
}

} // namespace platform
