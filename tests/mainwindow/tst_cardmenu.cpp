// The card picture from the card panel's context menu: "Copier" does what
// "Co&pier" does, "Enregistrer l'image…" asks the window that saves it; the
// pictures' style choices stay below them. And the picture of a stored card
// made without a window (the companion tool's) is the window's. The species
// list's menu publishes the database as a web catalogue.
#include "carddraw.h"
#include "mainwindowfixture.h"
#include "picturefile.h"

#include <QAction>
#include <QMenu>

using fixture::Window;

class TestCardMenu : public QObject
{
    Q_OBJECT
private slots:
    void pictureActionsComeFirst();
    void actionsReachTheirWindows();
    void storedCardShowsAsInTheWindow();
    void publishSite_data();
    void publishSite();
};

void TestCardMenu::publishSite_data()
{
    QTest::addColumn<QString>("content"); // a file already in the folder chosen
    QTest::addColumn<bool>("chosen");
    QTest::addColumn<QString>("refusal"); // the message's title, or none
    QTest::newRow("new folder") << QString() << true << QString();
    QTest::newRow("other files") << "notes.txt" << true << "Publication impossible";
    QTest::newRow("cancelled") << QString() << false << QString();
}

void TestCardMenu::publishSite()
{
    QFETCH(QString, content);
    QFETCH(bool, chosen);
    QFETCH(QString, refusal);
    Window t;
    feuilleP &w = t.open();
    const QString folder = t.path(QStringLiteral("site"));
    if (!content.isEmpty())
        QVERIFY(QDir().mkpath(folder) && QFile(folder + u'/' + content).open(QIODevice::WriteOnly));
    t.dialogs.expectFile(chosen ? std::optional<QString>(folder) : std::nullopt);
    if (!refusal.isEmpty())
        t.dialogs.expectMessage(refusal, fixture::Answer::Ok);
    const QString before = w.info->text();
    auto *menu = w.list()->MS1->findChild<QMenu *>(QStringLiteral("menuListe"));
    QVERIFY(menu &&
            menu->actions().value(0)->text() == QStringLiteral("Publier la base en site web…"));
    menu->actions().value(0)->trigger();
    QVERIFY(t.dialogs.allAnswered() && t.dialogs.unexpected.isEmpty());
    QCOMPARE(QFile::exists(folder + QStringLiteral("/index.html")), chosen && refusal.isEmpty());
    QCOMPARE(w.info->text().startsWith(QStringLiteral("Catalogue de 3 espèces")),
             chosen && refusal.isEmpty());
    QCOMPARE(w.info->text() == before, !chosen);
}

void TestCardMenu::pictureActionsComeFirst()
{
    Window t;
    t.open();
    const QMenu *menu = t.editor().cardMenu;
    QVERIFY(menu);
    QStringList texts;
    for (const QAction *a : menu->actions())
        texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
    QVERIFY2(texts.size() >= 4, qPrintable(texts.join(u'|')));
    QCOMPARE(texts.mid(0, 3), (QStringList{"Copier", QStringLiteral("Enregistrer l'image…"), "-"}));
    // The style choices are still there, one of them checked.
    int checked = 0;
    for (const QAction *a : menu->actions())
        checked += a->isChecked();
    QCOMPARE(checked, 1);
}

void TestCardMenu::actionsReachTheirWindows()
{
    Window t;
    feuilleP &w = t.open();
    int copies = 0;
    int saves = 0;
    feuilleP::Windows windows;
    windows.copy = [&copies] { ++copies; };
    windows.savePicture = [&saves] { ++saves; };
    w.setWindows(windows);
    QMenu *menu = t.editor().cardMenu;
    auto *copier = menu->findChild<QAction *>(QStringLiteral("copierImage"));
    auto *enregistrer = menu->findChild<QAction *>(QStringLiteral("enregistrerImage"));
    QVERIFY(copier && enregistrer);
    copier->trigger();
    QCOMPARE(copies, 1);
    QCOMPARE(saves, 0);
    QCOMPARE(w.info->text(), feuilleP::kCopiedMessage);
    enregistrer->trigger();
    QCOMPARE(copies, 1);
    QCOMPARE(saves, 1);
    QVERIFY(t.dialogs.unexpected.isEmpty());
}

void TestCardMenu::storedCardShowsAsInTheWindow()
{
    // Every card of the bundled database, and cards with greyed boxes, both
    // natures, a lock and gases: the view made from the stored card is the
    // one the editor gives, and so is its picture.
    std::vector<cards::carte> stored = fixture::threeCards();
    stored.push_back(fixture::card("gaz", "44", "0122101001", "1,5", "-78,5", "1,7"));
    stored.push_back(fixture::card("deux", "", "1120020200", " 1,2 ", " 19,99 ", "miscible"));
    stored.push_back(fixture::card("texte", "", "0000000111", "", "vers 20", ""));
#ifdef CARTES_BUNDLED_DATABASE
    Window bundled({}, false);
    if (QFile::exists(QStringLiteral(CARTES_BUNDLED_DATABASE))) {
        QVERIFY(QFile::copy(QStringLiteral(CARTES_BUNDLED_DATABASE),
                            bundled.path(QString::fromUtf8(cards::kDatabaseFileName))));
        for (const cards::carte &c : bundled.database())
            stored.push_back(c);
    }
#endif
    QVERIFY(stored.size() > 50);
    QStringList failures;
    for (std::size_t first = 0; first < stored.size(); first += 200) {
        const std::vector<cards::carte> some(stored.begin() + qsizetype(first),
                                             stored.begin() +
                                                 qsizetype(std::min(stored.size(), first + 200)));
        Window t(some);
        feuilleP &w = t.open();
        for (int r = 1; r <= w.speciesRowCount(); ++r) {
            w.showRow(r);
            const CardView shown = w.currentCardView();
            const auto it = std::find_if(some.begin(), some.end(), [&](const cards::carte &c) {
                return QString::fromStdString(c.nom()) == shown.nom;
            });
            if (it == some.end()) {
                failures << shown.nom + QStringLiteral(": not stored");
                continue;
            }
            const CardView made = cardViewOf(*it);
            QStringList d;
            if (made.formule != shown.formule || made.aspect != shown.aspect ||
                made.quantites != shown.quantites)
                d << QStringLiteral("texts");
            if (made.organique != shown.organique || made.inorganique != shown.inorganique)
                d << QStringLiteral("nature");
            if (made.hazards != shown.hazards)
                d << QStringLiteral("hazards");
            if (made.polu != shown.polu || made.nonPolluant != shown.nonPolluant ||
                made.risquePollution != shown.risquePollution)
                d << QStringLiteral("pollution");
            if (made.locked != shown.locked)
                d << QStringLiteral("lock");
            if (made.captions != shown.captions)
                d << made.captions[2];
            if (made.quantityBoxes != shown.quantityBoxes ||
                made.quantityLabels != shown.quantityLabels)
                d << QStringLiteral("quantity boxes");
            if (d.isEmpty() && carddraw::creimage(made) != carddraw::creimage(shown))
                d << QStringLiteral("picture");
            if (!d.isEmpty())
                failures << shown.nom + QStringLiteral(": ") + d.join(QStringLiteral(", "));
        }
    }
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(u'\n')));
}

QTEST_MAIN(TestCardMenu)
#include "tst_cardmenu.moc"
