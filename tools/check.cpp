#include "common.h"
#include "cp1252.h"
#include "database.h"
#include "molarmass.h"
#include "subcommand.h"

#include <algorithm>
#include <charconv>
#include <iostream>
#include <map>
#include <optional>

namespace outil
{

namespace
{

// The stored molar mass against the one its formula gives: a remark when
// they part by more than 0.5 %, or when the stored text is not a number.
// A formula that cannot be read (a mixture, a polymer) has nothing to compare.
void checkMolarMass(std::ostream &out, const std::string &id, const cards::carte &card)
{
    const std::string &stored = card.quantite(0);
    if (cards::isBlank(stored))
        return;
    const cards::MolarMass computed = cards::molarMass(card.formule());
    if (!computed.ok())
        return;
    const std::optional<double> value = cards::readMolarMassText(stored);
    if (!value) {
        out << "  masse molaire illisible : " << id << " " << guillemets(stored)
            << " (la formule donne " << cards::formatMolarMass(computed.value) << " g/mol)\n";
        return;
    }
    if (cards::massesDisagree(*value, computed.value)) {
        const double gap = 100 * (*value - computed.value) / computed.value;
        // Room for any double written out in full: a stored mass of a hundred
        // digits gives a gap of as many.
        char percent[400];
        const auto [end, ec] =
            std::to_chars(percent, percent + sizeof percent, gap, std::chars_format::fixed, 1);
        std::string p = gap >= 0 ? "+" : "";
        p.append(percent, ec == std::errc() ? end : percent);
        std::replace(p.begin(), p.end(), '.', ',');
        out << "  masse molaire différente de la formule : " << id << " " << guillemets(stored)
            << " g/mol, la formule " << guillemets(card.formule()) << " donne "
            << cards::formatMolarMass(computed.value) << " g/mol (" << p << " %)\n";
    }
}

std::string where(int record)
{
    const int slot = (record - 1) / cards::kFieldCount;
    const int field = (record - 1) % cards::kFieldCount + 1;
    return "enregistrement " + std::to_string(record) + " (emplacement " + std::to_string(slot) +
           ", " + std::string(cards::fieldInfo(field).column) + ")";
}

int runCheck(const std::vector<std::string> &args)
{
    const std::filesystem::path db = args[0];
    cards::RecordFile file;
    if (!loadExisting(db, file))
        return kBadFile;
    std::ostream &out = std::cout;
    out << "Vérification de " << guillemets(db.string()) << " (" << file.bytes().size()
        << " octets)\n";

    // Every record, stale ones included.
    bool damaged = false;
    const int records = std::min(file.recordCount(), cards::kMaxRecord);
    std::string text;
    for (int n = 1; n <= records; ++n) {
        if (file.readBytes(n, text) == cards::IoError::Damaged) {
            const std::size_t off = static_cast<std::size_t>(n - 1) * cards::kRecordSize;
            const unsigned lo = static_cast<unsigned char>(file.bytes()[off]);
            const unsigned hi = off + 1 < file.bytes().size()
                                    ? static_cast<unsigned char>(file.bytes()[off + 1])
                                    : 0u;
            out << "  endommagé : " << where(n) << ", longueur " << (lo | (hi << 8))
                << (n == file.recordCount() && (lo | (hi << 8)) <= 126
                        ? " (texte coupé par la fin du fichier)\n"
                        : " (au-delà de 126)\n");
            damaged = true;
        }
    }
    if (file.bytes().size() % cards::kRecordSize != 0)
        out << "  remarque : le dernier enregistrement est incomplet ("
            << file.bytes().size() % cards::kRecordSize << " octets sur 128)\n";
    if (file.recordCount() > cards::kMaxRecord)
        out << "  remarque : le fichier dépasse 32767 enregistrements ; la suite n'est jamais "
               "lue\n";

    cards::IoError e;
    const int count = cards::image::countCards(file, &e);
    if (e != cards::IoError::None)
        out << "  la fin de la base n'a pu être trouvée : " << describe(e)
            << " au nom de l'emplacement " << count << "\n";

    std::map<std::string, int> first;
    for (int slot = 0; slot < count; ++slot) {
        cards::carte card;
        if (cards::image::readCard(file, slot, card) != cards::IoError::None)
            continue; // already reported
        const std::string id = "emplacement " + std::to_string(slot) + " " + guillemets(card.nom());
        if (const auto [it, fresh] = first.emplace(card.nom(), slot); !fresh)
            out << "  nom en double : " << id << ", déjà à l'emplacement " << it->second
                << " (la liste montre toujours le premier)\n";
        const std::string &d = card.drapeaux();
        if (cards::utf8Length(d) == 9)
            out << "  drapeaux de neuf caractères : " << id << " " << guillemets(d)
                << " (complétés par « 0 » à la première consultation)\n";
        else if (d.size() != 10 || d.find_first_not_of("0123456789") != std::string::npos)
            out << "  drapeaux inattendus : " << id << " " << guillemets(d) << "\n";
        checkMolarMass(out, id, card);
    }

    if (e == cards::IoError::None) {
        // The slot that ends the database, and any named slots behind it.
        std::string nom;
        file.read(cards::recordOf(count, cards::kNom), nom);
        if (!nom.empty())
            out << "  l'emplacement " << count << " a un nom fait d'espaces " << guillemets(nom)
                << " : il termine la base\n";
        std::vector<int> hidden;
        for (int slot = count + 1; cards::recordOf(slot, cards::kNom) <= records; ++slot) {
            if (file.read(cards::recordOf(slot, cards::kNom), nom) == cards::IoError::None &&
                !cards::isBlank(nom))
                hidden.push_back(slot);
        }
        if (!hidden.empty()) {
            out << "  " << hidden.size()
                << " emplacement(s) avec un nom suivent la fin de la base et n'en font pas partie "
                   ":";
            for (std::size_t i = 0; i < hidden.size() && i < 20; ++i)
                out << ' ' << hidden[i];
            out << (hidden.size() > 20 ? " ...\n" : "\n");
        }
    }

    out << count << " carte(s)" << (damaged ? " ; fichier endommagé.\n" : ".\n");
    return damaged || e != cards::IoError::None ? kBadFile : kOk;
}

const Register reg{
    {"check", "BASE",
     "vérifie une base : enregistrements endommagés, noms en double, drapeaux de neuf "
     "caractères, masses molaires qui s'écartent de plus de 0,5 % de la formule, fin de base "
     "prématurée, nombre de cartes.",
     1, 1, runCheck}};

} // namespace

} // namespace outil
