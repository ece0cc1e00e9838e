#include "common.h"
#include "cp1252.h"
#include "csv.h"
#include "database.h"
#include "filelock.h"
#include "subcommand.h"

#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <system_error>

namespace outil
{

namespace
{

bool validFlags(const std::string &d)
{
    if (d.size() != 10 || d.find_first_not_of("01") != std::string::npos)
        return false;
    return !(d[0] == '1' && d[1] == '1'); // one option of a pair
}

std::string fieldName(int k)
{
    return std::string(cards::fieldInfo(k).column);
}

// Reasons why the editor would not store this line's card; empty when it would.
std::vector<std::string> refusals(const cards::carte &card)
{
    std::vector<std::string> why;
    std::u32string scratch;
    for (int k = 1; k <= cards::kFieldCount; ++k) {
        const std::string &text = card.field(k);
        if (!cards::decodeUtf8(text, scratch)) {
            why.push_back("le champ " + fieldName(k) + " n'est pas du texte UTF-8 valide");
            continue;
        }
        const auto bytes = cards::toCp1252(text);
        if (!bytes) {
            std::string bad;
            for (char32_t c : scratch) {
                if (!cards::cp1252Encodable(c)) {
                    cards::appendUtf8(bad, std::u32string_view(&c, 1));
                    break;
                }
            }
            why.push_back("le champ " + fieldName(k) + " contient " + guillemets(bad) +
                          ", un caractère que Windows-1252 ne peut pas représenter");
        } else if (bytes->size() > static_cast<std::size_t>(cards::kMaxTextLength)) {
            why.push_back("le champ " + fieldName(k) + " dépasse 126 caractères (" +
                          std::to_string(bytes->size()) + ")");
        }
    }
    if (cards::isBlank(card.nom()))
        why.push_back("cette espèce chimique doit avoir un nom");
    if (!validFlags(card.drapeaux()))
        why.push_back("drapeaux " + guillemets(card.drapeaux()) +
                      " : il faut dix caractères 0 ou 1, au plus un des deux premiers à 1");
    return why;
}

// Quantities the editor's boxes would not keep: reported, not refused.
void quantityWarnings(int line, const cards::carte &card)
{
    for (int i = 0; i < cards::kQuantityCount; ++i) {
        const std::string &q = card.quantite(i);
        const int k = cards::kFirstQuantity + i;
        if (q.empty() ||
            (cards::quantityInfo(i).miscible && cards::trimSpaces(q) == cards::kMiscible))
            continue;
        if (!cards::readsAsSingle(q))
            warn("ligne " + std::to_string(line) + " : avertissement : " + fieldName(k) + " " +
                 guillemets(q) +
                 " n'est pas un nombre que l'éditeur accepte (chiffres, virgule, signe -)");
        else if (cards::utf8Length(q) > std::size_t(cards::kQuantityMaxLength))
            warn("ligne " + std::to_string(line) + " : avertissement : " + fieldName(k) +
                 " dépasse les 100 caractères de l'éditeur");
    }
}

int runImport(const std::vector<std::string> &args)
{
    const std::filesystem::path csvPath = args[0];
    const std::filesystem::path db = args[1];

    std::ifstream in(csvPath, std::ios::binary);
    if (!in)
        return fileError("impossible de lire " + guillemets(csvPath.string()) + ".");
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad())
        return fileError("impossible de lire " + guillemets(csvPath.string()) + ".");

