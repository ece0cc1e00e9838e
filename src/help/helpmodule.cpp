#include "helpmodule.h"

#include "helpviewer.h"

#include <QtGlobal>

#include <type_traits>

// A C name, so that the program finds it by name; its type is checked below.
extern "C" Q_DECL_EXPORT platform::HelpViewer *cartes_aide(const QString &executableDir,
                                                           const QString &dataDir,
                                                           const QString &collectionDir,
                                                           platform::Dialogs &dialogs)
{
    return new help::HelpViewer(help::findCompiledHelp(executableDir, dataDir), collectionDir,
                                dialogs);
}

static_assert(std::is_same_v<decltype(&cartes_aide), helpmodule::MakeViewer>);
