#include "common.h"
#include "csv.h"
#include "database.h"
#include "subcommand.h"

#include <cstdio>

namespace outil
{

namespace
{

int runExport(const std::vector<std::string> &args)
{
    const std::filesystem::path db = args[0];
    cards::RecordFile file;
    if (!loadExisting(db, file))
        return kBadFile;

    const cards::CardsResult read = cards::image::readCards(file);
    if (read.error != cards::IoError::None)
        return fileError(guillemets(db.string()) + " : " + describe(read.error) +
                         " ; rien n'est exporté (voir « cartes-outil check »).");
    std::string out = csvHeader();
    out += '\n';
    for (const cards::carte &card : read.cards) {
        for (const std::string &field : card.champs)
            out += csvField(field) + ',';
        out += '\n'; // the reference column stays empty
    }

    if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0)
        return fileError("écriture impossible sur la sortie standard.");
    return kOk;
}

const Register reg{{"export", "BASE > fichier.csv",
                    "écrit les cartes de la base en CSV (UTF-8) sur la sortie standard.", 1, 1,
                    runExport}};

} // namespace

} // namespace outil
