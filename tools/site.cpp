#include "catalogue.h"
#include "common.h"
#include "pictures.h"
#include "subcommand.h"

#include <iostream>

namespace outil
{

namespace
{

int runSite(const std::vector<std::string> &arguments)
{
    const auto app = guiApplication();
    std::vector<std::string> args = arguments;
    hazardpictures::Style style;
    if (!takeStyle(args, style, subcommandNamed("site"), 2, 2))
        return kUsage;
    std::vector<cards::carte> all;
    if (!readCards(args[0], all))
        return kBadFile;
    const site::Published published =
        site::writeCatalogue(all, QString::fromStdString(args[1]), style);
    if (!published.ok)
        return fileError(published.message.toStdString());
    std::cout << published.message.toStdString() << '\n';
    return kOk;
}

const Register reg{{"site", "BASE DOSSIER [--pictogrammes orange|sgh]",
                    "écrit dans DOSSIER le catalogue web de la base : index.html (liste "
                    "triable, recherche), une page, une image et un fichier carte par espèce, "
                    "et LISTEC.ZYP pour la fenêtre de téléchargement ; DOSSIER doit être vide "
                    "ou un catalogue déjà écrit, qui est alors remplacé.",
                    2, 4, runSite}};

} // namespace

} // namespace outil
