// cartes-outil: the command-line companion of the species cards application
// (database import and export, checks, card files).

#include "subcommand.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char **argv)
{
    using namespace outil;
    if (argc < 2)
        return usageError("commande manquante.");
    const std::string name = argv[1];
    if (name == "aide" || name == "--help" || name == "-h") {
        std::cout << usageText();
        return kOk;
    }
    for (const Subcommand &c : subcommands()) {
        if (c.name != name)
            continue;
        const std::vector<std::string> args(argv + 2, argv + argc);
        const int n = static_cast<int>(args.size());
        if (n < c.minArgs || n > c.maxArgs)
            return usageError("nombre d'arguments incorrect pour « " + name + " ».", &c);
        return c.run(args);
    }
    return usageError("commande inconnue : « " + name + " ».");
}
