#include "appdir.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestAppDir : public QObject
{
    Q_OBJECT

    static void touch(const QString &path, const QByteArray &content = "x")
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }

private slots:
    void portableInstallKeepsItsDirectory()
    {
        QTemporaryDir root;
        const QString exe = root.filePath("portable");
        const QString defaults = root.filePath("share");
        QDir().mkpath(exe);
        QDir().mkpath(defaults);
        touch(exe + "/ESPCHIMIQUES.ZYP");
        touch(defaults + "/ESPCHIMIQUES.ZYP");
        QCOMPARE(platform::applicationDirectory(exe, defaults, root.filePath("user")), exe);
        QVERIFY(!QDir(root.filePath("user")).exists());
    }

    void writableBuildTreeWithoutDefaults()
    {
        QTemporaryDir root;
        const QString exe = root.filePath("build");
        QDir().mkpath(exe);
        QCOMPARE(
            platform::applicationDirectory(exe, root.filePath("nowhere"), root.filePath("user")),
            exe);
    }

    void installedProgramUsesUserDirectoryFilledOnce()
    {
        QTemporaryDir root;
        const QString exe = root.filePath("usr/bin");
        const QString defaults = root.filePath("usr/share/cartes-especes");
        const QString user = root.filePath("home/.local/share/cartes-especes");
        QDir().mkpath(exe);
        QDir().mkpath(defaults);
        touch(defaults + "/ESPCHIMIQUES.ZYP", "defaut");
        touch(defaults + "/PARANET.LST", "param");
        QFile::setPermissions(defaults + "/ESPCHIMIQUES.ZYP", QFile::ReadOwner | QFile::ReadOther);

        QCOMPARE(platform::applicationDirectory(exe, defaults, user), user);
        QFile copied(user + "/ESPCHIMIQUES.ZYP");
        QVERIFY(copied.open(QIODevice::ReadWrite)); // the user's copy is writable
        QCOMPARE(copied.readAll(), QByteArray("defaut"));
        copied.close();
        QVERIFY(QFile::exists(user + "/PARANET.LST"));

        // A second start keeps the user's own database.
        touch(user + "/ESPCHIMIQUES.ZYP", "modifiee");
        QCOMPARE(platform::applicationDirectory(exe, defaults, user), user);
        QFile again(user + "/ESPCHIMIQUES.ZYP");
        QVERIFY(again.open(QIODevice::ReadOnly));
        QCOMPARE(again.readAll(), QByteArray("modifiee"));
        QVERIFY(!QFile::exists(exe + "/ESPCHIMIQUES.ZYP"));
    }
};

QTEST_GUILESS_MAIN(TestAppDir)
#include "tst_appdir.moc"
