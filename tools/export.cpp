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

    std::string out = csvHeader();
    out += '\n';

    cards::IoError e;
    const int n = cards::image::countCards(file, &e);
    for (int slot = 0; slot < n && e == cards::IoError::None; ++slot) {
        cards::carte card;
        e = cards::image::readCard(file, slot, card);
        for (int k = 1; k <= cards::kFieldCount && e == cards::IoError::None; ++k)
            out += csvField(card.field(k)) + ',';
        out += '\n'; // the reference column stays empty
    }
    if (e != cards::IoError::None)
        return fileError(guillemets(db.string()) + " : " + describe(e) +
                         " ; rien n'est exporté (voir « cartes-outil check »).");

    if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0)
        return fileError("écriture impossible sur la sortie standard.");
    return kOk;
}

const Register reg{{"export", "BASE > fichier.csv",
                    "écrit les cartes de la base en CSV (UTF-8) sur la sortie standard.", 1, 1,
                    runExport}};

} // namespace

} // namespace outil
