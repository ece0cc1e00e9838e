#include "paranet.h"

#include "localpath.h"
#include "recordfile.h"

#include <QDir>

#include <filesystem>

namespace network
{

QString paranetPath(const QString &appDir)
{
    return QDir(appDir).filePath(QString::fromLatin1(kParanetFileName));
}

ParametersRead readParameters(const QString &appDir)
{
    ParametersRead result;
    cards::RecordFile file;
    if (cards::RecordFile::load(platform::toPath(paranetPath(appDir)), file) !=
        cards::IoError::None) {
        result.ok = false;
        return result;
    }
    for (int n = 1; n <= kParanetRecords; ++n) {
        std::string text;
        if (file.read(n, text) != cards::IoError::None) {
            result.ok = false;
            return result;
        }
        result.parameters.records.at(static_cast<std::size_t>(n - 1)) =
            QString::fromStdString(text);
    }
    return result;
}

bool writeMailParameters(const QString &appDir, const QString &nom, const QString &adresse,
                         const QString &serveur)
{
    const auto path = platform::toPath(paranetPath(appDir));
    cards::RecordFile file;
    if (cards::RecordFile::load(path, file) != cards::IoError::None)
        return false;
    if (file.write(kNomAuteur, nom.toStdString()) != cards::IoError::None ||
        file.write(kAdresse, adresse.toStdString()) != cards::IoError::None ||
        file.write(kServeurSmtp, serveur.toStdString()) != cards::IoError::None)
        return false;
    return file.save(path) == cards::IoError::None;
}

} // namespace network
