// The molar mass the formula gives, in the card editor:
// - an empty "Masse molaire" box offers it (placeholder, and the info line when
//   the box is entered); Enter or the box's menu writes it, nothing else does;
// - a stored mass more than 0.5 % away from the formula's is named in the info
//   line when the card is shown, when the box or the formula is left and while
//   the pointer is on the molar mass's line;
// - the bundled database's cards are shown without a word of disagreement and
//   leave the file as it was.

#include "formulaeditor.h"
#include "mainwindowfixture.h"

#include <QAction>
#include <QMenu>
#include <QMouseEvent>

using namespace fixture;

namespace
{

const QString kSentinel = QStringLiteral("(rien)");

cards::carte species(const char *nom, const char *formule, const char *masse,
                     const char *drapeaux = "0100000000")
{
    cards::carte c;
    c.nom() = nom;
    c.formule() = formule;
    c.drapeaux() = drapeaux;
    c.quantite(0) = masse;
    return c;
}

QLabel *infoLine(feuilleP &w)
{
    return w.findChild<QLabel *>(QStringLiteral("info"));
}

void moveOver(QWidget *widget, QPoint at)
{
    QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

} // namespace

class MolarMassHintTest : public QObject
{
    Q_OBJECT
private slots:
    void offer_data();
    void offer();
    void menuFills();
    void disagreement_data();
    void disagreement();
    void leavingCompares();
    void bundledCardsAgree();
};

void MolarMassHintTest::offer_data()
{
    QTest::addColumn<QString>("formule");
    QTest::addColumn<QString>("masse");
    QTest::addColumn<QString>("placeholder");
    QTest::addColumn<QString>("info"); // on entering the box; kSentinel: untouched
    QTest::addColumn<QString>("afterEnter");

    QTest::newRow("water") << "H#2O"
                           << ""
                           << "18,02"
                           << "Masse molaire d'après la formule : 18,02 g/mol ; la touche Entrée "
                              "l'inscrit dans la case"
                           << "18,02";
    QTest::newRow("hydrate") << "CuSO#4,5H#2O"
                             << ""
                             << "249,68"
                             << "Masse molaire d'après la formule : 249,68 g/mol"
                             << "249,68";
    QTest::newRow("light gas") << "H#2"
                               << ""
                               << "2,016"
                               << "2,016 g/mol"
                               << "2,016";
    QTest::newRow("unknown symbol")
        << "Xy#2"
        << ""
        << ""
        << "Masse molaire non calculée d'après la formule : symbole inconnu : Xy"
        << "";
    QTest::newRow("mixture") << "H#3O*+ + Cl*-"
                             << ""
                             << ""
                             << "non calculée d'après la formule : mélange : pas de masse "
                                "molaire unique"
                             << "";
    QTest::newRow("no formula") << ""
                                << ""
                                << "" << kSentinel << "";
    QTest::newRow("mass already there") << "H#2O"
                                        << "18"
                                        << "" << kSentinel << "18";
}

// The offer is shown, never written by itself; Enter writes it, once.
void MolarMassHintTest::offer()
{
    QFETCH(QString, formule);
    QFETCH(QString, masse);
    QFETCH(QString, placeholder);
    QFETCH(QString, info);
    QFETCH(QString, afterEnter);
    Window t({species("espèce", formule.toUtf8().constData(), masse.toUtf8().constData())});
    feuilleP &w = t.open();
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    const QByteArray before = readAll(t.path(QStringLiteral("ESPCHIMIQUES.ZYP")));
    QLineEdit *box = t.editor().Text3[0];
    QCOMPARE(box->text(), masse);
    QCOMPARE(box->placeholderText(), placeholder);
    QVERIFY(!t.editor().modifie);

    infoLine(w)->setText(kSentinel);
    box->setFocus(Qt::MouseFocusReason);
    QTRY_VERIFY(box->hasFocus());
    if (info == kSentinel)
        QCOMPARE(infoLine(w)->text(), kSentinel);
    else
        QVERIFY2(infoLine(w)->text().contains(info), qPrintable(infoLine(w)->text()));
    QCOMPARE(box->text(), masse); // entering the box writes nothing
    QVERIFY(!t.editor().modifie);

    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(box->text(), afterEnter);
    QCOMPARE(t.editor().modifie, afterEnter != masse);
    QVERIFY(box->placeholderText().isEmpty() || box->text().isEmpty());
    QTest::keyClick(box, Qt::Key_Return); // a second Enter changes nothing more
    QCOMPARE(box->text(), afterEnter);
    QCOMPARE(readAll(t.path(QStringLiteral("ESPCHIMIQUES.ZYP"))), before);

    QVERIFY(t.editor().Command5_Click());
    QCOMPARE(QString::fromStdString(t.database().at(0).quantite(0)), afterEnter);
}

// The box's own menu carries the offer first; a locked card offers nothing.
void MolarMassHintTest::menuFills()
{
    Window t({species("eau", "H#2O", "")});
    feuilleP &w = t.open();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    t.list().setRow(t.rowOf(QStringLiteral("eau")), true);
    QLineEdit *box = t.editor().Text3[0];
    emit box->customContextMenuRequested(QPoint(2, 2));
    QMenu *menu = box->findChild<QMenu *>(QStringLiteral("molarMassMenu"));
    QVERIFY(menu);
    QAction *fill = menu->findChild<QAction *>(QStringLiteral("fillMolarMass"));
    QVERIFY(fill);
    QCOMPARE(menu->actions().front(), fill);
    QCOMPARE(fill->text(), QStringLiteral("Inscrire la masse molaire de la formule : 18,02 g/mol"));
    QVERIFY(box->text().isEmpty());
    fill->trigger();
    QCOMPARE(box->text(), QStringLiteral("18,02"));
    QVERIFY(t.editor().modifie);
    menu->close();
    QTRY_VERIFY(!box->findChild<QMenu *>(QStringLiteral("molarMassMenu")));

    // A locked card: its box cannot be written, by the menu or otherwise.
    Window locked({species("verrouillée", "H#2O", "", "0100000001")});
    feuilleP &lw = locked.open();
    lw.show();
    QVERIFY(QTest::qWaitForWindowExposed(&lw));
    QVERIFY(locked.editor().locked());
    QLineEdit *lockedBox = locked.editor().Text3[0];
    QVERIFY(!lockedBox->isEnabled());
    emit lockedBox->customContextMenuRequested(QPoint(2, 2));
    menu = lockedBox->findChild<QMenu *>(QStringLiteral("molarMassMenu"));
    QVERIFY(menu);
    if (QAction *a = menu->findChild<QAction *>(QStringLiteral("fillMolarMass")))
        a->trigger();
    QVERIFY(lockedBox->text().isEmpty());
    QVERIFY(!locked.editor().modifie);
    menu->close();
    infoLine(lw)->setText(kSentinel);
    moveOver(locked.editor().Label4[0], QPoint(2, 2));
    QVERIFY(!infoLine(lw)->text().contains(QStringLiteral("Entrée")));
}

void MolarMassHintTest::disagreement_data()
{
    QTest::addColumn<QString>("formule");
    QTest::addColumn<QString>("masse");
    QTest::addColumn<QString>("info"); // empty: no word about the mass

    QTest::newRow("anhydrous mass on a hydrate")
        << "CuSO#4,5H#2O"
        << "159,60"
        << "La masse molaire inscrite (159,60 g/mol) s'écarte de plus de 0,5 % de celle de la "
           "formule : 249,68 g/mol";
    QTest::newRow("1 % off") << "NH#3"
                             << "17,2"
                             << "(17,2 g/mol) s'écarte";
    QTest::newRow("0.4 % off") << "NH#3"
                               << "17,1"
                               << "";
    QTest::newRow("rounded textbook value") << "H#2O"
                                            << "18"
                                            << "";
    QTest::newRow("formula that does not read") << "(C#6H#1#0O#5)#n"
                                                << "162"
                                                << "";
    QTest::newRow("mixture with a mass") << "H#3O*+ + Cl*-"
                                         << "36,46"
                                         << "";
    QTest::newRow("empty box") << "H#2O"
                               << ""
                               << "";
}

// Said when the card is shown, and again while the pointer is on the molar
// mass's line (whatever the panel's own text said before); the file and the
// box stay as they are.
void MolarMassHintTest::disagreement()
{
    QFETCH(QString, formule);
    QFETCH(QString, masse);
    QFETCH(QString, info);
    Window t({species("autre", "NaCl", "58,44"),
              species("espèce", formule.toUtf8().constData(), masse.toUtf8().constData())});
    feuilleP &w = t.open();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QByteArray before = readAll(t.path(QStringLiteral("ESPCHIMIQUES.ZYP")));
    QLabel *line = infoLine(w);
    line->setText(kSentinel);
    t.list().setRow(t.rowOf(QStringLiteral("espèce")), true);
    CardEditor &e = t.editor();
    if (info.isEmpty())
        QCOMPARE(line->text(), kSentinel);
    else
        QVERIFY2(line->text().contains(info), qPrintable(line->text()));

    // The pointer on the density's line: the panel's own text; on the molar
    // mass's label or box: the disagreement again.
    moveOver(e.Frame1, QPoint(e.Label4[1]->x() + 2, e.Label4[1]->y() + 2));
    const QString panelText = line->text();
    QVERIFY(!panelText.contains(QStringLiteral("masse molaire")));
    moveOver(e.Label4[0], QPoint(2, 2));
    if (info.isEmpty() && !masse.isEmpty())
        QCOMPARE(line->text(), panelText);
    else if (!info.isEmpty())
        QVERIFY2(line->text().contains(info), qPrintable(line->text()));

    QCOMPARE(e.Text3[0]->text(), masse);
    QVERIFY(!e.modifie);
    QCOMPARE(readAll(t.path(QStringLiteral("ESPCHIMIQUES.ZYP"))), before);
}

// A mass typed then left, and a formula changed then left, are compared; the
// pointer on the box says it again.
void MolarMassHintTest::leavingCompares()
{
    Window t({species("eau", "H#2O", "18")});
    feuilleP &w = t.open();
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    CardEditor &e = t.editor();
    QLabel *line = infoLine(w);
    line->setText(kSentinel);

    e.Text3[0]->setFocus(Qt::MouseFocusReason);
    QTRY_VERIFY(e.Text3[0]->hasFocus());
    QCOMPARE(line->text(), kSentinel); // a mass that agrees: nothing to say
    QTest::keyClick(e.Text3[0], Qt::Key_End);
    QTest::keyClick(e.Text3[0], '0');
    QCOMPARE(e.Text3[0]->text(), QStringLiteral("180"));
    QCOMPARE(line->text(), kSentinel); // not while typing
    e.Text4->setFocus(Qt::MouseFocusReason);
    QTRY_VERIFY(e.Text4->hasFocus());
    QVERIFY2(line->text().contains(QStringLiteral("(180 g/mol) s'écarte de plus de 0,5 % de celle "
                                                  "de la formule : 18,02 g/mol")),
             qPrintable(line->text()));

    line->setText(kSentinel);
    moveOver(e.Text3[0], QPoint(1, 1));
    QVERIFY2(line->text().contains(QStringLiteral("(180 g/mol)")), qPrintable(line->text()));

    // The formula of ten waters, left: the mass now agrees, nothing is said.
    line->setText(kSentinel);
    e.formula->Text1()->setFocus(Qt::MouseFocusReason);
    QTRY_VERIFY(e.formula->Text1()->hasFocus());
    e.formula->setText(QStringLiteral("(H#2O)#1#0"));
    e.Text4->setFocus(Qt::MouseFocusReason);
    QTRY_VERIFY(e.Text4->hasFocus());
    QCOMPARE(line->text(), kSentinel);
    // And a formula that no longer matches is told on leaving it.
    e.formula->Text1()->setFocus(Qt::MouseFocusReason);
    QTRY_VERIFY(e.formula->Text1()->hasFocus());
    e.formula->setText(QStringLiteral("H#2O"));
    e.Text4->setFocus(Qt::MouseFocusReason);
    QTRY_VERIFY(e.Text4->hasFocus());
    QVERIFY2(line->text().contains(QStringLiteral("(180 g/mol) s'écarte")),
             qPrintable(line->text()));
}

// Every bundled card shown: no disagreement, the box as stored, an offer only
// where the box is empty, and the file untouched.
void MolarMassHintTest::bundledCardsAgree()
{
#ifndef CARTES_BUNDLED_DATABASE
    QSKIP("no bundled database in this build");
#else
    const QString bundled = QStringLiteral(CARTES_BUNDLED_DATABASE);
    if (!QFile::exists(bundled))
        QSKIP("the bundled database is not built");
    Window t({}, false);
    QVERIFY(QFile::copy(bundled, t.path(QStringLiteral("ESPCHIMIQUES.ZYP"))));
    feuilleP &w = t.open();
    const QByteArray before = readAll(t.path(QStringLiteral("ESPCHIMIQUES.ZYP")));
    QLabel *line = infoLine(w);
    const std::vector<cards::carte> stored = t.database();
    QVERIFY(stored.size() >= 90);
    int offers = 0;
    for (int r = 1; r < t.list().rows(); ++r) {
        line->setText(kSentinel);
        t.list().setRow(r, true);
        const QString nom = t.shownName();
        QVERIFY2(line->text() == kSentinel, qPrintable(nom + " : " + line->text()));
        QLineEdit *box = t.editor().Text3[0];
        const auto it = std::find_if(stored.begin(), stored.end(), [&](const cards::carte &c) {
            return QString::fromStdString(c.nom()) == nom;
        });
        QVERIFY(it != stored.end());
        QCOMPARE(box->text(), QString::fromStdString(it->quantite(0)));
        QVERIFY(box->text().isEmpty() || box->placeholderText().isEmpty());
        offers += !box->placeholderText().isEmpty();
        QVERIFY(!t.editor().modifie);
    }
    // The one bundled card without a mass is a mixture: nothing to offer.
    QCOMPARE(offers, 0);
    QCOMPARE(readAll(t.path(QStringLiteral("ESPCHIMIQUES.ZYP"))), before);
#endif
}

QTEST_MAIN(MolarMassHintTest)
#include "tst_molarmasshint.moc"
