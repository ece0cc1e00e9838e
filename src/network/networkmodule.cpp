#include "networkmodule.h"

#include "exporter.h"
#include "feuilleftp.h"

#include <QtGlobal>

#include <type_traits>

// The entry points keep C names so that the program finds them by name; their
// types are those of networkmodule.h, checked here.
extern "C" Q_DECL_EXPORT void cartes_publier(const cards::carte &card, const QString &appDir,
                                             platform::Dialogs &dialogs, QWidget *parent)
{
    if (!checkPublishable(QString::fromStdString(card.nom()), dialogs, parent))
        return;
    Exporter exporter(card, appDir, dialogs, parent);
    exporter.exec();
}

extern "C" Q_DECL_EXPORT void cartes_telecharger(const QString &appDir, bool &listDownloaded,
                                                 const std::function<bool()> &chargenet,
                                                 platform::Dialogs &dialogs, QWidget *parent)
{
    feuilleFTP download(appDir, listDownloaded, chargenet, dialogs, parent);
    download.exec();
}

static_assert(std::is_same_v<decltype(&cartes_publier), networkmodule::Publish>);
static_assert(std::is_same_v<decltype(&cartes_telecharger), networkmodule::Download>);
