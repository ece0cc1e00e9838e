#include "atomicweights.h"
#include "molarmass.h"
#include "subcommand.h"

#include <iostream>

namespace outil
{

namespace
{

// "249,68 g/mol (Cu 1, S 1, O 9, H 10)": the mass, then the atoms counted,
// so that a formula read otherwise than meant shows it.
int runMasse(const std::vector<std::string> &args)
{
    int status = kOk;
    for (const std::string &formula : args) {
        const cards::MolarMass m = cards::molarMass(formula);
        if (!m.ok()) {
            std::cerr << "cartes-outil : « " << formula << " » : " << m.message() << '\n';
            status = kUsage;
            continue;
        }
        std::cout << formula << " : " << cards::formatMolarMass(m.value) << " g/mol (";
        const char *sep = "";
        for (const auto &[z, n] : m.atoms) {
            std::cout << sep << cards::elementByNumber(z)->symbol << ' ' << n;
            sep = ", ";
        }
        std::cout << ")\n";
    }
    return status;
}

const Register reg{{"masse", "FORMULE...",
                    "masse molaire d'une formule écrite comme sur les cartes (« # » avant un "
                    "indice, « * » avant un exposant) : « CuSO#4,5H#2O ».",
                    1, 100, runMasse}};

} // namespace

} // namespace outil
