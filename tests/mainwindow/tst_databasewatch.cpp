#include "mainwindowfixture.h"

#include "databasewatcher.h"

#include <QSignalSpy>

// Another program changes the database under an open window: the list shows
// its cards before the user's next action, the card in the editor stays, and
// "&Valider" still writes the editor's card into its own slot.

using namespace fixture;

namespace
{

cards::Database databaseOf(const Window &t)
{
    return cards::Database::inDirectory(toPath(t.dir.path()));
}

// Types into a quantity box as the user does: the editor marks the card modified.
void type(QLineEdit *box, const QString &text)
{
    box->selectAll();
    QTest::keyClicks(box, text);
}

} // namespace

class TestDatabaseWatch : public QObject
{
    Q_OBJECT
private slots:
    void listShowsOtherProgramsCards();
    void modifiedCardStays();
    void validateAfterOtherRemovalKeepsOtherCards_data();
    void validateAfterOtherRemovalKeepsOtherCards();
    void cardShownWithoutNoteNeverOverwrites();
    void removeAfterOtherRemoval_data();
    void removeAfterOtherRemoval();
    void lockedCardStaysUnremovable();
};

void TestDatabaseWatch::listShowsOtherProgramsCards()
{
    Window t;
    t.open();
    t.list().setRow(t.rowOf(QStringLiteral("éthanol")), true);
    QCOMPARE(t.shownName(), QStringLiteral("éthanol"));

    // Each save replaces the file: the second one is seen as well as the first.
    QCOMPARE(databaseOf(t).write(card("méthane", "16"), -1).slot, 3);
    QTRY_VERIFY(t.rowNames().contains(QStringLiteral("méthane")));
    QCOMPARE(databaseOf(t).write(card("argon", "40"), -1).slot, 4);
    QTRY_VERIFY(t.rowNames().contains(QStringLiteral("argon")));
    QCOMPARE(t.rowNames(), (QStringList{"ammoniac", "argon", "eau", "éthanol", "méthane"}));
    QCOMPARE(t.list().currentName(), QStringLiteral("éthanol"));
    QCOMPARE(t.shownName(), QStringLiteral("éthanol"));
    QCOMPARE(t.editor().numcarte, 1);

    // The window's own save is no other program's change: only the next one
    // refills the list.
    QSignalSpy refreshed(t.w->findChild<DatabaseWatcher *>(), &DatabaseWatcher::refreshed);
    type(t.editor().Text3[0], QStringLiteral("46"));
    t.w->Command5->click();
    QTest::qWait(200); // the notice of the window's own save has come
    QCOMPARE(databaseOf(t).write(card("néon", "20"), -1).slot, 5);
    QTRY_VERIFY(t.rowNames().contains(QStringLiteral("néon")));
    QCOMPARE(refreshed.count(), 1);

    QVERIFY(databaseOf(t).remove(0) == cards::DbMessage::None);
    QTRY_VERIFY(!t.rowNames().contains(QStringLiteral("eau")));
    QCOMPARE(t.list().currentName(), QStringLiteral("éthanol"));
    QCOMPARE(t.editor().numcarte, 0); // éthanol moved down one slot
    QVERIFY(t.dialogs.shown.isEmpty());
}

void TestDatabaseWatch::modifiedCardStays()
{
    Window t;
    feuilleP &w = t.open();
    t.list().setRow(t.rowOf(QStringLiteral("éthanol")), true);
    type(t.editor().Text3[0], QStringLiteral("46,07"));
    QVERIFY(t.editor().modifie);

    auto *watcher = w.findChild<DatabaseWatcher *>();
    QVERIFY(watcher);
    QSignalSpy refreshed(watcher, &DatabaseWatcher::refreshed);
    QCOMPARE(databaseOf(t).write(card("méthane", "16"), -1).slot, 3);
    QTRY_VERIFY(t.rowNames().contains(QStringLiteral("méthane")));
    QVERIFY(refreshed.count() >= 1);

    QVERIFY(t.editor().modifie);
    QCOMPARE(t.shownName(), QStringLiteral("éthanol"));
    QCOMPARE(t.editor().Text3[0]->text(), QStringLiteral("46,07"));
    QCOMPARE(t.list().currentName(), QStringLiteral("éthanol"));
    QVERIFY(t.dialogs.shown.isEmpty());

    // Validated: the edit reaches éthanol's slot, the other program's card stays.
    w.Command5->click();
    QVERIFY(!t.editor().modifie);
    const auto db = t.database();
    QCOMPARE(names(db), (QStringList{"eau", "éthanol", "ammoniac", "méthane"}));
    QCOMPARE(QString::fromStdString(db[1].quantite(0)), QStringLiteral("46,07"));
}

