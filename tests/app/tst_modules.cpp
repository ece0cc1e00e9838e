// The network windows and the help reach the program as modules loaded when
// first opened. The program must not link what they bring (that is the point),
// each entry point must do its work for real once loaded, and a module missing
// or damaged must be said, not crash the program.

#include "carte.h"
#include "helpmodule.h"
#include "modules.h"
#include "networkmodule.h"
#include "scripteddialogs.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using platform::Dialogs;
using platform::ScriptedDialogs;

namespace
{

const QString kModules = QStringLiteral(CARTES_MODULE_BUILD_DIR);

// The title of the next modal window, which is then closed; empty when none
// came within 10 s.
QString closeNextModal()
{
    QString title;
    (void)QTest::qWaitFor(
        [&title] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                title = modal->windowTitle();
                if (auto *dialog = qobject_cast<QDialog *>(modal))
                    dialog->reject();
                else
                    modal->close();
                return true;
            }
            return false;
        },
        10000);
    return title;
}

} // namespace

class TestModules : public QObject
{
    Q_OBJECT

private slots:
    void programLinksNeitherModule();
    void publishingFromModule();
    void downloadFromModule();
    void helpFromModule();
    void missingOrDamaged_data();
    void missingOrDamaged();
};

void TestModules::programLinksNeitherModule()
{
    // What the modules bring is loaded only when one of their windows opens.
    QProcess readelf;
    readelf.start(QStringLiteral("readelf"),
                  {QStringLiteral("-d"), QStringLiteral(CARTES_PROGRAM)});
    QVERIFY(readelf.waitForFinished(30000));
    QCOMPARE(readelf.exitCode(), 0);
    const QString dynamic = QString::fromLocal8Bit(readelf.readAllStandardOutput());
    QVERIFY2(dynamic.contains(QLatin1String("[libQt6Widgets.so")), qPrintable(dynamic));
    for (const char *library : {"libQt6Network", "libQt6Help", "libQt6Sql", "libqt6keychain"})
        QVERIFY2(!dynamic.contains(QLatin1Char('[') + QLatin1String(library)), library);
}

void TestModules::publishingFromModule()
{
    QTemporaryDir appDir;
    QVERIFY(QFile::copy(QStringLiteral(CARTES_PARANET), appDir.filePath("PARANET.LST")));
    ScriptedDialogs dialogs;
    Modules modules({kModules}, dialogs);
    const auto publish = modules.function<networkmodule::Publish>(networkmodule::kFileName,
                                                                  networkmodule::kPublish, nullptr);
    QVERIFY(publish);

    // The name check comes first, as it always did.
    cards::carte card;
    card.nom() = "   ";
    dialogs.expectMessage(QStringLiteral("Emission impossible"), Dialogs::Answer::Ok);
    publish(card, appDir.path(), dialogs, nullptr);
    QVERIFY(dialogs.allAnswered());

    // A named card opens the publishing window, modal until closed.
    card.nom() = "eau";
    QString title;
    QTimer::singleShot(0, [&title] { title = closeNextModal(); });
    publish(card, appDir.path(), dialogs, nullptr);
    QCOMPARE(title, QStringLiteral("Publier cette carte sur le serveur"));
    QVERIFY2(dialogs.unexpected.isEmpty(), qPrintable(dialogs.unexpected.join('\n')));
}

void TestModules::downloadFromModule()
{
    QTemporaryDir appDir;
    QVERIFY(QFile::copy(QStringLiteral(CARTES_PARANET), appDir.filePath("PARANET.LST")));
    ScriptedDialogs dialogs;
    Modules modules({kModules}, dialogs);
    const auto download = modules.function<networkmodule::Download>(
        networkmodule::kFileName, networkmodule::kDownload, nullptr);
    QVERIFY(download);
    // A list said to be downloaded already: the window reads it from the
    // application folder rather than from the network.
    bool listDownloaded = true;
    QString title;
    QTimer::singleShot(0, [&title] { title = closeNextModal(); });
    download(
        appDir.path(), listDownloaded, [] { return true; }, dialogs, nullptr);
    QCOMPARE(title, QStringLiteral("Télécharger des cartes"));
}

