#include "cardfile.h"
#include "common.h"
#include "cp1252.h"
#include "downloadlist.h"
#include "subcommand.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <system_error>

namespace outil
{

namespace
{

namespace fs = std::filesystem;

struct Credits {
    std::string auteur;
    std::string commentaire;
};

bool cardExtension(const fs::path &p)
{
    std::string ext = p.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return ext == ".CAR";
}

// DIR/listec.txt: "fichier.CAR;auteur;commentaire" per line (the comment may
// hold more ";"); blank lines and lines beginning with "#" are ignored.
bool readCredits(const fs::path &file, std::map<std::string, Credits> &out)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return true; // no side file
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.find_first_not_of(' ') == std::string::npos || line[0] == '#')
            continue;
        const std::size_t first = line.find(';');
        if (first == std::string::npos || first == 0) {
            fileError(file.string() + ", ligne " + std::to_string(number) +
                      " : « fichier.CAR;auteur;commentaire » attendu.");
            return false;
        }
        const std::size_t second = line.find(';', first + 1);
        Credits c;
        c.auteur = line.substr(first + 1, second == std::string::npos ? std::string::npos
                                                                      : second - first - 1);
        if (second != std::string::npos)
            c.commentaire = line.substr(second + 1);
        out[line.substr(0, first)] = c;
    }
    return true;
}

int runListec(const std::vector<std::string> &args)
{
    const Subcommand *self = nullptr;
    for (const Subcommand &c : subcommands()) {
        if (c.name == "listec")
            self = &c;
    }
    const fs::path dir = args[0];
    std::string base = args[1];
    fs::path output = dir / cards::kListFileName;
    Credits defaults;
    for (std::size_t i = 2; i < args.size(); i += 2) {
        if (i + 1 >= args.size())
            return usageError("valeur manquante après « " + args[i] + " ».", self);
        if (args[i] == "-o")
            output = args[i + 1];
        else if (args[i] == "--auteur")
            defaults.auteur = args[i + 1];
        else if (args[i] == "--commentaire")
            defaults.commentaire = args[i + 1];
        else
            return usageError("option inconnue : « " + args[i] + " ».", self);
    }
    // The application fetches only web addresses.
    if (base.rfind("http://", 0) != 0 && base.rfind("https://", 0) != 0)
        return usageError("l'adresse de base doit commencer par http:// ou https://.", self);
    if (base.back() != '/')
        base += '/';

    std::error_code ec;
    if (!fs::is_directory(dir, ec))
        return fileError("le dossier " + guillemets(dir.string()) + " n'existe pas.");
    std::vector<std::string> names;
    for (const fs::directory_entry &e : fs::directory_iterator(dir, ec)) {
        if (e.is_regular_file(ec) && cardExtension(e.path()))
            names.push_back(e.path().filename().string());
    }
    if (ec)
        return fileError("le dossier " + guillemets(dir.string()) + " ne peut pas être lu.");
    std::sort(names.begin(), names.end());

    std::map<std::string, Credits> credits;
    if (!readCredits(dir / "listec.txt", credits))
        return kBadFile;
    for (const auto &[name, c] : credits) {
        if (std::find(names.begin(), names.end(), name) == names.end())
            warn("listec.txt cite " + guillemets(name) + ", absent du dossier.");
    }

    std::vector<cards::ListEntry> entries;
    for (const std::string &name : names) {
        const fs::path path = dir / name;
        const cards::CardFileRead r = cards::readCardFile(path, false);
        if (r.status != cards::CardFileStatus::Ok)
            return fileError(guillemets(path.string()) +
                             (r.status == cards::CardFileStatus::NotCardFile
                                  ? " n'est pas un fichier carte."
                                  : " : lecture impossible, enregistrement endommagé."));
        // A blank name would end the list there.
        if (cards::isBlank(r.card.nom()))
            return fileError(guillemets(path.string()) + " : la carte n'a pas de nom.");
        const auto it = credits.find(name);
        const Credits &c = it == credits.end() ? defaults : it->second;
        entries.push_back(
            {r.card.nom(), c.auteur, c.commentaire, base + cards::urlPathSegment(name)});
    }
    if (entries.empty())
        warn("aucun fichier carte (.CAR) dans " + guillemets(dir.string()) + " : liste vide.");

    cards::IoError e = cards::IoError::None;
    const cards::RecordFile list = cards::buildDownloadList(entries, &e);
    if (e != cards::IoError::None) {
        // Find the entry that does not fit, to name it.
        for (const cards::ListEntry &entry : entries) {
            cards::IoError one = cards::IoError::None;
            cards::buildDownloadList({entry}, &one);
            if (one != cards::IoError::None)
                return fileError(guillemets(entry.url) + " : " + describe(one) + ".");
        }
        return fileError(describe(e) + ".");
    }
    if (const cards::IoError w = list.save(output); w != cards::IoError::None)
        return fileError(guillemets(output.string()) + " : " + describe(w) + ".");
    return kOk;
}

const Register reg{{"listec",
                    "DOSSIER ADRESSE_DE_BASE [-o LISTEC.ZYP] [--auteur A] [--commentaire C]",
                    "écrit la liste des cartes à télécharger (LISTEC.ZYP) pour les fichiers "
                    ".CAR d'un dossier servi à ADRESSE_DE_BASE ; auteurs et commentaires dans "
                    "DOSSIER/listec.txt (« fichier.CAR;auteur;commentaire »).",
                    2, 8, runListec}};

} // namespace

} // namespace outil
