// Find as you type: the folding of names and formulas, and the search field
// narrowing the species list of a real main window on the bundled database.

#include "cardlayout.h"
#include "formulaeditor.h"
#include "genericcomparison.h"
#include "mainwindowfixture.h"
#include "speciessearch.h"

#include <QComboBox>
#include <QLocale>
#include <QTableView>

using namespace fixture;

class TestSpeciesSearch : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void fold_data();
    void fold();
    void keyMatches_data();
    void keyMatches();
    void bundledQueries_data();
    void bundledQueries();
    void escapeAndEmptyShowEverything();
    void sortKeptWhileSearching_data();
    void sortKeptWhileSearching();
    void currentCardKeptWhenLeftOut();
    void modifiedCardNotAskedAbout();
    void rowClickAndReturnShowCard();
    void keyboardStaysOnShownRows();
    void refillKeepsSearch();
    void databaseUntouched();
    void formulaOfTheCardShown();
    void fieldTakesFreeRoom();

private:
    std::unique_ptr<Window> bundled();
    static QStringList shownNames(const Window &t);
    static void type(Window &t, const QString &text);
    static void pick(SpeciesList &list, int entry);
    QString bundled_;
};

void TestSpeciesSearch::initTestCase()
{
    QLocale::setDefault(QLocale::c());
#ifdef CARTES_BUNDLED_DATABASE
    bundled_ = QStringLiteral(CARTES_BUNDLED_DATABASE);
#endif
}

std::unique_ptr<Window> TestSpeciesSearch::bundled()
{
    if (bundled_.isEmpty() || !QFile::exists(bundled_))
        return nullptr;
    auto t = std::make_unique<Window>(std::vector<cards::carte>{}, false);
    const QString copy = t->path(QString::fromUtf8(cards::kDatabaseFileName));
    if (!QFile::copy(bundled_, copy))
        return nullptr;
    QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
    t->open();
    return t;
}

// The names the grid draws. A row that the list counts as shown while the
// grid hides it, or the reverse, is named with a mark, so comparisons fail.
QStringList TestSpeciesSearch::shownNames(const Window &t)
{
    QStringList out;
    for (int r = 1; r < t.list().rows(); ++r) {
        const bool hidden = t.list().MS1->isRowHidden(r - 1);
        if (t.list().isShown(r) == hidden)
            out << QStringLiteral("(disagree) ") + t.list().text(r, 0);
        else if (!hidden)
            out << t.list().text(r, 0);
    }
    return out;
}

// Types `text` over what the field holds, one key event per character (the
// accented ones too, which QTest::keyClicks does not take).
void TestSpeciesSearch::type(Window &t, const QString &text)
{
    QLineEdit *field = t.list().recherche;
    field->setFocus();
    field->selectAll();
    if (text.isEmpty())
        QTest::keyClick(field, Qt::Key_Backspace);
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

void TestSpeciesSearch::pick(SpeciesList &list, int entry)
{
    list.Combo1->setCurrentIndex(entry);
    emit list.Combo1->activated(entry);
}

void TestSpeciesSearch::fold_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("folded");
    QTest::newRow("accent and capital") << "Éthanol"
                                        << "ethanol";
    QTest::newRow("all capitals") << "ÉTHER DIÉTHYLIQUE"
                                  << "ether diethylique";
    QTest::newRow("diaeresis") << "Acide éthanoïque"
                               << "acide ethanoique";
    QTest::newRow("cedilla, circumflex") << "Façon, Pâte, Île"
                                         << "facon, pate, ile";
    QTest::newRow("oe ligature") << "Œnanthol, bœuf"
                                 << "oenanthol, boeuf";
    QTest::newRow("ae ligature") << "Nævus, ÆTHER"
                                 << "naevus, aether";
    QTest::newRow("sharp s") << "Straße"
                             << "strasse";
    QTest::newRow("Windows-1252 letters") << "ŠŽŸšžÿ"
                                          << "szyszy";
    QTest::newRow("superscript digits") << "m³, cm²"
                                        << "m3, cm2";
    QTest::newRow("typographic apostrophe") << "Chlorure d’hydrogène"
                                            << "chlorure d'hydrogene";
    QTest::newRow("dashes") << "Butan–1–ol"
                            << "butan-1-ol";
    QTest::newRow("subscripts") << "H#2O"
                                << "h2o";
    QTest::newRow("two-digit subscript") << "C#6H#1#2O#6"
                                         << "c6h12o6";
    QTest::newRow("charge") << "SO#4*2*-"
                            << "so42-";
    QTest::newRow("ions in a formula") << "H#3O*+ + Cl*-"
                                       << "h3o+ + cl-";
    QTest::newRow("hydrate") << "CuSO#4,5H#2O"
                             << "cuso4,5h2o";
    QTest::newRow("spaces made one") << "Ion   fer\t(II)"
                                     << "ion fer (ii)";
    QTest::newRow("digits and signs kept") << "Propan-2-ol (37 %)"
                                           << "propan-2-ol (37 %)";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("markers only") << "#*#"
                                  << "";
    QTest::newRow("outside Latin") << "Ωmega"
                                   << "ωmega";
    QTest::newRow("script signs typed") << "SO₄²⁻, Cl⁻, HO⁻, NH₄⁺"
                                        << "so42-, cl-, ho-, nh4+";
}

