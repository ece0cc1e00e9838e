#include "pictures.h"

#include <algorithm>

namespace outil
{

std::unique_ptr<QGuiApplication> guiApplication()
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "cartes-outil";
    static char *argv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

bool takeStyle(std::vector<std::string> &args, hazardpictures::Style &style, const Subcommand *self,
               std::size_t minArgs, std::size_t maxArgs)
{
    style = hazardpictures::loadStyle();
    const auto option = std::find(args.begin(), args.end(), "--pictogrammes");
    if (option != args.end()) {
        const auto named = option + 1 == args.end()
                               ? std::nullopt
                               : hazardpictures::styleNamed(QString::fromStdString(*(option + 1)));
        if (!named) {
            usageError("--pictogrammes : « orange » (carrés orange) ou « sgh » (losanges du "
                       "règlement CLP).",
                       self);
            return false;
        }
        style = *named;
        args.erase(option, option + 2);
    }
    if (args.size() < minArgs || args.size() > maxArgs) {
        usageError("nombre d'arguments incorrect pour « " + std::string(self->name) + " ».", self);
        return false;
    }
    return true;
}

const Subcommand *subcommandNamed(std::string_view name)
{
    for (const Subcommand &c : subcommands())
        if (c.name == name)
            return &c;
    return nullptr;
}

} // namespace outil
