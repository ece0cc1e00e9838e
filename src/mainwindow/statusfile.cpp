#include "statusfile.h"

#include "recordfile.h"

#include <QDir>
#include <QFile>

void writeModuleStatus(const QString &appDir, const QString &status)
{
    const QString path = QDir(appDir).filePath(QString::fromLatin1(kStatusFileName));
    cards::writeOneRecord(QFile::encodeName(path).toStdString(), kStatusRecord,
                          status.toStdString());
}
