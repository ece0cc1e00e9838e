#include "statusfile.h"

#include "recordfile.h"

#include <QDir>
#include <QFile>

void writeModuleStatus(const QString &appDir, const QString &status)
{
    // Record 14 is written in place, as the family's main program expects of
    // this file: the other records stay as they are, and a file too short
    // grows to hold it. A status record has no use after a power cut (a
    // module that did not close leaves "OUI" anyway), so the write is not
    // flushed to the disk on the way to the first window.
    cards::RecordFile record;
    if (record.write(1, status.toStdString()) != cards::IoError::None)
        return;
    QFile file(QDir(appDir).filePath(QString::fromLatin1(kStatusFileName)));
    if (!file.open(QIODevice::ReadWrite))
        return;
    const qint64 offset = qint64(kStatusRecord - 1) * cards::kRecordSize;
    const std::vector<char> &bytes = record.bytes();
    if (file.size() < offset && !file.resize(offset))
        return;
    if (file.seek(offset))
        file.write(bytes.data(), qint64(bytes.size()));
}
