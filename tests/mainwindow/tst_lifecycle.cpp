// The main window's start-up and closing, the status file, the help buttons,
// the info line and the card-file commands.

#include "mainwindowfixture.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTableView>

using namespace fixture;

class TestLifecycle : public QObject
{
    Q_OBJECT
private slots:
    void statusFile();
    void closing_data();
    void closing();
    void closingSavesThenStays();
    void helpButtons();
    void infoLine();
    void saveCardFile();
    void saveOverwriteQuestion();
    void saveFails();
    void openCardFile();
    void openForeignFile_data();
    void openForeignFile();
    void openCancelled();
};

namespace
{

void moveOver(QWidget *w)
{
    const QPoint at(w->width() / 2, w->height() / 2);
    QMouseEvent move(QEvent::MouseMove, at, w->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(w, &move);
}

} // namespace

void TestLifecycle::statusFile()
{
    Window t;
    // Earlier records of the family's status file are left as they are.
    cards::RecordFile spc;
    spc.write(3, "ZYP");
    QCOMPARE(spc.save(toPath(t.path("TEMPO.SPC"))), cards::IoError::None);
    feuilleP &w = t.open();
    QCOMPARE(status(t.dir.path()), QStringLiteral("OUI"));
    QCOMPARE(QFileInfo(t.path("TEMPO.SPC")).size(), 14 * 128);
    t.dialogs.expectMessage("Fermer", Answer::Ok);
    QVERIFY(w.close());
    QCOMPARE(status(t.dir.path()), QStringLiteral("NON"));
    std::string third;
    cards::RecordFile after;
    cards::RecordFile::load(toPath(t.path("TEMPO.SPC")), after);
    after.read(3, third);
    QCOMPARE(third, std::string("ZYP"));
}

void TestLifecycle::closing_data()
{
    QTest::addColumn<bool>("modified");
    QTest::addColumn<int>("save"); // answer to "Enregistrer ?"
    QTest::addColumn<bool>("connected");
    QTest::addColumn<int>("hangUp"); // answer to "Sortie du module"
    QTest::addColumn<int>("close");  // answer to "Fermer"
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<bool>("saved");

    const int yes = int(Answer::Yes), no = int(Answer::No);
    const int ok = int(Answer::Ok), cancel = int(Answer::Cancel);
    QTest::newRow("plain close") << false << 0 << false << 0 << ok << QStringList{"Fermer"}
                                 << false;
    QTest::newRow("cancelled") << false << 0 << false << 0 << cancel << QStringList{"Fermer"}
                               << false;
    QTest::newRow("modified, saved")
        << true << yes << false << 0 << ok << QStringList{"Enregistrer ?", "Fermer"} << true;
    QTest::newRow("modified, not saved")
        << true << no << false << 0 << ok << QStringList{"Enregistrer ?", "Fermer"} << false;
    QTest::newRow("connected, hang up")
        << false << 0 << true << yes << ok << QStringList{"Sortie du module", "Fermer"} << false;
    QTest::newRow("connected, stay connected")
        << false << 0 << true << no << cancel << QStringList{"Sortie du module", "Fermer"} << false;
    QTest::newRow("everything") << true << yes << true << yes << cancel
                                << QStringList{"Enregistrer ?", "Sortie du module", "Fermer"}
                                << true;
}

void TestLifecycle::closing()
{
    QFETCH(bool, modified);
    QFETCH(int, save);
    QFETCH(bool, connected);
    QFETCH(int, hangUp);
    QFETCH(int, close);
    QFETCH(QStringList, titles);
    QFETCH(bool, saved);

    Window t;
    feuilleP &w = t.open();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    bool ended = false;
    connect(&w, &feuilleP::unloaded, this, [&ended] { ended = true; });
    t.dialUp.connected = connected;
    if (modified)
        t.editor().Text3[0]->setText(QStringLiteral("17,03"));
    if (modified)
        t.dialogs.expectMessage("Enregistrer ?", Answer(save));
    if (connected)
        t.dialogs.expectMessage("Sortie du module", Answer(hangUp));
    t.dialogs.expectMessage("Fermer", Answer(close));

    w.Command1->click();

    QCOMPARE(t.dialogs.titles(), titles);
    QVERIFY(t.dialogs.unexpected.isEmpty());
    const bool closed = close == int(Answer::Ok);
    QCOMPARE(w.isVisible(), !closed);
    QCOMPARE(ended, closed);
    QCOMPARE(status(t.dir.path()), closed ? QStringLiteral("NON") : QStringLiteral("OUI"));
    QCOMPARE(t.dialUp.hangups, connected && hangUp == int(Answer::Yes) ? 1 : 0);
    QCOMPARE(t.database()[2].quantite(0), std::string(saved ? "17,03" : "17"));
    if (connected && hangUp == int(Answer::Yes)) {
        const auto &q = t.dialogs.shown[t.dialogs.titles().indexOf("Sortie du module")];
        QCOMPARE(q.text, QStringLiteral("Voulez-vous fermer la connexion ?"));
    }
    const auto &last = t.dialogs.shown.back();
    QCOMPARE(last.text, QStringLiteral("Fermer Cartes d'identité des espèces chimiques ?"));
    QCOMPARE(last.buttons, platform::Dialogs::Buttons::OkCancel);
    QCOMPARE(last.icon, platform::Dialogs::Icon::Question);
}

void TestLifecycle::closingSavesThenStays()
{
    // The window's close box: a card that cannot be saved does not stop the
    // questions, and Cancel keeps the window with the card as it was.
    Window t;
    feuilleP &w = t.open();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    t.editor().Text4->setText(QStringLiteral("eau"));
    t.dialogs.expectMessage("Enregistrer ?", Answer::Yes);
    t.dialogs.expectMessage("Ajout impossible", Answer::Ok);
    t.dialogs.expectMessage("Fermer", Answer::Cancel);
    QVERIFY(!w.close());
    QVERIFY(w.isVisible());
    QCOMPARE(t.shownName(), QStringLiteral("eau"));
    QVERIFY(t.editor().modifie);
    QVERIFY(t.dialogs.unexpected.isEmpty());
    QCOMPARE(status(t.dir.path()), QStringLiteral("OUI"));
}

void TestLifecycle::helpButtons()
{
    Window t;
    feuilleP &w = t.open();
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(&w, Qt::Key_F1);
    QVERIFY(t.help.opened.isEmpty());
    w.Command7->click();
    QCOMPARE(t.help.opened, QStringList{"aide"});
    w.Command9->click();
    QCOMPARE(t.help.opened, (QStringList{"aide", "cours"}));
    // From then on F1 opens the course, wherever the focus is.
    t.editor().Text4->setFocus();
    QTest::keyClick(t.editor().Text4, Qt::Key_F1);
    QCOMPARE(t.help.opened, (QStringList{"aide", "cours", "cours"}));
    QVERIFY(t.dialogs.shown.isEmpty());
}

void TestLifecycle::infoLine()
{
    Window t;
    feuilleP &w = t.open();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    moveOver(w.Command5);
    QCOMPARE(w.info->text(), QStringLiteral("Enregistrer les modifications apportées à une carte"));
    moveOver(t.list().MS1->viewport());
    QCOMPARE(w.info->text(), QStringLiteral("Sélectionner un nom dans la liste pour consulter la "
                                            "carte d'identité de l'espèce chimique"));
    moveOver(t.editor().Frame1);
    QCOMPARE(w.info->text(),
             QStringLiteral("Vous pouvez compléter ou modifier tous les champs de cette carte"));
    moveOver(w.Command4);
    QCOMPARE(w.info->text(), QStringLiteral("Copier pour placer la carte dans le presse- papiers "
                                            "puis coller depuis Word, Paint..."));
    // After a copy, the copy button leaves its confirmation; another control replaces it.
    int copies = 0;
    feuilleP::Windows windows;
    windows.copy = [&copies] { ++copies; };
    w.setWindows(windows);
    w.Command4->click();
    QCOMPARE(copies, 1);
    QCOMPARE(w.info->text(), feuilleP::kCopiedMessage);
    QVERIFY(!w.info->text().contains(QStringLiteral("Windows"))); // whatever the desktop
    moveOver(w.Command4);
    QCOMPARE(w.info->text(), feuilleP::kCopiedMessage);
    moveOver(w.Command11);
    QCOMPARE(w.info->text(),
             QStringLiteral("Enregistrer la carte editée dans un fichier indépendant"));
    // The window's own background.
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 570), w.mapToGlobal(QPointF(5, 570)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &move);
    QCOMPARE(w.info->text(), feuilleP::kBackgroundInfo);
}