// The other program removes a card before the edited one, or the edited one
// itself: "&Valider" writes the edit to the card's new slot, or adds it back,
// and never over another card.
void TestDatabaseWatch::validateAfterOtherRemovalKeepsOtherCards_data()
{
    QTest::addColumn<QString>("edited");
    QTest::addColumn<int>("removedSlot");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<int>("numcarte");
    QTest::addColumn<bool>("watched"); // the window has heard of the change
    for (const bool watched : {true, false}) {
        const char *when = watched ? "" : ", validated before the window hears of it";
        QTest::addRow("card before it removed%s", when)
            << "éthanol" << 0 << QStringList{"éthanol", "ammoniac"} << 0 << watched;
        QTest::addRow("card after it removed%s", when)
            << "eau" << 2 << QStringList{"eau", "éthanol"} << 0 << watched;
        QTest::addRow("the card itself removed%s", when)
            << "éthanol" << 1 << QStringList{"eau", "ammoniac", "éthanol"} << -1 << watched;
    }
}

void TestDatabaseWatch::validateAfterOtherRemovalKeepsOtherCards()
{
    QFETCH(QString, edited);
    QFETCH(int, removedSlot);
    QFETCH(QStringList, after);
    QFETCH(int, numcarte);
    QFETCH(bool, watched);

    Window t;
    feuilleP &w = t.open();
    t.list().setRow(t.rowOf(edited), true);
    type(t.editor().Text3[0], QStringLiteral("99"));

    auto *watcher = w.findChild<DatabaseWatcher *>();
    QSignalSpy refreshed(watcher, &DatabaseWatcher::refreshed);
    QVERIFY(databaseOf(t).remove(removedSlot) == cards::DbMessage::None);
    if (watched) {
        QTRY_VERIFY(refreshed.count() >= 1);
        QCOMPARE(t.editor().numcarte, numcarte);
    }
    QCOMPARE(t.shownName(), edited);
    QVERIFY(t.editor().modifie);

    w.Command5->click();
    QVERIFY(t.dialogs.shown.isEmpty());
    const auto db = t.database();
    QCOMPARE(names(db), after);
    const int slot = int(after.indexOf(edited));
    QCOMPARE(db[std::size_t(slot)].quantite(0), std::string("99"));
}

// A card shown through showRow (as the print dialog shows the list's last
// row after a listing), which the watcher does not hear of: shown so and then
// modified, and its slot given by another program to another card, it is not
// written over that card.
void TestDatabaseWatch::cardShownWithoutNoteNeverOverwrites()
{
    Window t;
    feuilleP &w = t.open();
    w.showRow(t.rowOf(QStringLiteral("éthanol")));
    QCOMPARE(t.shownName(), QStringLiteral("éthanol"));
    type(t.editor().Text3[0], QStringLiteral("99"));

    auto *watcher = w.findChild<DatabaseWatcher *>();
    QSignalSpy refreshed(watcher, &DatabaseWatcher::refreshed);
    QVERIFY(databaseOf(t).remove(0) == cards::DbMessage::None);
    QTRY_VERIFY(refreshed.count() >= 1);
    QCOMPARE(t.editor().numcarte, -1);

    t.dialogs.expectMessage(QStringLiteral("Ajout impossible"), Answer::Ok);
    w.Command5->click();
    QVERIFY(t.dialogs.allAnswered());
    QVERIFY(t.editor().modifie);
    const auto db = t.database();
    QCOMPARE(names(db), (QStringList{"éthanol", "ammoniac"}));
    QCOMPARE(db[1].quantite(0), std::string("17"));
}

// "E&nlever" right after another program removed a card, before the window
// hears of it: the card shown goes, wherever it now stands, and no other.
void TestDatabaseWatch::removeAfterOtherRemoval_data()
{
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("removedSlot");
    QTest::addColumn<QStringList>("after");
    QTest::newRow("card before it removed") << "éthanol" << 0 << QStringList{"ammoniac"};
    QTest::newRow("card after it removed") << "eau" << 2 << QStringList{"éthanol"};
    QTest::newRow("the card itself removed") << "éthanol" << 1 << QStringList{"eau", "ammoniac"};
}

void TestDatabaseWatch::removeAfterOtherRemoval()
{
    QFETCH(QString, shown);
    QFETCH(int, removedSlot);
    QFETCH(QStringList, after);

    Window t;
    feuilleP &w = t.open();
    t.list().setRow(t.rowOf(shown), true);
    QVERIFY(databaseOf(t).remove(removedSlot) == cards::DbMessage::None);
    t.dialogs.expectMessage(QStringLiteral("Enlever cette carte ?"), Answer::Yes);
    w.Command12->click();
    QVERIFY(t.dialogs.allAnswered());
    QCOMPARE(names(t.database()), after);
}

void TestDatabaseWatch::lockedCardStaysUnremovable()
{
    Window t({card("eau", "18", "0100000001"), card("éthanol", "46")});
    feuilleP &w = t.open();
    t.list().setRow(t.rowOf(QStringLiteral("eau")), true);
    QVERIFY(t.editor().locked());
    QVERIFY(!w.Command12->isEnabled());

    QCOMPARE(databaseOf(t).write(card("méthane", "16"), -1).slot, 2);
    QTRY_VERIFY(t.rowNames().contains(QStringLiteral("méthane")));
    QVERIFY(!w.Command12->isEnabled());
}

QTEST_MAIN(TestDatabaseWatch)
#include "tst_databasewatch.moc"
