#include "statusfile.h"

#include "localpath.h"
#include "recordfile.h"

#include <QDir>

void writeModuleStatus(const QString &appDir, const QString &status)
{
    // Record 14 only, in place, as the family's main program expects of this
    // file. A status record has no use after a power cut (a module that did
    // not close leaves "OUI" anyway), so the write is not flushed to the disk
    // on the way to the first window.
    const QString path = QDir(appDir).filePath(QString::fromLatin1(kStatusFileName));
    cards::writeOneRecord(platform::toPath(path), kStatusRecord, status.toStdString());
}
