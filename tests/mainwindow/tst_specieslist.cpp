// The species list MS1 and its sort criterion Combo1 on a real main window.

#include "genericcomparison.h"
#include "mainwindowfixture.h"

#include <QComboBox>
#include <QMouseEvent>
#include <QTableView>

#include <map>
#include <string>

using namespace fixture;

class TestSpeciesList : public QObject
{
    Q_OBJECT
private slots:
    void startUp();
    void startUpListIsTheRefilledList();
    void emptyDatabase();
    void sortOrder_data();
    void sortOrder();
    void alphabeticKeepsQuantity();
    void refillKeepsSpecies();
    void clickOnCurrentRowShowsAgain();
    void clickOnValueCellSelectsName();
    void dragMovesCurrentRow();
    void keyboardSearch();

private:
    static void pick(SpeciesList &list, int entry);
    static void click(SpeciesList &list, int row, int column);
};

void TestSpeciesList::pick(SpeciesList &list, int entry)
{
    list.Combo1->setCurrentIndex(entry);
    emit list.Combo1->activated(entry);
}

void TestSpeciesList::click(SpeciesList &list, int row, int column)
{
    QTableView *view = list.MS1;
    const QRect cell = view->visualRect(view->model()->index(row - 1, column));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
}

void TestSpeciesList::startUp()
{
    Window t;
    feuilleP &w = t.open();
    QCOMPARE(t.list().Combo1->count(), 8);
    QCOMPARE(t.list().Combo1->currentIndex(), 0);
    QCOMPARE(t.list().Combo1->currentText(), QStringLiteral("Alphabétique"));
    QCOMPARE(t.list().text(0, 0), QStringLiteral("Nom de l'espèce"));
    QCOMPARE(t.list().text(0, 1), QStringLiteral("M (g/mol)"));
    QCOMPARE(t.rowNames(), (QStringList{"ammoniac", "eau", "éthanol"}));
    QCOMPARE(t.list().text(2, 1), QStringLiteral("18   "));
    QCOMPARE(t.list().MS1->columnWidth(0), 187);
    QCOMPARE(t.list().MS1->columnWidth(1), 67);
    // The first row's card is shown, unmodified.
    QCOMPARE(t.list().row(), 1);
    QCOMPARE(t.shownName(), QStringLiteral("ammoniac"));
    QCOMPARE(t.editor().numcarte, 2);
    QVERIFY(!t.editor().modifie);
    QVERIFY(w.Command12->isEnabled());
    QVERIFY(t.dialogs.shown.isEmpty());
}

void TestSpeciesList::startUpListIsTheRefilledList()
{
    // Start-up reads and sorts its list apart from the refills (on another
    // thread): both give the same rows, sorted by name, each row's molar mass
    // that of its card. The masses fall as the slots rise while the names do
    // not, so a list sorted or filled by another key differs.
    const char *stems[] = {"éthanol",  "Eau",  "eau",    "acide",     "Acide",
                           "œnanthol", "zinc", " argon", "2-butanol", "ÉTHER"};
    std::vector<cards::carte> cards;
    std::map<QString, QString> massOf;
    for (int i = 0; i < 150; ++i) {
        const std::string nom =
            std::string(stems[(i * 7) % 10]) + " " + std::to_string(i * 37 % 101);
        const std::string masse = std::to_string(1000 - i) + "," + std::to_string(i % 10);
        cards.push_back(card(nom.c_str(), masse.c_str()));
        massOf[QString::fromStdString(nom)] = QString::fromStdString(masse) + QStringLiteral("   ");
    }
    Window t(cards);
    t.open();
    const QStringList atStart = t.rowNames();
    QCOMPARE(atStart.size(), 150);
    const GenericComparison comparison;
    for (int r = 1; r < t.list().rows(); ++r) {
        const QString nom = t.list().text(r, 0);
        QCOMPARE(t.list().text(r, 1), massOf[nom]);
        if (r > 1)
            QVERIFY2(comparison.compare(t.list().text(r - 1, 0), nom) <= 0, qPrintable(nom));
    }
    QCOMPARE(t.list().currentName(), atStart.front());
    QCOMPARE(t.shownName(), atStart.front());
    QVERIFY(t.list().majtab());
    QCOMPARE(t.rowNames(), atStart);
    QVERIFY(t.dialogs.shown.isEmpty());
}