void TestLifecycle::saveCardFile()
{
    Window t({card("eau", "18", "0100000001")});
    feuilleP &w = t.open();
    const QString file = t.path("eau.CAR");
    t.dialogs.expectFile(file);
    w.Command11->click();
    const auto &request = t.dialogs.shown.back().request;
    QCOMPARE(request.title, QStringLiteral("Enregistrer la carte"));
    // The card's name offered, in the user's documents (home without them).
    QCOMPARE(QFileInfo(request.initialName).fileName(), QStringLiteral("eau.CAR"));
    QVERIFY(QFileInfo(request.initialName).isAbsolute());
    QCOMPARE(request.filter, QStringLiteral("*.CAR"));
    QCOMPARE(request.defaultSuffix, QStringLiteral("CAR"));
    QVERIFY(request.save);
    QCOMPARE(readAll(file), records({kCardFileHeader, "eau", "H#2O", "0100000001", "liquide", "18",
                                     "", "", "", "", "", ""}));
    // The editor and the database are left as they were.
    QVERIFY(!t.editor().modifie);
    QCOMPARE(t.editor().numcarte, 0);
    // The next card-file dialog opens in the folder last used.
    t.dialogs.expectFile(std::nullopt);
    w.Command2->click();
    QCOMPARE(t.dialogs.shown.back().request.initialName, QDir(t.dir.path()).filePath("*.CAR"));
    QVERIFY(t.dialogs.unexpected.isEmpty());
}

