#include "common.h"

#include "database.h"
#include "filelock.h"
#include "subcommand.h"

#include <system_error>

namespace outil
{

std::vector<std::string_view> csvColumns()
{
    std::vector<std::string_view> columns;
    for (const cards::FieldInfo &f : cards::kFields)
        columns.push_back(f.column);
    columns.push_back(kReferenceColumn);
    return columns;
}

std::string csvHeader()
{
    std::string header;
    for (std::string_view c : csvColumns()) {
        if (!header.empty())
            header += ',';
        header += c;
    }
    return header;
}

std::string describe(cards::IoError e)
{
    using cards::IoError;
    switch (e) {
    case IoError::None:
        return "aucune erreur";
    case IoError::Open:
        return "lecture impossible (fichier absent, illisible, ou qui n'est pas un fichier "
               "ordinaire)";
    case IoError::Write:
        return "écriture impossible (vérifier le lecteur et les protections en écriture)";
    case IoError::Damaged:
        return "enregistrement endommagé (longueur supérieure à 126 ou texte tronqué)";
    case IoError::TooLong:
        return "texte de plus de 126 caractères";
    case IoError::Unencodable:
        return "caractère que Windows-1252 ne peut pas représenter";
    case IoError::RecordNumber:
        return "numéro d'enregistrement au-delà de 32767";
    case IoError::Locked:
        return "fichier occupé par un autre programme depuis plus de " +
               std::to_string(cards::kLockWait.count() / 1000) +
               " secondes (verrou non obtenu) ; réessayer plus tard";
    }
    return "erreur inconnue";
}

std::string guillemets(std::string_view text)
{
    return "« " + std::string(text) + " »";
}

bool loadExisting(const std::filesystem::path &path, cards::RecordFile &out)
{
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        fileError("le fichier " + guillemets(path.string()) + " n'existe pas.");
        return false;
    }
    if (const cards::IoError e = cards::RecordFile::load(path, out); e != cards::IoError::None) {
        fileError(guillemets(path.string()) + " : " + describe(e) + ".");
        return false;
    }
    return true;
}

std::string describeFlags(std::string_view drapeaux)
{
    const cards::Flags f = cards::decodeFlags(drapeaux);
    std::string s;
    const auto add = [&s](std::string_view word, std::string_view sep = ", ") {
        if (!s.empty())
            s += sep;
        s += word;
    };
    if (f.organique())
        add("organique");
    if (f.inorganique())
        add("inorganique");
    static constexpr std::string_view hazards[] = {"inflammable", "corrosive",
                                                   "nocive ou irritante", "toxique"};
    for (int k = 0; k < 4; ++k) {
        if (f.hazard(k) == 1)
            add(hazards[static_cast<std::size_t>(k)]);
    }
    static constexpr std::string_view targets[] = {"l'air", "l'eau", "le sol"};
    std::string pollution;
    for (int k = 0; k < 3; ++k) {
        if (f.pollution(k) == 1)
            pollution +=
                (pollution.empty() ? "" : ", ") + std::string(targets[static_cast<std::size_t>(k)]);
    }
    add(pollution.empty() ? "non polluant" : "risque de pollution pour : " + pollution, " ; ");
    if (f.locked())
        add("verrouillée", " ; ");
    return s;
}

bool readCards(const std::filesystem::path &db, std::vector<cards::carte> &out)
{
    cards::RecordFile file;
    if (!loadExisting(db, file))
        return false;
    cards::CardsResult read = cards::image::readCards(file);
    if (read.error != cards::IoError::None) {
        fileError(guillemets(db.string()) + " : " + describe(read.error) +
                  " (voir « cartes-outil check »).");
        return false;
    }
    out = std::move(read.cards);
    return true;
}

} // namespace outil