void TestSpeciesSearch::fold()
{
    QFETCH(QString, text);
    QFETCH(QString, folded);
    QCOMPARE(speciessearch::fold(text), folded);
    // Folding is done once, and a folded text folds to itself.
    QCOMPARE(speciessearch::fold(folded), folded);
}

void TestSpeciesSearch::keyMatches_data()
{
    QTest::addColumn<QString>("nom");
    QTest::addColumn<QString>("formule");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("kept");
    QTest::newRow("name, other case") << "Éthanol"
                                      << "C#2H#5OH"
                                      << "ETHANOL" << true;
    QTest::newRow("name, no accent") << "Éthanol"
                                     << "C#2H#5OH"
                                     << "ethanol" << true;
    QTest::newRow("start of the name") << "Éthanol"
                                       << "C#2H#5OH"
                                       << "éth" << true;
    QTest::newRow("inside the name") << "Acide éthanoïque"
                                     << "CH#3COOH"
                                     << "ethano" << true;
    QTest::newRow("formula without markup") << "Eau"
                                            << "H#2O"
                                            << "h2o" << true;
    QTest::newRow("formula with markup typed") << "Eau"
                                               << "H#2O"
                                               << "H#2O" << true;
    QTest::newRow("charge") << "Ion fer (II)"
                            << "Fe*2*+"
                            << "Fe2+" << true;
    QTest::newRow("other charge") << "Ion fer (II)"
                                  << "Fe*2*+"
                                  << "Fe3+" << false;
    QTest::newRow("spaces around the query") << "Eau"
                                             << "H#2O"
                                             << "  eau  " << true;
    QTest::newRow("two words") << "Ion fer (III)"
                               << "Fe*3*+"
                               << "ion  fer" << true;
    QTest::newRow("nothing typed") << "Eau"
                                   << "H#2O"
                                   << "" << true;
    QTest::newRow("only spaces") << "Eau"
                                 << "H#2O"
                                 << "   " << true;
    QTest::newRow("not within") << "Eau"
                                << "H#2O"
                                << "eaux" << false;
    QTest::newRow("across name and formula") << "Eau"
                                             << "H#2O"
                                             << "eauh2o" << false;
    QTest::newRow("trailing spaces of the card") << "Eau   "
                                                 << "H#2O"
                                                 << "eau" << true;
    QTest::newRow("empty formula") << "Inconnu"
                                   << ""
                                   << "h2o" << false;
}

