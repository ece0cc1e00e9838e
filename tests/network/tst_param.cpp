#include "fakesecretstore.h"
#include "param.h"
#include "paranet.h"
#include "recordbytes.h"
#include "scripteddialogs.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using platform::Dialogs;

class TestParam : public QObject
{
    Q_OBJECT

    // Records 1 to 8 of an installed file, with stray bytes in the fillers and a
    // ninth record, so that any byte the window should not touch is noticed.
    static QByteArray installed()
    {
        QByteArray bytes =
            records({"https://accueil.example.org/", "https://recherche.example.org/",
                     "Lyc\xe9"
                     "e Pasteur",
                     "prof@example.org", "smtp.example.org", "cartes@example.org",
                     "https://maj.example.org/proc.txt", "https://cartes.example.org/LISTEC.ZYP",
                     "neuvi\xe8me"});
        bytes[128 + 100] = 'X';     // filler of record 2
        bytes[7 * 128 + 120] = 'Y'; // filler of record 8
        return bytes;
    }

private slots:
    void valider_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        const QByteArray newMail =
            record("Coll\xe8ge Curie") + record("curie@example.fr") + record("127.0.0.1:2525");
        QByteArray changed = installed();
        changed.replace(2 * 128, 3 * 128, newMail);
        QTest::newRow("installed file") << installed() << changed;
        // A missing file gets records 1 and 2 empty and records 3 to 5.
        QTest::newRow("missing file") << QByteArray() << (records({"", ""}) + newMail);
    }

    void valider()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QTemporaryDir dir;
        const QString path = network::paranetPath(dir.path());
        if (!before.isEmpty())
            QVERIFY(writeAll(path, before));
        platform::ScriptedDialogs dialogs;
        param window(dir.path(), dialogs);
        window.Text3->setText(QStringLiteral("Collège Curie"));
        window.Text4->setText(QStringLiteral("curie@example.fr"));
        window.Text5->setText(QStringLiteral("127.0.0.1:2525"));
        window.Command3->click();
        QCOMPARE(window.result(), int(QDialog::Accepted));
        QCOMPARE(readAll(path), after);
        QVERIFY(dialogs.shown.isEmpty());

        param again(dir.path(), dialogs);
        QCOMPARE(again.Text3->text(), QStringLiteral("Collège Curie"));
        QCOMPARE(again.Text5->text(), QStringLiteral("127.0.0.1:2525"));
    }

    void annuler_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::newRow("installed file") << installed();
        QTest::newRow("missing file") << QByteArray();
    }

    void annuler()
    {
        QFETCH(QByteArray, before);
        QTemporaryDir dir;
        const QString path = network::paranetPath(dir.path());
        if (!before.isEmpty())
            QVERIFY(writeAll(path, before));
        platform::ScriptedDialogs dialogs;
        param window(dir.path(), dialogs);
        window.Text3->setText(QStringLiteral("Autre"));
        window.Text5->setText(QStringLiteral("autre.example.org"));
        window.Command2->click();
        QCOMPARE(window.result(), int(QDialog::Rejected));
        QCOMPARE(QFile::exists(path), !before.isEmpty());
        QCOMPARE(readAll(path), before);
    }

    void load()
    {
        QTemporaryDir dir;
        QVERIFY(writeAll(network::paranetPath(dir.path()), installed()));
        platform::ScriptedDialogs dialogs;
        param window(dir.path(), dialogs);
        QCOMPARE(window.Text3->text(), QStringLiteral("Lycée Pasteur"));
        QCOMPARE(window.Text4->text(), QStringLiteral("prof@example.org"));
        QCOMPARE(window.Text5->text(), QStringLiteral("smtp.example.org"));
        // The server's box tells what its port chooses.
        for (const char *port :
             {"serveur:465 : chiffrée (TLS)", "serveur:587 : chiffrement STARTTLS"})
            QVERIFY(window.Text5->toolTip().contains(QString::fromUtf8(port)));
        QCOMPARE(
            window.Text1->toPlainText(),
            QStringLiteral("Adresse de la page d'accueil:\nhttps://accueil.example.org/\n\n"
                           "Adresse de la page de recherche:\nhttps://recherche.example.org/\n\n"
                           "Destination des cartes des espèces chimiques:\ncartes@example.org\n\n"
                           "Adresse des cartes à télécharger:\n"
                           "https://cartes.example.org/LISTEC.ZYP\n\n"
                           "Adresse du fichier de procédures de mise à jour en ligne:\n"
                           "https://maj.example.org/proc.txt\n\n"));
    }

    void damagedRecord()
    {
        QTemporaryDir dir;
        QByteArray bytes = installed();
        bytes[128] = char(200); // record 2 claims 200 characters
        QVERIFY(writeAll(network::paranetPath(dir.path()), bytes));
        platform::ScriptedDialogs dialogs;
        dialogs.expectMessage(QStringLiteral("Lecture impossible sur disque"), Dialogs::Answer::Ok);
        param window(dir.path(), dialogs);
        QVERIFY(dialogs.unexpected.isEmpty());
        QVERIFY(dialogs.allAnswered());
        QVERIFY(
            window.Text1->toPlainText().contains(QStringLiteral("https://accueil.example.org/")));
        QVERIFY(window.Text3->text().isEmpty());
    }

    void writeError()
    {
        QTemporaryDir dir;
        const QString missingDir = dir.filePath(QStringLiteral("absent"));
        platform::ScriptedDialogs dialogs;
        dialogs.expectMessage(QStringLiteral("Ecriture impossible sur disque"),
                              Dialogs::Answer::Ok);
        param window(missingDir, dialogs);
        window.show();
        window.Text3->setText(QStringLiteral("Nom"));
        window.Command3->click();
        QVERIFY(dialogs.unexpected.isEmpty());
        QVERIFY(dialogs.allAnswered());
        QVERIFY(window.isVisible());
    }

    // The login typed in the window: the user name in the settings file, the
    // password in the keyring or, without one, in this session only; never in
    // PARANET.LST. A later session finds it only in the keyring.
    void login_data()
    {
        QTest::addColumn<bool>("keyring");
        QTest::addColumn<QString>("laterNote"); // Label8 in a later session
        QTest::newRow("keyring") << true
                                 << QStringLiteral("Mot de passe gardé dans le trousseau de clés.");
        QTest::newRow("no keyring")
            << false
            << QStringLiteral("Aucun trousseau de clés ne répond : le mot de passe sera gardé "
                              "pour cette session seulement.");
    }

    void login()
    {
        QFETCH(bool, keyring);
        QFETCH(QString, laterNote);
        QTemporaryDir dir;
        QVERIFY(writeAll(network::paranetPath(dir.path()), installed()));
        const QString settings = dir.filePath(QStringLiteral("config/courrier.ini"));
        FakeSecretStore store;
        store.available = keyring;
        network::MailLogin session(store, settings);
        platform::ScriptedDialogs dialogs;
        const QString server = QStringLiteral("smtp.example.org:587");
        const QString password = QStringLiteral("m0t de passe");
        {
            param window(dir.path(), dialogs, session);
            window.show();
            window.Text5->setText(server);
            window.Text6->setText(QStringLiteral("  prof  "));
            QTest::keyClicks(window.Text7, password);
            window.Command3->click();
            QCOMPARE(window.result(), int(QDialog::Accepted));
        }
        QTRY_COMPARE(store.entries.value(network::MailLogin::key(server, QStringLiteral("prof"))),
                     keyring ? password : QString());
        QVERIFY(!readAll(network::paranetPath(dir.path())).contains(password.toLatin1()));
        QVERIFY(!readAll(settings).contains(password.toLatin1()));
        {
            param again(dir.path(), dialogs, session);
            QCOMPARE(again.Text6->text(), QStringLiteral("prof"));
            QTRY_COMPARE(again.Text7->text(), password);
            QCOMPARE(again.Label8->text(),
                     QStringLiteral("Mot de passe gardé pour cette session."));
        }
        network::MailLogin later(store, settings);
        param window(dir.path(), dialogs, later);
        QTRY_COMPARE(window.Label8->text(), laterNote);
        QCOMPARE(window.Text7->text(), keyring ? password : QString());
        QVERIFY(dialogs.shown.isEmpty());
    }

    // A slow keyring's answer never replaces what the user typed meanwhile.
    void typedBeforeTheKeyringAnswers()
    {
        QTemporaryDir dir;
        QVERIFY(writeAll(network::paranetPath(dir.path()), installed()));
        FakeSecretStore store;
        network::MailLogin login(store, dir.filePath(QStringLiteral("courrier.ini")));
        QVERIFY(login.setUserName(QStringLiteral("prof")));
        const QString key =
            network::MailLogin::key(QStringLiteral("smtp.example.org"), QStringLiteral("prof"));
        store.entries.insert(key, QStringLiteral("ancien"));
        store.hold = true;
        platform::ScriptedDialogs dialogs;
        param window(dir.path(), dialogs, login);
        window.show();
        QTest::keyClicks(window.Text7, QStringLiteral("nouveau"));
        store.release();
        QCOMPARE(window.Text7->text(), QStringLiteral("nouveau"));
        store.hold = false;
        window.Command3->click();
        QTRY_COMPARE(store.entries.value(key), QStringLiteral("nouveau"));
    }

    // A password shown for one server goes with the user to the server typed
    // now, so that sending does not find it missing.
    void passwordFollowsTheServer()
    {
        QTemporaryDir dir;
        QVERIFY(writeAll(network::paranetPath(dir.path()), installed()));
        FakeSecretStore store;
        network::MailLogin login(store, dir.filePath(QStringLiteral("courrier.ini")));
        QVERIFY(login.setUserName(QStringLiteral("prof")));
        store.entries.insert(
            network::MailLogin::key(QStringLiteral("smtp.example.org"), QStringLiteral("prof")),
            QStringLiteral("secret"));
        platform::ScriptedDialogs dialogs;
        param window(dir.path(), dialogs, login);
        window.show();
        QTRY_COMPARE(window.Text7->text(), QStringLiteral("secret"));
        window.Text5->setText(QStringLiteral("smtp.example.org:465"));
        window.Command3->click();
        QTRY_COMPARE(store.entries.value(network::MailLogin::key(
                         QStringLiteral("smtp.example.org:465"), QStringLiteral("prof"))),
                     QStringLiteral("secret"));
    }
};

QTEST_MAIN(TestParam)
#include "tst_param.moc"
