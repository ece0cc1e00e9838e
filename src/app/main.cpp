#include "appdir.h"
#include "confimp.h"
#include "dialogs.h"
#include "feuillep.h"
#include "services.h"
#include "windows.h"

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QPrinter>
#include <QSessionManager>
#include <QStandardPaths>
#include <QTranslator>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("cartes-especes"));
    QApplication::setApplicationDisplayName(QString());
    QGuiApplication::setDesktopFileName(QStringLiteral("cartes-especes"));

    // The standard buttons and dialogs speak French, as the application does.
    QTranslator qtbase;
    if (qtbase.load(QLocale(QLocale::French, QLocale::France), QStringLiteral("qtbase"),
                    QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtbase);

    const QString exeDir = QApplication::applicationDirPath();
    const QString defaults = QDir::cleanPath(exeDir + QStringLiteral("/../share/cartes-especes"));
    const QString appDir = platform::applicationDirectory(
        exeDir, defaults, QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));

    platform::QtDialogs dialogs;
    platform::NoDialUp dialUp;
    platform::DesktopHelpViewer help;
    QPrinter printer;
    preparePrinter(printer, defaultPdfPath());

    feuilleP window(appDir, dialogs, dialUp, help);
    connectWindows(window, printer);
    QObject::connect(&window, &feuilleP::unloaded, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window, &feuilleP::commitData,
                     Qt::DirectConnection);
    window.show();
    return app.exec();
}
