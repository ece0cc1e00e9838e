#include "common.h"
#include "subcommand.h"

#include <fstream>
#include <map>

namespace outil
{

namespace
{

// A record file from a readable source: "N: text" gives record N (the text
// after the colon and one space, as is); blank lines and lines beginning with
// "#" are ignored. Records not given are empty, up to the highest one given.
int runRecords(const std::vector<std::string> &args)
{
    const std::filesystem::path source = args[0];
    const std::filesystem::path target = args[1];
    std::ifstream in(source, std::ios::binary);
    if (!in)
        return fileError("le fichier " + guillemets(source.string()) + " ne peut pas être lu.");

    std::map<int, std::string> texts;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.find_first_not_of(' ') == std::string::npos || line[0] == '#')
            continue;
        const std::string where = source.string() + ", ligne " + std::to_string(number);
        const std::size_t colon = line.find(':');
        int record = 0;
        bool digits = colon != std::string::npos && colon > 0 && colon <= 5;
        for (std::size_t i = 0; digits && i < colon; ++i) {
            digits = line[i] >= '0' && line[i] <= '9';
            record = record * 10 + (line[i] - '0');
        }
        if (!digits || record < 1 || record > cards::kMaxRecord)
            return fileError(where +
                             " : « N: texte » attendu, N étant un numéro d'enregistrement.");
        if (texts.count(record))
            return fileError(where + " : l'enregistrement " + std::to_string(record) +
                             " est déjà donné.");
        std::string text = line.substr(colon + 1);
        if (!text.empty() && text[0] == ' ')
            text.erase(0, 1);
        texts[record] = text;
    }
    if (texts.empty())
        return fileError(guillemets(source.string()) + " ne donne aucun enregistrement.");

    cards::RecordFile file;
    for (int n = 1; n <= texts.rbegin()->first; ++n) {
        const auto it = texts.find(n);
        if (const cards::IoError e = file.write(n, it == texts.end() ? "" : it->second);
            e != cards::IoError::None)
            return fileError(source.string() + ", enregistrement " + std::to_string(n) + " : " +
                             describe(e) + ".");
    }
    if (const cards::IoError e = file.save(target); e != cards::IoError::None)
        return fileError(guillemets(target.string()) + " : " + describe(e) + ".");
    return kOk;
}

const Register reg{{"records", "source.txt fichier",
                    "écrit un fichier d'enregistrements de 128 octets (PARANET.LST...) à partir "
                    "de lignes « N: texte ».",
                    2, 2, runRecords}};

} // namespace

} // namespace outil
