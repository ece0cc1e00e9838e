#include "modules.h"

#include "dialogs.h"
#include "helpmodule.h"

#include <QDir>
#include <QFileInfo>
#include <QLibrary>

Modules::Modules(QStringList folders, platform::Dialogs &dialogs)
    : folders_(std::move(folders)), dialogs_(dialogs)
{
}

QFunctionPointer Modules::resolve(const char *module, const char *name, QWidget *parent)
{
    const QString file = QLatin1String(module) + QStringLiteral(".so");
    QString why;
    for (const QString &folder : folders_) {
        const QString path = QDir(folder).filePath(file);
        if (!QFileInfo(path).isFile())
            continue;
        // Loaded once; QLibrary leaves it loaded when it goes.
        QLibrary library(path);
        if (QFunctionPointer function = library.resolve(name))
            return function;
        why = library.errorString();
    }
    if (why.isEmpty())
        why = QStringLiteral("Cherché dans : %1").arg(folders_.join(QStringLiteral(", ")));
    dialogs_.message(parent, platform::Dialogs::Icon::Critical,
                     QStringLiteral("Installation incomplète"),
                     QStringLiteral("Le fichier « %1 » manque ou ne peut pas être chargé : cette "
                                    "partie de l'application ne peut pas s'ouvrir.\n\n%2\n\n"
                                    "Réinstallez l'application.")
                         .arg(file, why));
    return nullptr;
}

ModuleHelpViewer::ModuleHelpViewer(Modules &modules, QString executableDir, QString dataDir,
                                   QString collectionDir)
    : modules_(modules), executableDir_(std::move(executableDir)), dataDir_(std::move(dataDir)),
      collectionDir_(std::move(collectionDir))
{
}

ModuleHelpViewer::~ModuleHelpViewer() = default;

void ModuleHelpViewer::showHelp(QWidget *from)
{
    if (platform::HelpViewer *v = viewer(from))
        v->showHelp(from);
}

void ModuleHelpViewer::showCourse(QWidget *from)
{
    if (platform::HelpViewer *v = viewer(from))
        v->showCourse(from);
}

platform::HelpViewer *ModuleHelpViewer::viewer(QWidget *from)
{
    if (!viewer_) {
        const auto make = modules_.function<helpmodule::MakeViewer>(helpmodule::kFileName,
                                                                    helpmodule::kMakeViewer, from);
        if (make)
            viewer_.reset(make(executableDir_, dataDir_, collectionDir_, modules_.dialogs()));
    }
    return viewer_.get();
}
