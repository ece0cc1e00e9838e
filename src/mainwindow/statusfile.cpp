#include "statusfile.h"

#include "recordfile.h"

#include <QDir>
#include <QFile>

void writeModuleStatus(const QString &appDir, const QString &status)
{
    // Record 14 only, in place, as the family's main program expects of this
    // file. A status record has no use after a power cut (a module that did
    // not close leaves "OUI" anyway), so the write is not flushed to the disk
    // on the way to the first window.
    const QString path = QDir(appDir).filePath(QString::fromLatin1(kStatusFileName));
    cards::writeOneRecord(QFile::encodeName(path).toStdString(), kStatusRecord,
                          status.toStdString());
}
