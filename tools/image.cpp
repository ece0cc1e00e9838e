#include "cardfile.h"
#include "common.h"
#include "database.h"
#include "hazardpictures.h"
#include "picturefile.h"
#include "pictures.h"
#include "subcommand.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <iostream>
#include <set>

namespace outil
{

namespace
{

QString fromArg(const std::string &arg)
{
    return QString::fromStdString(arg);
}

const char *const kFormats = "l'extension doit être .png, @2x.png, @4x.png, .svg ou .pdf";

bool write(const cards::carte &card, const QString &path, hazardpictures::Style style)
{
    if (picturefile::writeCardPicture(cardViewOf(card, style), path))
        return true;
    fileError(guillemets(path.toStdString()) + " : écriture impossible.");
    return false;
}

int runImage(const std::vector<std::string> &arguments)
{
    const auto app = guiApplication();
    std::vector<std::string> args = arguments;
    hazardpictures::Style style;
    if (!takeStyle(args, style, subcommandNamed("image"), 2, 3))
        return kUsage;
    const QString out = fromArg(args.back());
    if (!picturefile::formatOf(out))
        return usageError(guillemets(args.back()) + " : " + kFormats + ".");
    cards::carte card;
    if (args.size() == 2) {
        const std::filesystem::path path = args[0];
        cards::RecordFile file;
        if (!loadExisting(path, file))
            return kBadFile;
        const cards::CardFileRead r = cards::readCardFile(path, false);
        if (r.status != cards::CardFileStatus::Ok)
            return fileError(guillemets(path.string()) +
                             " n'est pas un fichier carte lisible (voir « cartes-outil show »).");
        card = r.card;
    } else {
        std::vector<cards::carte> all;
        if (!readCards(args[0], all))
            return kBadFile;
        const auto it = std::find_if(all.begin(), all.end(),
                                     [&](const cards::carte &c) { return c.nom() == args[1]; });
        if (it == all.end())
            return fileError("aucune carte " + guillemets(args[1]) + " dans " +
                             guillemets(args[0]) + ".");
        card = *it;
    }
    return write(card, out, style) ? kOk : kBadFile;
}

int runImages(const std::vector<std::string> &arguments)
{
    const auto app = guiApplication();
    std::vector<std::string> args = arguments;
    hazardpictures::Style style;
    if (!takeStyle(args, style, subcommandNamed("images"), 2, 3))
        return kUsage;
    const std::string ending = args.size() == 3 ? args[2] : std::string("png");
    const QString suffix =
        (ending.rfind('@', 0) == 0 ? QString() : QStringLiteral(".")) + fromArg(ending);
    if (!picturefile::formatOf(QStringLiteral("carte") + suffix))
        return usageError(guillemets(ending) + " : " + kFormats + ".");
    std::vector<cards::carte> all;
    if (!readCards(args[0], all))
        return kBadFile;
    const QString folder = fromArg(args[1]);
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder))
        return fileError(guillemets(args[1]) + " : dossier impossible à créer.");
    // Two names that give the same file name get a number: no picture
    // replaces another.
    std::set<QString> used;
    for (const cards::carte &card : all) {
        const QString base = picturefile::fileBaseName(QString::fromStdString(card.nom()));
        QString name = base + suffix;
        for (int n = 2; !used.insert(name.toLower()).second; ++n)
            name = QStringLiteral("%1 (%2)%3").arg(base).arg(n).arg(suffix);
        if (!write(card, QDir(folder).filePath(name), style))
            return kBadFile;
    }
    std::cout << all.size() << " images écrites dans " << args[1] << '\n';
    return kOk;
}

const Register image{{"image", "BASE NOM image | fichier.CAR image [--pictogrammes orange|sgh]",
                      "écrit l'image d'une carte (de la base, par son nom, ou d'un fichier carte) "
                      "en PNG (@2x.png, @4x.png : deux ou quatre fois plus grande), SVG ou PDF ; "
                      "pictogrammes du style choisi dans la fenêtre, sauf --pictogrammes.",
                      2, 5, runImage}};
const Register images{{"images",
                       "BASE DOSSIER [png|@2x.png|@4x.png|svg|pdf] [--pictogrammes orange|sgh]",
                       "écrit l'image de chaque carte de la base dans le dossier, une par "
                       "fichier nommé d'après l'espèce (PNG par défaut) ; pictogrammes du style "
                       "choisi dans la fenêtre, sauf --pictogrammes.",
                       2, 5, runImages}};

} // namespace

} // namespace outil
