#include "param.h"
#include "paranet.h"
#include "recordbytes.h"
#include "scripteddialogs.h"

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
};

QTEST_MAIN(TestParam)
#include "tst_param.moc"
