#pragma once

// What the program finds in its help module (cartes-especes-aide), which it
// loads the first time the help or the course is asked for, so that Qt Help
// and Qt Sql are not loaded at each start.

class QString;

namespace platform
{
class Dialogs;
class HelpViewer;
} // namespace platform

namespace helpmodule
{

inline constexpr const char *kFileName = "cartes-especes-aide";

// A new viewer of the compiled help found from the program's folder and the
// installed data folder, keeping its search index in `collectionDir`. The
// caller owns it.
using MakeViewer = platform::HelpViewer *(*)(const QString &executableDir, const QString &dataDir,
                                             const QString &collectionDir,
                                             platform::Dialogs &dialogs);
inline constexpr const char *kMakeViewer = "cartes_aide";

} // namespace helpmodule