void TestSpeciesSearch::keyMatches()
{
    QFETCH(QString, nom);
    QFETCH(QString, formule);
    QFETCH(QString, typed);
    QFETCH(bool, kept);
    QCOMPARE(
        speciessearch::matches(speciessearch::keyOf(nom, formule), speciessearch::foldQuery(typed)),
        kept);
}

void TestSpeciesSearch::bundledQueries_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("ethanol") << "ethanol" << QStringList{"Éthanol", "Méthanol"};
    QTest::newRow("EAU") << "EAU" << QStringList{"Eau"};
    QTest::newRow("h2o") << "h2o"
                         << QStringList{"Eau",
                                        "Glycérol",
                                        "Peroxyde d'hydrogène",
                                        "Sulfate de cuivre (II) pentahydraté",
                                        "Sulfate de fer (II) heptahydraté",
                                        "Thiosulfate de sodium pentahydraté"};
    QTest::newRow("part of a word") << "sulf"
                                    << QStringList{"Acide sulfurique",
                                                   "Ion sulfate",
                                                   "Sulfate de cuivre (II) anhydre",
                                                   "Sulfate de cuivre (II) pentahydraté",
                                                   "Sulfate de fer (II) heptahydraté",
                                                   "Thiosulfate de sodium pentahydraté"};
    QTest::newRow("two words") << "ion fe" << QStringList{"Ion fer (II)", "Ion fer (III)"};
    QTest::newRow("cation") << "Fe2+" << QStringList{"Ion fer (II)"};
    QTest::newRow("anion with charge 2-") << "SO42-" << QStringList{"Ion sulfate"};
    QTest::newRow("anion in a mixture")
        << "cl-" << QStringList{"Acide chlorhydrique (solution à 37 %)", "Ion chlorure"};
    QTest::newRow("two-digit subscript") << "C6H12O6" << QStringList{"Glucose"};
    QTest::newRow("accent typed, none stored") << "éau" << QStringList{"Eau"};
    QTest::newRow("no match") << "xyz" << QStringList{};
}

void TestSpeciesSearch::bundledQueries()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, shown);
    const auto t = bundled();
    if (!t)
        QSKIP("the bundled database was not built");
    const QStringList all = t->rowNames();
    QVERIFY(all.size() > 80);
    type(*t, typed);
    QCOMPARE(shownNames(*t), shown);
    QCOMPARE(t->list().shownRows(), shown.size());
    // The rows themselves stay: the search hides, it does not remove.
    QCOMPARE(t->rowNames(), all);
    QVERIFY(t->dialogs.shown.isEmpty());
}

void TestSpeciesSearch::escapeAndEmptyShowEverything()
{
    const auto t = bundled();
    if (!t)
        QSKIP("the bundled database was not built");
    const QStringList all = t->rowNames();
    type(*t, QStringLiteral("sulf"));
    QCOMPARE(shownNames(*t).size(), 6);
    QTest::keyClick(t->list().recherche, Qt::Key_Escape);
    QCOMPARE(t->list().recherche->text(), QString());
    QCOMPARE(shownNames(*t), all);
    // Narrowing key by key, then erasing key by key, ends on the whole list.
    QTest::keyClicks(t->list().recherche, QStringLiteral("ion f"));
    QCOMPARE(shownNames(*t), (QStringList{"Ion fer (II)", "Ion fer (III)"}));
    for (int i = 0; i < 5; ++i)
        QTest::keyClick(t->list().recherche, Qt::Key_Backspace);
    QCOMPARE(shownNames(*t), all);
    QCOMPARE(t->list().shownRows(), all.size());
}

void TestSpeciesSearch::sortKeptWhileSearching_data()
{
    QTest::addColumn<int>("entry");
    QTest::addColumn<bool>("typeFirst");
    QTest::newRow("by molar mass, then type") << 3 << false;
    QTest::newRow("type, then by molar mass") << 3 << true;
    QTest::newRow("type, then by boiling point") << 6 << true;
    QTest::newRow("type, then by density") << 1 << true;
    QTest::newRow("type, then by name") << 0 << true;
}

