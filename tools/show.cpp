#include "cardfile.h"
#include "common.h"
#include "cp1252.h"
#include "subcommand.h"

#include <iostream>

namespace outil
{

namespace
{

int runShow(const std::vector<std::string> &args)
{
    const std::filesystem::path path = args[0];
    cards::RecordFile file;
    if (!loadExisting(path, file))
        return kBadFile;

    // Read only: a nine-character flag string is shown as it is, not completed.
    const cards::CardFileRead r = cards::readCardFile(path, false);
    if (r.status == cards::CardFileStatus::ReadError)
        return fileError(guillemets(path.string()) +
                         " : lecture impossible, enregistrement endommagé.");
    if (r.status == cards::CardFileStatus::NotCardFile) {
        std::string header, why;
        if (file.bytes().empty())
            why = "le fichier est vide";
        else if (file.read(1, header) != cards::IoError::None)
            why = "son premier enregistrement n'est pas un texte";
        else
            why = "son premier enregistrement est " + guillemets(header) + " au lieu de " +
                  guillemets(cards::kCardHeader);
        return fileError(guillemets(path.string()) + " n'est pas un fichier carte : " + why + ".");
    }

    std::size_t width = 0;
    for (const cards::FieldInfo &f : cards::kFields)
        width = std::max(width, cards::utf8Length(f.label));
    for (int k = 1; k <= cards::kFieldCount; ++k) {
        const std::string_view l = cards::fieldInfo(k).label;
        std::cout << l << std::string(width - cards::utf8Length(l), ' ') << " : "
                  << r.card.field(k);
        if (k == cards::kDrapeaux)
            std::cout << " (" << describeFlags(r.card.drapeaux()) << ")";
        std::cout << '\n';
    }
    return kOk;
}

const Register reg{
    {"show", "fichier.CAR", "affiche les champs d'un fichier carte.", 1, 1, runShow}};

} // namespace

} // namespace outil
