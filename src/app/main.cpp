#include "appdir.h"
#include "dialogs.h"
#include "feuillep.h"
#include "frenchlocale.h"
#include "modules.h"
#include "services.h"
#include "windows.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QSessionManager>
#include <QStandardPaths>
#include <QTimer>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace
{

// The card file named on the command line (the desktop passes the file opened
// from the file manager): the first argument that is not an option, or the
// first one after "--". Empty when there is none.
QString cardFileArgument(const QStringList &arguments)
{
    bool options = true;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (options && argument == QLatin1String("--")) {
            options = false;
            continue;
        }
        if (argument.isEmpty() || (options && argument.startsWith(QLatin1Char('-'))))
            continue;
        return QFileInfo(argument).absoluteFilePath();
    }
    return {};
}

} // namespace

int main(int argc, char *argv[])
{
#ifdef __GLIBC__
    // The species database (4 MB at most) is read whole by each operation
    // that changes it or checks a name (the list and the display read it a
    // piece at a time): its buffer is taken from the heap and kept there
    // between operations, rather than mapped afresh from the system and
    // faulted in page by page each time.
    mallopt(M_MMAP_THRESHOLD, 64 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 128 * 1024 * 1024);
#endif
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("cartes-especes"));
    QApplication::setApplicationDisplayName(QString());
    QGuiApplication::setDesktopFileName(QStringLiteral("cartes-especes"));

    // French numbers, dates and standard dialogs, whatever the system's locale.
    const platform::FrenchLocale french;

    const QString exeDir = QApplication::applicationDirPath();
    const QString defaults =
        QDir::cleanPath(exeDir + QLatin1Char('/') + QStringLiteral(CARTES_DEFAULTS_FROM_BINDIR));
    const QString appDir = platform::applicationDirectory(
        exeDir, defaults, QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));

    platform::QtDialogs dialogs;
    platform::NoDialUp dialUp;
    // The network windows and the help are loaded when first opened, from
    // beside the program or from the installed modules' folder.
    Modules modules({exeDir, QDir::cleanPath(exeDir + QLatin1Char('/') +
                                             QStringLiteral(CARTES_MODULES_FROM_BINDIR))},
                    dialogs);
    // The help's search index is the engine's to write: kept with the user's
    // cache, since the installed help is read-only.
    ModuleHelpViewer helpViewer(
        modules, exeDir, defaults,
        QDir(QStandardPaths::writableLocation(QStandardPaths::CacheLocation))
            .filePath(QStringLiteral("aide")));

    // The icon is drawn from its SVG file at four sizes for the window manager
    // at the first turn of the event loop: once the main window is shown and
    // painted, or once a message of the start-up is up. Windows opened later
    // take it from the application.
    QTimer::singleShot(0, &app, [] {
        QApplication::setWindowIcon(QIcon(QStringLiteral(":/pictures/cartes-especes.svg")));
    });
    feuilleP window(appDir, dialogs, dialUp, helpViewer);
    connectWindows(window, modules);
    QObject::connect(&window, &feuilleP::unloaded, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window, &feuilleP::commitData,
                     Qt::DirectConnection);
    window.show();
    // A card file named on the command line opens as with "&Ouvrir" once the
    // window is up, so that its questions and messages stand over it.
    const QString cardFile = cardFileArgument(QApplication::arguments());
    if (!cardFile.isEmpty())
        QTimer::singleShot(0, &window, [&window, cardFile] { window.openCardFile(cardFile); });
    return app.exec();
}