void TestSpeciesSearch::sortKeptWhileSearching()
{
    QFETCH(int, entry);
    QFETCH(bool, typeFirst);
    const auto t = bundled();
    if (!t)
        QSKIP("the bundled database was not built");
    if (typeFirst)
        type(*t, QStringLiteral("ion"));
    pick(t->list(), entry);
    if (!typeFirst)
        type(*t, QStringLiteral("ion"));
    // The shown rows are the rows that match, in the order of the whole list
    // sorted by the criterion.
    const GenericComparison comparison;
    const int key = entry == 0 ? 0 : 1;
    QStringList expected;
    QString previous;
    for (int r = 1; r < t->list().rows(); ++r) {
        const QString cell = t->list().text(r, key);
        if (r > 1)
            QVERIFY2(comparison.compare(previous, cell) <= 0, qPrintable(cell));
        previous = cell;
        if (speciessearch::fold(t->list().text(r, 0)).contains(u"ion"))
            expected << t->list().text(r, 0);
    }
    QVERIFY(expected.size() >= 14);
    QCOMPARE(shownNames(*t), expected);
    QCOMPARE(t->list().Combo1->currentIndex(), entry);
}

void TestSpeciesSearch::currentCardKeptWhenLeftOut()
{
    const auto t = bundled();
    if (!t)
        QSKIP("the bundled database was not built");
    t->list().setRow(t->rowOf(QStringLiteral("Eau")), true);
    QCOMPARE(t->shownName(), QStringLiteral("Eau"));
    const int numcarte = t->editor().numcarte;
    const int row = t->list().row();
    type(*t, QStringLiteral("sulf"));
    // Eau is left out of the list but stays the current row and the card.
    QVERIFY(!t->list().isShown(row));
    QCOMPARE(t->list().row(), row);
    QCOMPARE(t->list().currentName(), QStringLiteral("Eau"));
    QCOMPARE(t->shownName(), QStringLiteral("Eau"));
    QCOMPARE(t->editor().numcarte, numcarte);
    QVERIFY(!t->editor().modifie);
    // Back to the whole list: still there, in view.
    QTest::keyClick(t->list().recherche, Qt::Key_Escape);
    QCOMPARE(t->list().row(), row);
    QCOMPARE(t->shownName(), QStringLiteral("Eau"));
    QVERIFY(t->dialogs.shown.isEmpty());
}

void TestSpeciesSearch::modifiedCardNotAskedAbout()
{
    const auto t = bundled();
    if (!t)
        QSKIP("the bundled database was not built");
    t->list().setRow(t->rowOf(QStringLiteral("Eau")), true);
    t->editor().Text2->setText(QStringLiteral("liquide changé"));
    QVERIFY(t->editor().modifie);
    // Narrowing the list is no change of card: nothing is asked or lost.
    type(*t, QStringLiteral("ion"));
    QTest::keyClick(t->list().recherche, Qt::Key_Escape);
    QVERIFY(t->dialogs.shown.isEmpty());
    QCOMPARE(t->editor().Text2->text(), QStringLiteral("liquide changé"));
    QVERIFY(t->editor().modifie);
    QCOMPARE(t->shownName(), QStringLiteral("Eau"));
}

