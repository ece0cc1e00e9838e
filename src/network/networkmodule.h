#pragma once

// What the program finds in its network module (cartes-especes-reseau), which
// it loads the first time a card is published or downloaded, so that Qt
// Network, the secret store and their libraries are not loaded at each start.

#include <functional>

class QString;
class QWidget;

namespace cards
{
class carte;
}

namespace platform
{
class Dialogs;
}

namespace networkmodule
{

inline constexpr const char *kFileName = "cartes-especes-reseau";

// Publishes `card` by mail after the name check: "Publier cette carte sur le
// serveur", modal over `parent`.
using Publish = void (*)(const cards::carte &card, const QString &appDir,
                         platform::Dialogs &dialogs, QWidget *parent);
inline constexpr const char *kPublish = "cartes_publier";

// Downloads cards offered on the server: "Télécharger une carte", modal over
// `parent`; `chargenet` fills the list of cards offered.
using Download = void (*)(const QString &appDir, bool &listDownloaded,
                          const std::function<bool()> &chargenet, platform::Dialogs &dialogs,
                          QWidget *parent);
inline constexpr const char *kDownload = "cartes_telecharger";

} // namespace networkmodule
