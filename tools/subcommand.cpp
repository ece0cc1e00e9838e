#include "subcommand.h"

#include <algorithm>
#include <iostream>

namespace outil
{

namespace
{

std::vector<Subcommand> &registry()
{
    static std::vector<Subcommand> all;
    return all;
}

} // namespace

Register::Register(const Subcommand &c)
{
    auto &all = registry();
    all.push_back(c);
    std::sort(all.begin(), all.end(),
              [](const Subcommand &a, const Subcommand &b) { return a.name < b.name; });
}

const std::vector<Subcommand> &subcommands()
{
    return registry();
}

int usageError(std::string_view message, const Subcommand *only)
{
    std::cerr << "cartes-outil : " << message << "\n\n" << usageText(only);
    return kUsage;
}

int fileError(std::string_view message)
{
    std::cerr << "cartes-outil : " << message << '\n';
    return kBadFile;
}

void warn(std::string_view message)
{
    std::cerr << "cartes-outil : " << message << '\n';
}

std::string usageText(const Subcommand *only)
{
    std::string s =
        only ? "Usage :\n" : "Usage : cartes-outil COMMANDE ARGUMENTS...\n\nCommandes :\n";
    for (const Subcommand &c : registry()) {
        if (only && only->name != c.name)
            continue;
        s += "  cartes-outil ";
        s += c.name;
        s += ' ';
        s += c.arguments;
        s += "\n      ";
        s += c.summary;
        s += '\n';
    }
    return s;
}

} // namespace outil