void TestSpeciesSearch::rowClickAndReturnShowCard()
{
    const auto t = bundled();
    if (!t)
        QSKIP("the bundled database was not built");
    feuilleP &w = *t->w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    t->list().setRow(t->rowOf(QStringLiteral("Eau")), true);
    type(*t, QStringLiteral("ion fe"));
    // Return shows the first species found.
    QTest::keyClick(t->list().recherche, Qt::Key_Return);
    QCOMPARE(t->shownName(), QStringLiteral("Ion fer (II)"));
    QCOMPARE(t->list().currentName(), QStringLiteral("Ion fer (II)"));
    // A click on a shown row shows its card, as without a search.
    QTableView *view = t->list().MS1;
    const int r = t->rowOf(QStringLiteral("Ion fer (III)"));
    const QRect cell = view->visualRect(view->model()->index(r - 1, 0));
    QVERIFY(view->viewport()->rect().contains(cell.center()));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(t->list().row(), r);
    QCOMPARE(t->shownName(), QStringLiteral("Ion fer (III)"));
    // The second row found is drawn right under the first.
    const QRect first = view->visualRect(view->model()->index(t->rowOf("Ion fer (II)") - 1, 0));
    QCOMPARE(cell.top(), first.bottom() + 1 + (view->showGrid() ? 1 : 0));
    QVERIFY(t->dialogs.shown.isEmpty());
}

void TestSpeciesSearch::keyboardStaysOnShownRows()
{
    const auto t = bundled();
    if (!t)
        QSKIP("the bundled database was not built");
    feuilleP &w = *t->w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    type(*t, QStringLiteral("ion"));
    QTest::keyClick(t->list().recherche, Qt::Key_Return);
    const QString first = t->list().currentName();
    QCOMPARE(first, shownNames(*t).front());
    // Arrows and letters typed in the list go from shown row to shown row.
    QTableView *view = t->list().MS1;
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Down);
    QVERIFY(t->list().isShown(t->list().row()));
    QVERIFY(t->list().currentName() != first);
    QTest::keyClick(view, Qt::Key_End);
    QCOMPARE(t->list().currentName(), shownNames(*t).back());
    QTest::keyClick(view, Qt::Key_Home);
    QCOMPARE(t->list().currentName(), first);
    QTest::keyClicks(view, QStringLiteral("z")); // "Zinc" is left out
    QVERIFY(t->list().isShown(t->list().row()));
    QVERIFY(t->list().currentName() != QStringLiteral("Zinc"));
    QCOMPARE(t->shownName(), t->list().currentName());
    // Down in the field goes into the list, on the species shown.
    t->list().recherche->setFocus();
    QTest::keyClick(t->list().recherche, Qt::Key_Down);
    QVERIFY(view->hasFocus());
    // After Escape, the current species is in view in the whole list.
    type(*t, QStringLiteral("zinc"));
    QTest::keyClick(t->list().recherche, Qt::Key_Return);
    QTest::keyClick(t->list().recherche, Qt::Key_Escape);
    QCOMPARE(t->list().shownRows(), t->list().rows() - 1);
    QTest::qWait(50); // the grid laid out again
    const QRect current = view->visualRect(view->currentIndex());
    QVERIFY(view->viewport()->rect().contains(current));
}

void TestSpeciesSearch::refillKeepsSearch()
{
    const auto t = bundled();
    if (!t)
        QSKIP("the bundled database was not built");
    feuilleP &w = *t->w;
    type(*t, QStringLiteral("ion fe"));
    QTest::keyClick(t->list().recherche, Qt::Key_Return);
    // "&Valider" refills the list: the search still applies to the new rows.
    t->editor().Text2->setText(QStringLiteral("ion vert en solution"));
    w.Command5->click();
    QVERIFY(!t->editor().modifie);
    QCOMPARE(shownNames(*t), (QStringList{"Ion fer (II)", "Ion fer (III)"}));
    QCOMPARE(t->list().currentName(), QStringLiteral("Ion fer (II)"));
    // A new card that the search leaves out is current and shown: the search
    // is cleared, and the info line says why.
    w.Command6->click();
    t->editor().Text4->setText(QStringLiteral("Zinc métallique"));
    t->editor().formula->setText(QStringLiteral("Zn"));
    w.Command5->click();
    QCOMPARE(t->list().currentName(), QStringLiteral("Zinc métallique"));
    QVERIFY(t->list().isShown(t->list().row()));
    QVERIFY(t->list().recherche->text().isEmpty());
    QVERIFY(w.info->text().startsWith(QStringLiteral("La recherche est effacée")));
    // Its formula is searched as soon as it is listed.
    type(*t, QStringLiteral("zn"));
    QCOMPARE(shownNames(*t), (QStringList{"Zinc", "Zinc métallique"}));
    QVERIFY(t->dialogs.shown.isEmpty());
}