void TestSpeciesList::emptyDatabase()
{
    Window t({}, false);
    feuilleP &w = t.open();
    QCOMPARE(t.list().rows(), 1);
    QVERIFY(!w.Command12->isEnabled());
    QCOMPARE(t.shownName(), QString());
    QCOMPARE(t.editor().numcarte, 0);
    QVERIFY(t.dialogs.shown.isEmpty());
    // "&Valider" creates the database with the card in slot 0.
    t.editor().Text4->setText(QStringLiteral("argon"));
    w.Command5->click();
    QCOMPARE(names(t.database()), QStringList{"argon"});
    QCOMPARE(QFileInfo(t.path("ESPCHIMIQUES.ZYP")).size(), 11 * 128);
    QCOMPARE(t.rowNames(), QStringList{"argon"});
    QVERIFY(w.Command12->isEnabled());
}

void TestSpeciesList::sortOrder_data()
{
    QTest::addColumn<int>("entry");
    QTest::addColumn<QString>("header");
    QTest::addColumn<QStringList>("order");
    QTest::addColumn<QStringList>("values");
    // Cards: name, molar mass, density, boiling, solubility.
    QTest::newRow("Densité") << 1 << "Densité" << QStringList{"hélium", "zinc", "fer", "argent"}
                             << QStringList{"   ", "0,6   ", "2,5   ", "10   "};
    // Rows with equal keys stand in the order of their names.
    QTest::newRow("Indice") << 2 << "Indice" << QStringList{"argent", "fer", "hélium", "zinc"}
                            << QStringList{"   ", "   ", "   ", "   "};
    QTest::newRow("Masse molaire")
        << 3 << "M (g/mol)" << QStringList{"zinc", "hélium", "fer", "argent"}
        << QStringList{"   ", "4   ", "55,8   ", "107,9   "};
    QTest::newRow("Solubilité") << 5 << "Solubilité"
                                << QStringList{"fer", "argent", "zinc", "hélium"}
                                << QStringList{"   ", "-1   ", "2   ", "miscible   "};
    QTest::newRow("Ebullition") << 6 << "T.éb. (°C)"
                                << QStringList{"hélium", "zinc", "argent", "fer"}
                                << QStringList{"-269   ", "907   ", "2162,5   ", "2862   "};
    QTest::newRow("Fusion") << 7 << "T.fus. (°C)" << QStringList{"argent", "fer", "hélium", "zinc"}
                            << QStringList{"   ", "   ", "   ", "   "};
    QTest::newRow("Alphabétique") << 0 << "M (g/mol)"
                                  << QStringList{"argent", "fer", "hélium", "zinc"}
                                  << QStringList{"107,9   ", "55,8   ", "4   ", "   "};
}

void TestSpeciesList::sortOrder()
{
    QFETCH(int, entry);
    QFETCH(QString, header);
    QFETCH(QStringList, order);
    QFETCH(QStringList, values);
    // The boiling temperature of silver has a decimal comma and sorts by value.
    Window t({card("fer", "55,8", "0000000000", "2,5", "2862", ""),
              card("zinc", "", "0000000000", "0,6", "907", "2"),
              card("argent", "107,9", "0000000000", "10", "2162,5", "-1"),
              card("hélium", "4", "0000000000", "", "-269", "miscible")});
    t.open();
    pick(t.list(), entry);
    QCOMPARE(t.list().text(0, 1), header);
    QCOMPARE(t.rowNames(), order);
    QStringList shown;
    for (int r = 1; r < t.list().rows(); ++r)
        shown << t.list().text(r, 1);
    QCOMPARE(shown, values);
    QVERIFY(t.dialogs.unexpected.isEmpty());
}