void TestLifecycle::saveOverwriteQuestion()
{
    Window t;
    feuilleP &w = t.open();
    const QString first = t.path("a.CAR");
    const QString second = t.path("b.CAR");
    QFile f(first);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("old");
    f.close();
    t.dialogs.expectFile(first);
    t.dialogs.expectMessage("Ecraser le fichier existant ?", Answer::No);
    t.dialogs.expectFile(second);
    w.Command11->click();
    QCOMPARE(readAll(first), QByteArray("old"));
    QCOMPARE(QFileInfo(second).size(), 12 * 128);
    const auto &question = t.dialogs.shown[1];
    QCOMPARE(question.text, QStringLiteral("Le fichier ") + first +
                                QStringLiteral(" existe déjà.\nVoulez-vous le remplacer?"));
    QCOMPARE(question.icon, platform::Dialogs::Icon::Information);

    t.dialogs.expectFile(first);
    t.dialogs.expectMessage("Ecraser le fichier existant ?", Answer::Yes);
    w.Command11->click();
    QCOMPARE(QFileInfo(first).size(), 12 * 128);
    QVERIFY(t.dialogs.unexpected.isEmpty());
    QVERIFY(t.dialogs.allAnswered());
}

void TestLifecycle::saveFails()
{
    Window t;
    feuilleP &w = t.open();
    // A directory where the file should go cannot be written.
    QDir(t.dir.path()).mkdir("dossier.CAR");
    t.dialogs.expectFile(t.path("dossier.CAR/x/y.CAR"));
    t.dialogs.expectMessage("Ecriture impossible", Answer::Ok);
    w.Command11->click();
    QVERIFY(t.dialogs.unexpected.isEmpty());
    QCOMPARE(t.dialogs.shown.back().icon, platform::Dialogs::Icon::Critical);
}

void TestLifecycle::openCardFile()
{
    Window t;
    feuilleP &w = t.open();
    // A card saved and opened again comes back whole, as a card outside the database.
    t.list().setRow(t.rowOf("éthanol"), true);
    const cards::carte saved = t.editor().card();
    t.dialogs.expectFile(t.path("ethanol.CAR"));
    w.Command11->click();
    w.Command6->click();
    t.dialogs.expectFile(t.path("ethanol.CAR"));
    w.Command2->click();
    QCOMPARE(t.dialogs.shown.back().request.title, QStringLiteral("Ouvrir un fichier carte"));
    QVERIFY(!t.dialogs.shown.back().request.save);
    QVERIFY(t.editor().card() == saved);
    QCOMPARE(t.editor().numcarte, -1);
    QVERIFY(t.editor().modifie);
    QVERIFY(t.editor().Option3->isChecked());
    QVERIFY(t.dialogs.unexpected.isEmpty());
}

void TestLifecycle::openForeignFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("text file") << QByteArray("Carte d'identité d'une espèce chimique\n");
    QTest::newRow("header in capitals") << records({"CARTE d'identit\xe9 d'une esp\xe8"
                                                    "ce chimique pour le logiciel ZYP",
                                                    "eau"});
}

void TestLifecycle::openForeignFile()
{
    QFETCH(QByteArray, content);
    Window t;
    feuilleP &w = t.open();
    QFile f(t.path("autre.CAR"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
    f.close();
    t.dialogs.expectFile(t.path("autre.CAR"));
    t.dialogs.expectMessage("Fichier non valide", Answer::Ok);
    w.Command2->click();
    QCOMPARE(t.dialogs.shown.back().text,
             QStringLiteral("Ce fichier ne correspond pas à cette application."));
    // "&Nouveau" has emptied the editor.
    QCOMPARE(t.shownName(), QString());
    QCOMPARE(t.editor().numcarte, -1);
    QVERIFY(t.dialogs.unexpected.isEmpty());
}

void TestLifecycle::openCancelled()
{
    Window t;
    feuilleP &w = t.open();
    t.dialogs.expectFile(std::nullopt);
    w.Command2->click();
    QCOMPARE(t.shownName(), QStringLiteral("ammoniac"));
    QCOMPARE(t.editor().numcarte, 2);
    t.dialogs.expectFile(std::nullopt);
    w.Command11->click();
    QVERIFY(t.dialogs.unexpected.isEmpty());
}

QTEST_MAIN(TestLifecycle)
#include "tst_lifecycle.moc"