void TestSpeciesSearch::databaseUntouched()
{
    const auto t = bundled();
    if (!t)
        QSKIP("the bundled database was not built");
    const QString file = t->path(QString::fromUtf8(cards::kDatabaseFileName));
    const QByteArray before = readAll(file);
    const QDateTime modified = QFileInfo(file).lastModified();
    for (const char *typed : {"e", "eth", "h2o", "xyz", ""})
        type(*t, QString::fromUtf8(typed));
    QTest::keyClick(t->list().recherche, Qt::Key_Return);
    QCOMPARE(readAll(file), before);
    QCOMPARE(QFileInfo(file).lastModified(), modified);
}

void TestSpeciesSearch::formulaOfTheCardShown()
{
    // Two slots named alike: each row of that name shows the first slot's
    // card, and is searched by that card's formula. Sorted by molar mass, the
    // rows stand in another order than the slots.
    std::vector<cards::carte> cards{card("eau", "18"), card("eau", "20"), card("zinc", "5")};
    cards[1].formule() = "D#2O";
    cards[2].formule() = "Zn";
    Window t(cards);
    t.open();
    pick(t.list(), 3);
    QCOMPARE(t.rowNames(), (QStringList{"zinc", "eau", "eau"}));
    type(t, QStringLiteral("d2o"));
    QCOMPARE(shownNames(t), QStringList{});
    type(t, QStringLiteral("h2o"));
    QCOMPARE(shownNames(t), (QStringList{"eau", "eau"}));
    type(t, QStringLiteral("ZN"));
    QCOMPARE(shownNames(t), QStringList{"zinc"});
    QVERIFY(t.dialogs.shown.isEmpty());
}

void TestSpeciesSearch::fieldTakesFreeRoom()
{
    Window t;
    feuilleP &w = t.open();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QLineEdit *field = w.findChild<QLineEdit *>(QStringLiteral("recherche"));
    QVERIFY(field);
    QCOMPARE(field, t.list().recherche);
    QVERIFY(field->isVisible());
    QCOMPARE(field->placeholderText(), QStringLiteral("Rechercher une espèce…"));
    // The list and the criterion stay where the layout puts them, the list
    // giving up its bottom to the field.
    QCOMPARE(t.list().MS1->geometry().topLeft(), cardlayout::kMS1.topLeft());
    QCOMPARE(t.list().MS1->width(), cardlayout::kMS1.width());
    QCOMPARE(t.list().Combo1->geometry(), cardlayout::kCombo1);
    // The field lies inside the window, over no other control nor over the
    // heading "Critère de tri :" painted left of Combo1.
    const QRect area = field->geometry();
    QVERIFY(cardlayout::kWindowArea.contains(area));
    const QFontMetrics heading(cardlayout::font("MS Sans Serif", 12, true));
    QVERIFY(!area.intersects(QRect(
        cardlayout::kMS1.left(), 103,
        heading.horizontalAdvance(QStringLiteral("Critère de tri :")) + 1, heading.height() + 1)));
    const auto children = w.findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    QVERIFY(children.size() > 15);
    for (const QWidget *other : children) {
        if (other == field || !other->isVisible())
            continue;
        QVERIFY2(!other->geometry().intersects(area), qPrintable(other->objectName()));
    }
    // Its info line says what it does.
    QTest::mouseMove(field, field->rect().center());
    QVERIFY2(w.info->text().startsWith(QStringLiteral("Taper une partie du nom ou de la formule")),
             qPrintable(w.info->text()));
}

QTEST_MAIN(TestSpeciesSearch)
#include "tst_speciessearch.moc"
