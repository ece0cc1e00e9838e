#include "helpviewer.h"

#include "dialogs.h"
#include "helpwindow.h"

#include <QDir>
#include <QFileInfo>

namespace help
{

namespace
{

const QString kCompiledHelp = QStringLiteral("help/cartes-especes.qch");

} // namespace

HelpViewer::HelpViewer(QString compiledHelp, QString collectionDir, platform::Dialogs &dialogs)
    : compiledHelp_(std::move(compiledHelp)), collectionDir_(std::move(collectionDir)),
      dialogs_(dialogs)
{
}

HelpViewer::~HelpViewer()
{
    delete window_.data();
}

HelpWindow *HelpViewer::window() const
{
    return window_;
}

void HelpViewer::showHelp(QWidget *from)
{
    show(from, What::Help);
}

void HelpViewer::showCourse(QWidget *from)
{
    show(from, What::Course);
}

void HelpViewer::show(QWidget *from, What what)
{
    const QString title = what == What::Help ? QStringLiteral("Aide introuvable")
                                             : QStringLiteral("Cours introuvable");
    const QString advice = QStringLiteral("Réinstaller l'application, ou prévenir "
                                          "l'administrateur de l'établissement.");
    // Looked for at each click: the file may have been restored or removed
    // since the window was made.
    if (!QFileInfo(compiledHelp_).isFile()) {
        dialogs_.message(from, platform::Dialogs::Icon::Exclamation, title,
                         QStringLiteral("Le fichier de l'aide et du cours est introuvable :\n%1"
                                        "\n%2")
                             .arg(QDir::toNativeSeparators(compiledHelp_), advice));
        return;
    }
    if (!window_ || !window_->isReady()) {
        delete window_.data();
        // A window of its own, above the main window, gone with it.
        window_ = new HelpWindow(compiledHelp_, collectionDir_, from);
    }
    if (!window_->isReady()) {
        dialogs_.message(from, platform::Dialogs::Icon::Exclamation, title,
                         window_->error() + QStringLiteral("\n") + advice);
        return;
    }
    const bool shown = what == What::Help ? window_->showTopics() : window_->showCourse();
    if (!shown)
        dialogs_.message(from, platform::Dialogs::Icon::Exclamation, title,
                         QStringLiteral("Le fichier %1 ne contient pas %2.\n%3")
                             .arg(QDir::toNativeSeparators(compiledHelp_),
                                  what == What::Help ? QStringLiteral("la page d'accueil de l'aide")
                                                     : QStringLiteral("le cours"),
                                  advice));
}

QString findCompiledHelp(const QString &executableDir, const QString &dataDir)
{
    const QString beside = QDir(executableDir).filePath(kCompiledHelp);
    if (QFileInfo(beside).isFile())
        return beside;
    const QString installed = QDir(dataDir).filePath(kCompiledHelp);
    if (QFileInfo(installed).isFile())
        return installed;
    return beside;
}

} // namespace help