    // A missing database is a new, empty one. The lock is held from the read
    // to the replacement, so that cards added meanwhile by another program
    // (the window, another import) are not lost.
    cards::FileLock lock;
    if (const cards::IoError e = lock.acquire(db); e != cards::IoError::None)
        return fileError(guillemets(db.string()) + " : " + describe(e) +
                         " ; la base n'est pas modifiée.");
    cards::RecordFile file;
    if (const cards::IoError e = cards::RecordFile::load(db, file); e != cards::IoError::None)
        return fileError(guillemets(db.string()) + " : " + describe(e) + ".");
    cards::IoError e;
    int count = cards::image::countCards(file, &e);
    if (e != cards::IoError::None)
        return fileError(guillemets(db.string()) + " : " + describe(e) +
                         " ; la base n'est pas modifiée.");
    std::map<std::string, int> names; // name -> line of the CSV, 0 for the database
    for (int slot = 0; slot < count; ++slot) {
        std::string nom;
        file.read(cards::recordOf(slot, cards::kNom), nom);
        names.emplace(nom, 0);
    }

    const std::vector<CsvRecord> records = parseCsv(text);
    // The reference column may be left out.
    const std::vector<std::string_view> header = csvColumns();
    std::size_t columns = header.size();
    if (records.empty() || !records[0].error.empty() ||
        records[0].fields.size() < header.size() - 1 || records[0].fields.size() > header.size() ||
        !std::equal(records[0].fields.begin(), records[0].fields.end(), header.begin())) {
        return fileError(guillemets(csvPath.string()) +
                         " : la première ligne doit être l'en-tête " + csvHeader() + ".");
    }
    columns = records[0].fields.size();

    int refused = 0, added = 0;
    for (std::size_t r = 1; r < records.size(); ++r) {
        const CsvRecord &rec = records[r];
        if (rec.error.empty() && rec.fields.size() == 1 && rec.fields[0].empty())
            continue; // an empty line
        std::vector<std::string> why;
        cards::carte card;
        if (!rec.error.empty()) {
            why.push_back(rec.error);
        } else if (rec.fields.size() != columns) {
            why.push_back(std::to_string(rec.fields.size()) + " champs au lieu de " +
                          std::to_string(columns));
        } else {
            for (int k = 1; k <= cards::kFieldCount; ++k)
                card.field(k) = rec.fields[static_cast<std::size_t>(k - 1)];
            why = refusals(card);
            if (const auto it = names.find(card.nom()); it != names.end())
                why.push_back(it->second == 0
                                  ? "il y a déjà une espèce chimique avec ce nom dans la base"
                                  : "il y a déjà une espèce chimique avec ce nom à la ligne " +
                                        std::to_string(it->second));
            if (why.empty() && count >= cards::kMaxCards)
                why.push_back("la base est pleine (2978 cartes au plus)");
        }
        if (!why.empty()) {
            std::string msg = "ligne " + std::to_string(rec.line) + " refusée : ";
            for (std::size_t i = 0; i < why.size(); ++i)
                msg += (i ? " ; " : "") + why[i];
            warn(msg + ".");
            ++refused;
            continue;
        }
        quantityWarnings(rec.line, card);
        // The editor puts a new card in the first free slot.
        if (const cards::IoError w = cards::image::writeCard(file, count, card);
            w != cards::IoError::None)
            return fileError("ligne " + std::to_string(rec.line) + " : " + describe(w) +
                             " ; la base n'est pas modifiée.");
        names.emplace(card.nom(), rec.line);
        ++count;
        ++added;
    }

    if (refused > 0)
        return fileError(std::to_string(refused) + " ligne(s) refusée(s) : la base " +
                         guillemets(db.string()) + " n'est pas modifiée.");
    if (const cards::IoError w = file.save(db); w != cards::IoError::None)
        return fileError(guillemets(db.string()) + " : " + describe(w) +
                         " ; la base n'est pas modifiée.");
    std::cout << added << " carte(s) importée(s) ; la base " << guillemets(db.string())
              << " compte " << count << " carte(s).\n";
    return kOk;
}

const Register reg{{"import", "fichier.csv BASE",
                    "ajoute les cartes d'un fichier CSV à la base (créée si elle n'existe pas) ; "
                    "au moindre refus, la base n'est pas modifiée.",
                    2, 2, runImport}};

} // namespace

} // namespace outil