void TestModules::helpFromModule()
{
    QTemporaryDir cache;
    ScriptedDialogs dialogs;
    Modules modules({kModules}, dialogs);
    {
        ModuleHelpViewer viewer(modules, QFileInfo(QStringLiteral(CARTES_PROGRAM)).absolutePath(),
                                cache.filePath("no-data"), cache.filePath("aide"));
        viewer.showHelp(nullptr);
        QWidget *window = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT(
            [&window] {
                for (QWidget *w : QApplication::topLevelWidgets())
                    if (w->isVisible() && w->windowTitle().startsWith(QLatin1String("Aide")))
                        window = w;
                return window != nullptr;
            }(),
            20000);
        // The course comes in the same window, from the module already loaded.
        viewer.showCourse(nullptr);
        QVERIFY(window->isVisible());
    }
    QVERIFY2(dialogs.shown.isEmpty(), qPrintable(dialogs.titles().join('\n')));
}

void TestModules::missingOrDamaged_data()
{
    QTest::addColumn<QStringList>("contents"); // what each folder looked in holds
    QTest::addColumn<bool>("found");
    QTest::newRow("missing") << QStringList{QString()} << false;
    QTest::newRow("damaged") << QStringList{QStringLiteral("garbage")} << false;
    QTest::newRow("empty file") << QStringList{QStringLiteral("empty")} << false;
    // A damaged copy beside the program does not hide the installed one.
    QTest::newRow("damaged, then installed")
        << QStringList{QStringLiteral("garbage"), kModules} << true;
}

void TestModules::missingOrDamaged()
{
    QFETCH(QStringList, contents);
    QFETCH(bool, found);
    QTemporaryDir work;
    QStringList folders;
    for (int i = 0; i < contents.size(); ++i) {
        if (contents[i] == kModules) {
            folders << kModules;
            continue;
        }
        const QString folder = work.filePath(QString::number(i));
        QVERIFY(QDir().mkpath(folder));
        for (const char *module : {networkmodule::kFileName, helpmodule::kFileName}) {
            QFile file(QDir(folder).filePath(QLatin1String(module) + QLatin1String(".so")));
            if (contents[i] == QLatin1String("garbage")) {
                QVERIFY(file.open(QIODevice::WriteOnly));
                file.write("\x7f"
                           "ELF not really a module");
            } else if (contents[i] == QLatin1String("empty")) {
                QVERIFY(file.open(QIODevice::WriteOnly));
            }
        }
        folders << folder;
    }
    ScriptedDialogs dialogs;
    Modules modules(folders, dialogs);
    const auto publish = modules.function<networkmodule::Publish>(networkmodule::kFileName,
                                                                  networkmodule::kPublish, nullptr);
    QCOMPARE(publish != nullptr, found);
    if (found) {
        QVERIFY(dialogs.shown.isEmpty());
        return;
    }
    // Said, naming the file; and the help asks again at each request, each
    // time with the same message and no window.
    ModuleHelpViewer viewer(modules, work.path(), work.path(), work.filePath("aide"));
    viewer.showHelp(nullptr);
    viewer.showCourse(nullptr);
    QCOMPARE(dialogs.shown.size(), 3);
    const QStringList files{QStringLiteral("cartes-especes-reseau.so"),
                            QStringLiteral("cartes-especes-aide.so"),
                            QStringLiteral("cartes-especes-aide.so")};
    for (int i = 0; i < 3; ++i) {
        const ScriptedDialogs::Shown &shown = dialogs.shown.at(i);
        QCOMPARE(shown.icon, Dialogs::Icon::Critical);
        QCOMPARE(shown.title, QStringLiteral("Installation incomplète"));
        QVERIFY2(shown.text.contains(files.at(i)), qPrintable(shown.text));
    }
    for (QWidget *w : QApplication::topLevelWidgets())
        QVERIFY2(!w->isVisible(), qPrintable(w->windowTitle()));
}

QTEST_MAIN(TestModules)
#include "tst_modules.moc"