void TestSpeciesList::alphabeticKeepsQuantity()
{
    Window t;
    t.open();
    pick(t.list(), 1);
    QCOMPARE(t.rowNames(), (QStringList{"ammoniac", "éthanol", "eau"}));
    pick(t.list(), 0);
    QCOMPARE(t.list().text(0, 1), QStringLiteral("Densité"));
    QCOMPARE(t.rowNames(), (QStringList{"ammoniac", "eau", "éthanol"}));
    QCOMPARE(t.list().text(2, 1), QStringLiteral("1   "));
}

void TestSpeciesList::refillKeepsSpecies()
{
    Window t;
    feuilleP &w = t.open();
    pick(t.list(), 3); // by molar mass: ammoniac 17, eau 18, éthanol 46
    t.list().setRow(t.rowOf("eau"), true);
    QCOMPARE(t.shownName(), QStringLiteral("eau"));
    t.editor().Text3[0]->setText(QStringLiteral("100"));
    w.Command5->click();
    // Same species current after the refill, at its new place.
    QCOMPARE(t.rowNames(), (QStringList{"ammoniac", "éthanol", "eau"}));
    QCOMPARE(t.list().row(), 3);
    QCOMPARE(t.list().currentName(), QStringLiteral("eau"));
    QCOMPARE(t.shownName(), QStringLiteral("eau"));
    QVERIFY(!t.editor().modifie);
}

void TestSpeciesList::clickOnCurrentRowShowsAgain()
{
    Window t;
    feuilleP &w = t.open();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    t.editor().Text2->setText(QStringLiteral("changé"));
    QVERIFY(t.editor().modifie);
    t.dialogs.expectMessage("Enregistrer ?", Answer::No);
    click(t.list(), 1, 0);
    QVERIFY(t.dialogs.allAnswered());
    QCOMPARE(t.editor().Text2->text(), QStringLiteral("liquide"));
    QVERIFY(!t.editor().modifie);
    QVERIFY(t.dialogs.unexpected.isEmpty());
}

void TestSpeciesList::clickOnValueCellSelectsName()
{
    Window t;
    feuilleP &w = t.open();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    click(t.list(), 3, 1);
    QCOMPARE(t.shownName(), QStringLiteral("éthanol"));
    const QModelIndex current = t.list().MS1->currentIndex();
    QCOMPARE(current.row(), 2);
    QCOMPARE(current.column(), 0);
    const QModelIndexList selected = t.list().MS1->selectionModel()->selectedIndexes();
    QCOMPARE(selected.size(), 1);
    QCOMPARE(selected.front().column(), 0);
    QVERIFY(t.dialogs.shown.isEmpty());
}

void TestSpeciesList::dragMovesCurrentRow()
{
    Window t;
    feuilleP &w = t.open();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTableView *view = t.list().MS1;
    const QPoint to = view->visualRect(view->model()->index(2, 0)).center();
    QMouseEvent move(QEvent::MouseMove, to, view->viewport()->mapToGlobal(to), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &move);
    QCOMPARE(t.list().row(), 3);
    QCOMPARE(t.shownName(), QStringLiteral("éthanol"));
    QCOMPARE(w.info->text(), QStringLiteral("Sélectionner un nom dans la liste pour consulter la "
                                            "carte d'identité de l'espèce chimique"));
}

void TestSpeciesList::keyboardSearch()
{
    Window t;
    feuilleP &w = t.open();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    t.list().MS1->keyboardSearch(QStringLiteral("ea"));
    QCOMPARE(t.list().currentName(), QStringLiteral("eau"));
    QCOMPARE(t.shownName(), QStringLiteral("eau"));
    QCOMPARE(t.editor().numcarte, 0);
}

QTEST_MAIN(TestSpeciesList)
#include "tst_specieslist.moc"
