#include "frenchlocale.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

#include <cstring>

namespace platform
{

namespace
{

struct Text {
    const char *context;
    const char *source;
    const char *french;
};

// Texts of the standard dialogs that Qt's French translation leaves in
// English. The kinds of file the file dialog writes in its "Type" column:
const Text kMissing[] = {
    {"QAbstractFileIconProvider", "Folder", "Dossier"},
    {"QAbstractFileIconProvider", "File Folder", "Dossier de fichiers"},
    {"QAbstractFileIconProvider", "Drive", "Lecteur"},
    {"QAbstractFileIconProvider", "File", "Fichier"},
    {"QAbstractFileIconProvider", "Shortcut", "Raccourci"},
    {"QAbstractFileIconProvider", "Unknown", "Inconnu"},
    // The printer dialog's two-sided printing and page range.
    {"QPrintSettingsOutput", "Off", "Désactivé"},
    {"QPrintSettingsOutput", "Long side binding", "Reliure sur le bord long"},
    {"QPrintSettingsOutput", "Short side binding", "Reliure sur le bord court"},
    {"QPrintSettingsOutput",
     "Specify pages or ranges separated by commas. Ranges are specified by two numbers separated "
     "by a hyphen. E.g: 3,5-7,9 prints pages 3, 5, 6, 7 and 9.",
     "Indiquer des pages ou des intervalles séparés par des virgules ; un intervalle est donné "
     "par deux numéros séparés par un tiret. Par exemple, 3,5-7,9 imprime les pages 3, 5, 6, 7 "
     "et 9."},
};

} // namespace

QString MissingFrenchTexts::translate(const char *context, const char *sourceText, const char *,
                                      int) const
{
    if (!context || !sourceText)
        return {};
    for (const Text &t : kMissing)
        if (std::strcmp(t.context, context) == 0 && std::strcmp(t.source, sourceText) == 0)
            return QString::fromUtf8(t.french);
    return {};
}

FrenchLocale::FrenchLocale()
{
    const QLocale france(QLocale::French, QLocale::France);
    QLocale::setDefault(france);
    loaded_ = qtbase_.load(france, QStringLiteral("qtbase"), QStringLiteral("_"),
                           QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    if (loaded_)
        QCoreApplication::installTranslator(&qtbase_);
    // Installed last, asked first.
    QCoreApplication::installTranslator(&missing_);
}

FrenchLocale::~FrenchLocale()
{
    QCoreApplication::removeTranslator(&missing_);
    if (loaded_)
        QCoreApplication::removeTranslator(&qtbase_);
}

} // namespace platform
