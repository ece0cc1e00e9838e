// The card editor on a real main window: every path that replaces a modified
// card, "&Valider", "&Nouveau", "E&nlever", the key filters, the lock, and
// databases that cannot be written.

#include "cardlayout.h"
#include "formulaeditor.h"
#include "mainwindowfixture.h"
#include "textboxes.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QRadioButton>

#include <functional>

using namespace fixture;

class TestCardEditor : public QObject
{
    Q_OBJECT
private slots:
    void replaceModifiedCard_data();
    void replaceModifiedCard();
    void newCardValidatedTwice();
    void renameToTakenName();
    void removeOnlyCard();
    void removeRefusedAndNotInDatabase();
    void quantityKeys_data();
    void quantityKeys();
    void leavingQuantityBox_data();
    void leavingQuantityBox();
    void densityLabel_data();
    void densityLabel();
    void quantityBoxWidths();
    void hazardPictures();
    void pollutionOptions();
    void optionPairsIndependent_data();
    void optionPairsIndependent();
    void newCardAfterAnyCard_data();
    void newCardAfterAnyCard();
    void clickOnQuantityLine_data();
    void clickOnQuantityLine();
    void flagsRoundTrip();
    void lockedCard();
    void lockedCardFile_data();
    void lockedCardFile();
    void nineCharacterFlags();
    void foreignCharactersTakenIn();
    void labelsFocusTheirBoxes();
    void fullDatabaseKeepsNewCard();
    void damagedDatabase();
    void damagedCardKeepsEditor();
};

namespace
{

enum class Edit { Quantity, BlankName, TakenName, Unwritable };

// A card file written by the test from the record layout: header, then the
// eleven fields.
void writeCardFile(const QString &path, const cards::carte &c)
{
    cards::RecordFile file;
    file.write(1, cards::kCardHeader);
    for (int k = 1; k <= cards::kFieldCount; ++k)
        file.write(k + 1, c.field(k));
    QCOMPARE(file.save(toPath(path)), cards::IoError::None);
}

// Types each character as a key with that text, as a keyboard with any layout
// or an input method would send it.
void typeText(QWidget *w, const QString &text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

} // namespace

void TestCardEditor::replaceModifiedCard_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("answer"); // Answer::Yes or Answer::No
    QTest::addColumn<int>("edit");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<bool>("goesOn");

    const QStringList paths{"cell entry", "click", "criterion", "nouveau", "open", "chargenet"};
    for (const QString &path : paths) {
        const QByteArray p = path.toUtf8();
        QTest::newRow(p + ", yes") << path << int(Answer::Yes) << int(Edit::Quantity)
                                   << QStringList{"Enregistrer ?"} << true;
        QTest::newRow(p + ", no") << path << int(Answer::No) << int(Edit::Quantity)
                                  << QStringList{"Enregistrer ?"} << true;
        QTest::newRow(p + ", blank name")
            << path << int(Answer::Yes) << int(Edit::BlankName)
            << QStringList{"Enregistrer ?", "Ajout impossible"} << false;
        QTest::newRow(p + ", taken name")
            << path << int(Answer::Yes) << int(Edit::TakenName)
            << QStringList{"Enregistrer ?", "Ajout impossible"} << false;
        QTest::newRow(p + ", write fails")
            << path << int(Answer::Yes) << int(Edit::Unwritable)
            << QStringList{"Enregistrer ?", "Ecriture impossible"} << false;
    }
}

void TestCardEditor::replaceModifiedCard()
{
    QFETCH(QString, path);
    QFETCH(int, answer);
    QFETCH(int, edit);
    QFETCH(QStringList, titles);
    QFETCH(bool, goesOn);

    Window t;
    feuilleP &w = t.open();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const auto before = t.database();
    writeCardFile(t.path("carte.CAR"), card("soufre", "32", "0000000000"));
    writeCardFile(t.path("TEMPO.CAR"), card("cuivre", "63,5", "0000000000"));

    // The card of "eau" is shown and edited.
    t.list().setRow(t.rowOf("eau"), true);
    QCOMPARE(t.shownName(), QStringLiteral("eau"));
    CardEditor &e = t.editor();
    e.Text3[0]->setText(QStringLiteral("18,02"));
    switch (Edit(edit)) {
    case Edit::Quantity:
        break;
    case Edit::BlankName:
        e.Text4->setText(QStringLiteral("   "));
        break;
    case Edit::TakenName:
        e.Text4->setText(QStringLiteral("ammoniac"));
        break;
    case Edit::Unwritable:
        // A character of no Windows-1252 byte cannot be typed; one that got in
        // all the same makes the write fail.
        e.Text2->setText(QStringLiteral("liquide Ω"));
        break;
    }
    QVERIFY(e.modifie);
    const QString editedName = e.Text4->text();

    t.dialogs.expectMessage("Enregistrer ?", Answer(answer));
    if (Edit(edit) == Edit::BlankName || Edit(edit) == Edit::TakenName)
        t.dialogs.expectMessage("Ajout impossible", Answer::Ok);
    if (Edit(edit) == Edit::Unwritable)
        t.dialogs.expectMessage("Ecriture impossible", Answer::Ok);

    std::function<bool()> happened;
    if (path == "cell entry") {
        t.list().setRow(t.rowOf("éthanol"), true);
        happened = [&] { return t.shownName() == "éthanol"; };
    } else if (path == "click") {
        const QModelIndex index = t.list().MS1->model()->index(t.rowOf("eau") - 1, 0);
        QTest::mouseClick(t.list().MS1->viewport(), Qt::LeftButton, {},
                          t.list().MS1->visualRect(index).center());
        happened = [&] { return t.shownName() == "eau" && !e.modifie; };
    } else if (path == "criterion") {
        t.list().Combo1->setCurrentIndex(1);
        emit t.list().Combo1->activated(1);
        happened = [&] { return t.list().text(0, 1) == "Densité" && !e.modifie; };
    } else if (path == "nouveau") {
        w.Command6->click();
        happened = [&] { return t.shownName().isEmpty() && e.numcarte == -1; };
    } else if (path == "open") {
        if (goesOn)
            t.dialogs.expectFile(t.path("carte.CAR"));
        w.Command2->click();
        happened = [&] { return t.shownName() == "soufre" && e.numcarte == -1; };
    } else {
        w.chargenet();
        happened = [&] { return t.shownName() == "cuivre" && e.numcarte == -1; };
    }

    QCOMPARE(t.dialogs.titles(), titles);
    QVERIFY2(t.dialogs.unexpected.isEmpty(), qPrintable(t.dialogs.unexpected.join('\n')));
    QVERIFY(t.dialogs.allAnswered());
    QCOMPARE(happened(), goesOn);

    const auto after = t.database();
    if (answer == int(Answer::Yes) && goesOn) {
        QCOMPARE(after[0].quantite(0), std::string("18,02"));
        QCOMPARE(after.size(), before.size());
    } else {
        QVERIFY(after == before);
    }
    if (!goesOn) {
        // The edited card stays in the editor, still marked modified.
        QCOMPARE(e.Text4->text(), editedName);
        QCOMPARE(e.Text3[0]->text(), QStringLiteral("18,02"));
        QVERIFY(e.modifie);
        QCOMPARE(e.numcarte, 0);
        QVERIFY(!e.reponseNOM);
    }
}

void TestCardEditor::newCardValidatedTwice()
{
    Window t;
    feuilleP &w = t.open();
    CardEditor &e = t.editor();
    const auto currentRowSelected = [&t] {
        const QModelIndexList selected = t.list().MS1->selectionModel()->selectedIndexes();
        return selected.size() == 1 && selected.front().row() == t.list().row() - 1;
    };
    w.Command6->click();
    e.Text4->setText(QStringLiteral("argon"));
    e.Text3[0]->setText(QStringLiteral("39,9"));
    w.Command5->click();
    QCOMPARE(names(t.database()), (QStringList{"eau", "éthanol", "ammoniac", "argon"}));
    QVERIFY(!e.modifie);
    // The editor keeps the new card, now the list's current row, in its slot.
    QCOMPARE(t.shownName(), QStringLiteral("argon"));
    QCOMPARE(t.list().row(), t.rowOf("argon"));
    QVERIFY(currentRowSelected());
    QCOMPARE(e.numcarte, 3);

    // Validated again, it replaces itself: no second "argon", no refusal.
    e.Text3[0]->setText(QStringLiteral("39,95"));
    w.Command5->click();
    QVERIFY(e.reponseNOM);
    QCOMPARE(t.database().size(), std::size_t(4));
    QCOMPARE(t.database()[3].quantite(0), std::string("39,95"));

    // A renamed card stays current under its new name.
    e.Text4->setText(QStringLiteral("argon 40"));
    w.Command5->click();
    QCOMPARE(t.list().row(), t.rowOf("argon 40"));
    QVERIFY(currentRowSelected());
    QCOMPARE(names(t.database()), (QStringList{"eau", "éthanol", "ammoniac", "argon 40"}));

    // And it can be removed.
    t.dialogs.expectMessage("Enlever cette carte ?", Answer::Yes);
    w.Command12->click();
    QCOMPARE(names(t.database()), (QStringList{"eau", "éthanol", "ammoniac"}));
    QVERIFY(t.dialogs.unexpected.isEmpty());
    QVERIFY(t.dialogs.allAnswered());
}

void TestCardEditor::renameToTakenName()
{
    Window t;
    feuilleP &w = t.open();
    t.list().setRow(t.rowOf("eau"), true);
    t.editor().Text4->setText(QStringLiteral("éthanol"));
    t.dialogs.expectMessage("Ajout impossible", Answer::Ok);
    w.Command5->click();
    QCOMPARE(t.dialogs.shown.back().icon, platform::Dialogs::Icon::Critical);
    // Its own name is accepted.
    t.editor().Text4->setText(QStringLiteral("eau"));
    w.Command5->click();
    QVERIFY(t.editor().reponseNOM);
    QVERIFY(t.dialogs.unexpected.isEmpty());
}

void TestCardEditor::removeOnlyCard()
{
    Window t({card("eau", "18")});
    feuilleP &w = t.open();
    t.dialogs.expectMessage("Enlever cette carte ?", Answer::Yes);
    w.Command12->click();
    QCOMPARE(t.dialogs.shown.back().text,
             QStringLiteral("Voulez-vous vraiment effacer eau\nde la base de données?"));
    QCOMPARE(t.list().rows(), 1);
    QVERIFY(!w.Command12->isEnabled());
    QVERIFY(t.database().empty());
    // The editor keeps the removed card, and numcarte its slot.
    QCOMPARE(t.shownName(), QStringLiteral("eau"));
    QCOMPARE(t.editor().numcarte, 0);
    QVERIFY(!t.editor().modifie);
    // "&Valider" writes it back into slot 0.
    w.Command5->click();
    QCOMPARE(names(t.database()), QStringList{"eau"});
    QCOMPARE(t.rowNames(), QStringList{"eau"});
    QVERIFY(t.dialogs.unexpected.isEmpty());
}

void TestCardEditor::removeRefusedAndNotInDatabase()
{
    Window t;
    feuilleP &w = t.open();
    t.list().setRow(t.rowOf("eau"), true);
    t.dialogs.expectMessage("Enlever cette carte ?", Answer::No);
    w.Command12->click();
    QCOMPARE(t.database().size(), std::size_t(3));

    t.dialogs.expectMessage("Enlever cette carte ?", Answer::Yes);
    w.Command12->click();
    QCOMPARE(names(t.database()), (QStringList{"éthanol", "ammoniac"}));
    QCOMPARE(t.list().row(), 1);
    QCOMPARE(t.shownName(), QStringLiteral("ammoniac"));

    w.Command6->click();
    t.dialogs.expectMessage("Impossible d'enlever", Answer::Ok);
    w.Command12->click();
    QCOMPARE(t.dialogs.shown.back().icon, platform::Dialogs::Icon::Exclamation);
    QVERIFY(t.dialogs.unexpected.isEmpty());
    QVERIFY(t.dialogs.allAnswered());
}

void TestCardEditor::quantityKeys_data()
{
    QTest::addColumn<int>("box");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("text");
    QTest::newRow("point becomes comma") << 0 << "1.5"
                                         << "1,5";
    QTest::newRow("letters refused") << 1 << "a1b2 c"
                                     << "12";
    QTest::newRow("minus and comma") << 4 << "-3,25"
                                     << "-3,25";
    QTest::newRow("m gives miscible") << 6 << "m"
                                      << "miscible";
    QTest::newRow("M replaces the text") << 6 << "12M"
                                         << "miscible";
    QTest::newRow("m refused elsewhere") << 3 << "1m"
                                         << "1";
    QTest::newRow("digits after miscible") << 6 << "m2"
                                           << "miscible2";
    QTest::newRow("backspace") << 2 << "12\b3"
                               << "13";
    QTest::newRow("at most 100") << 5 << QString(120, '7') << QString(100, '7');
}

void TestCardEditor::quantityKeys()
{
    QFETCH(int, box);
    QFETCH(QString, keys);
    QFETCH(QString, text);
    Window t;
    t.open();
    QLineEdit *b = t.editor().Text3[std::size_t(box)];
    b->clear();
    t.editor().modifie = false;
    for (const QChar c : keys) {
        if (c == '\b')
            QTest::keyClick(b, Qt::Key_Backspace);
        else
            QTest::keyClicks(b, QString(c));
    }
    QCOMPARE(b->text(), text);
    QVERIFY(t.editor().modifie);
}

void TestCardEditor::leavingQuantityBox_data()
{
    QTest::addColumn<int>("box");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("left");
    QTest::newRow("number kept") << 0 << "1,5"
                                 << "1,5";
    QTest::newRow("comma alone") << 0 << ","
                                 << "";
    QTest::newRow("minus alone") << 1 << "-"
                                 << "";
    QTest::newRow("two commas") << 1 << "1,2,3"
                                << "";
    QTest::newRow("beyond single") << 2 << "4" + QString(40, '0') << "";
    QTest::newRow("miscible kept") << 6 << "miscible"
                                   << "miscible";
    QTest::newRow("miscible with spaces") << 6 << " miscible "
                                          << " miscible ";
    QTest::newRow("miscible elsewhere") << 5 << "miscible"
                                        << "";
    QTest::newRow("miscible and more") << 6 << "miscible2"
                                       << "";
    QTest::newRow("empty") << 3 << ""
                           << "";
}

void TestCardEditor::leavingQuantityBox()
{
    QFETCH(int, box);
    QFETCH(QString, text);
    QFETCH(QString, left);
    Window t;
    feuilleP &w = t.open();
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QLineEdit *b = t.editor().Text3[std::size_t(box)];
    b->setFocus();
    QCOMPARE(b->palette().color(QPalette::Base), QColor(250, 250, 150));
    QCOMPARE(b->width(), 99);
    b->setText(text);
    t.editor().Text4->setFocus();
    QCOMPARE(b->text(), left);
    QCOMPARE(b->palette().color(QPalette::Base), QColor(255, 255, 255));
    QCOMPARE(b->width(), QFontMetrics(b->font()).horizontalAdvance(left) + 8);
}

void TestCardEditor::densityLabel_data()
{
    QTest::addColumn<QString>("boiling");
    QTest::addColumn<QString>("caption");
    const QString air = QStringLiteral("Densité par rapport à l'air :");
    const QString eau = QStringLiteral("Densité par rapport à l'eau :");
    QTest::newRow("15") << "15" << air;
    QTest::newRow("-33") << "-33" << air;
    QTest::newRow("19,9") << "19,9" << air;
    QTest::newRow("20") << "20" << eau;
    QTest::newRow("100") << "100" << eau;
    QTest::newRow("empty") << "" << eau;
    QTest::newRow("not a number") << "-" << eau;
}

void TestCardEditor::densityLabel()
{
    QFETCH(QString, boiling);
    QFETCH(QString, caption);
    Window t;
    t.open();
    CardEditor &e = t.editor();
    e.Text3[3]->setText(boiling);
    e.majtext3();
    QCOMPARE(e.Label4[2]->text(), caption);
    QCOMPARE(e.view().captions[2], caption);
    // The density box stands right after its caption and a space.
    QCOMPARE(e.Text3[2]->x(),
             e.Label4[2]->x() +
                 QFontMetrics(e.Text3[2]->font()).horizontalAdvance(caption + QLatin1Char(' ')));
    // The stored density is not touched.
    QCOMPARE(e.card().quantite(2), std::string("0,6"));
}

void TestCardEditor::quantityBoxWidths()
{
    Window t;
    t.open();
    CardEditor &e = t.editor();
    for (std::size_t k = 0; k < 7; ++k) {
        QLineEdit *box = e.Text3[k];
        QLabel *label = e.Label4[k];
        QCOMPARE(box->height(), 17);
        QCOMPARE(box->maxLength(), 100);
        QVERIFY(!box->hasFrame());
        QCOMPARE(box->y(), label->y());
        QCOMPARE(box->x(), label->x() + label->width());
        QCOMPARE(box->width(), QFontMetrics(box->font()).horizontalAdvance(box->text()) + 8);
    }
}

void TestCardEditor::hazardPictures()
{
    Window t({card("eau", "18", "0000000000")});
    t.open();
    CardEditor &e = t.editor();
    const int inner = e.Frame1->width();
    e.Check1[3]->setChecked(true);
    QVERIFY(!e.Image8[3]->isHidden());
    QCOMPARE(e.Image8[3]->x(), inner - 74);
    e.Check1[0]->setChecked(true);
    QCOMPARE(e.Image8[3]->x(), inner - 74);
    QCOMPARE(e.Image8[0]->x(), inner - 148);
    QVERIFY(e.Image8[1]->isHidden() && e.Image8[2]->isHidden());
    e.Check1[2]->setChecked(true);
    QCOMPARE(e.Image8[2]->x(), inner - 148);
    QCOMPARE(e.Image8[0]->x(), inner - 222);
    e.Check1[3]->setChecked(false);
    QVERIFY(e.Image8[3]->isHidden());
    QCOMPARE(e.Image8[2]->x(), inner - 74);
    QVERIFY(e.modifie);
    QCOMPARE(e.card().drapeaux(), std::string("0010100000"));
}

void TestCardEditor::pollutionOptions()
{
    Window t({card("eau", "18", "0000000000")});
    t.open();
    CardEditor &e = t.editor();
    QVERIFY(e.Option3->isChecked());
    e.modifie = false;
    e.polu[1]->setChecked(true);
    QVERIFY(e.Option4->isChecked());
    QVERIFY(e.modifie);
    e.polu[0]->setChecked(true);
    e.Option3->setChecked(true);
    for (QCheckBox *b : e.polu)
        QVERIFY(!b->isChecked());
    e.polu[2]->setChecked(true);
    QVERIFY(e.Option4->isChecked());
    e.polu[2]->setChecked(false);
    QVERIFY(e.Option3->isChecked());
}

void TestCardEditor::optionPairsIndependent_data()
{
    // The card shown, then what the user clicks; the other pair must not move.
    QTest::addColumn<QString>("drapeaux");
    QTest::addColumn<QString>("click");     // Option1..Option4, polu(k)
    QTest::addColumn<QString>("nature");    // Option1/Option2 afterwards: "10", "01", "00"
    QTest::addColumn<QString>("pollution"); // Option3/Option4 and the three boxes
    // clang-format off
    QTest::newRow("inorganic, non polluant chosen")        << "0111011100" << "Option3"         << "01" << "10 000";
    QTest::newRow("inorganic, non polluant clicked twice") << "0111011100" << "Option3 Option3" << "01" << "10 000";
    QTest::newRow("organic, risk chosen")                  << "1010000000" << "Option4"         << "10" << "01 000";
    QTest::newRow("organic, a box checked")                << "1010000000" << "polu(2)"         << "10" << "01 001";
    QTest::newRow("inorganic, last box unchecked")         << "0100000100" << "polu(1)"         << "01" << "10 000";
    QTest::newRow("neither, non polluant chosen")          << "0000010100" << "Option3"         << "00" << "10 000";
    QTest::newRow("polluting, organic chosen")             << "0100001100" << "Option1"         << "10" << "01 110";
    QTest::newRow("non polluting, inorganic chosen")       << "1000000000" << "Option2"         << "01" << "10 000";
    QTest::newRow("selected option clicked again")         << "0100000000" << "Option2"         << "01" << "10 000";
    QTest::newRow("both stored, organic clicked")          << "1100000000" << "Option1"         << "10" << "10 000";
    QTest::newRow("both stored, inorganic clicked")        << "1100000000" << "Option2"         << "01" << "10 000";
    // clang-format on
}

void TestCardEditor::optionPairsIndependent()
{
    QFETCH(QString, drapeaux);
    QFETCH(QString, click);
    QFETCH(QString, nature);
    QFETCH(QString, pollution);
    Window t({card("zinc", "65,4", "0101001110"), card("carte", "1", qPrintable(drapeaux))});
    feuilleP &w = t.open();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    t.list().setRow(t.rowOf("carte"), true);
    CardEditor &e = t.editor();
    for (const QString &name : click.split(u' ')) {
        auto *button = e.Frame1->findChild<QAbstractButton *>(name);
        QVERIFY2(button, qPrintable(name));
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    }
    const auto on = [](std::initializer_list<const QAbstractButton *> buttons) {
        QString s;
        for (const QAbstractButton *b : buttons)
            s += b->isChecked() ? u'1' : u'0';
        return s;
    };
    QCOMPARE(on({e.Option1, e.Option2}), nature);
    QCOMPARE(on({e.Option3, e.Option4}) + u' ' + on({e.polu[0], e.polu[1], e.polu[2]}), pollution);
    // The written card says what is shown.
    QCOMPARE(QString::fromStdString(e.card().drapeaux()).mid(0, 2), nature);
    QCOMPARE(QString::fromStdString(e.card().drapeaux()).mid(6, 3), pollution.mid(3));
}

void TestCardEditor::newCardAfterAnyCard_data()
{
    QTest::addColumn<QString>("shown"); // the card shown before "&Nouveau"
    QTest::newRow("polluting gas") << "ammoniac";
    QTest::newRow("non polluting liquid") << "eau";
    QTest::newRow("locked, every option") << "mercure";
}

void TestCardEditor::newCardAfterAnyCard()
{
    QFETCH(QString, shown);
    Window t({card("eau", "18,015", "0100000000", "1", "100"),
              card("ammoniac", "17,03", "0111011100", "0,6", "-33,3", "540"),
              card("mercure", "200,59", "1111111111", "13,546", "356,6", "0,00006")});
    feuilleP &w = t.open();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    t.list().setRow(t.rowOf(shown), true);
    CardEditor &e = t.editor();
    w.Command6->click();

    // No choice made, whatever the card before said.
    for (QRadioButton *option : {e.Option1, e.Option2, e.Option3, e.Option4})
        QVERIFY2(!option->isChecked(), qPrintable(option->objectName()));
    QCOMPARE(e.card().drapeaux(), std::string("0000000000"));
    QCOMPARE(e.view().nonPolluant || e.view().risquePollution, false);

    // The empty boxes are laid out as empty boxes: 8 pixels wide, the
    // density relative to water, each unit right after its box.
    QCOMPARE(e.Label4[2]->text(), QStringLiteral("Densité par rapport à l'eau :"));
    const QImage panel = e.Frame1->grab().toImage();
    for (std::size_t k = 0; k < 7; ++k) {
        QLineEdit *box = e.Text3[k];
        QCOMPARE(box->width(), 8);
        QCOMPARE(box->x(), e.Label4[k]->x() + e.Label4[k]->width());
    }
    for (std::size_t k = 0; k < e.Text3.size(); ++k) {
        const std::string_view unit = cards::quantityInfo(int(k)).unit;
        if (unit.empty())
            continue;
        const QRect box = e.Text3[k]->geometry();
        int dark = 0;
        for (int y = box.top(); y < box.top() + 16; ++y)
            for (int x = box.right() + 1; x < box.right() + 12; ++x)
                dark += qGray(panel.pixel(x, y)) < 128;
        QVERIFY2(dark > 5, unit.data());
    }
}

void TestCardEditor::clickOnQuantityLine_data()
{
    QTest::addColumn<int>("k");
    QTest::addColumn<QString>("where");
    const QStringList places{"unit", "right edge", "picture side", "label"};
    for (int k = 0; k < 7; ++k)
        for (const QString &where : places)
            QTest::addRow("Text3(%d), %s", k, qPrintable(where)) << k << where;
}

void TestCardEditor::clickOnQuantityLine()
{
    QFETCH(int, k);
    QFETCH(QString, where);
    Window t({card("eau", "", "0100000000"), card("mercure", "", "0100000001")});
    feuilleP &w = t.open();
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    CardEditor &e = t.editor();
    w.Command6->click();
    QLineEdit *box = e.Text3[std::size_t(k)];
    QCOMPARE(box->width(), 8);
    const int y = box->y() + box->height() / 2;
    QPoint at;
    if (where == "unit")
        at = QPoint(box->geometry().right() + 6, y);
    else if (where == "right edge")
        at = QPoint(e.Frame1->width() - 3, y);
    else if (where == "picture side")
        at = QPoint(40, y);
    else
        at = QPoint(e.Label4[std::size_t(k)]->x() + 3, y);
    // The click goes to whatever stands there, as the user's would.
    QWidget *target = e.Frame1->childAt(at) ? e.Frame1->childAt(at) : e.Frame1;
    QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(e.Frame1, at));
    QVERIFY(box->hasFocus());
    typeText(box, QStringLiteral("12.5"));
    QCOMPARE(box->text(), QStringLiteral("12,5"));

    // Between two lines, no box takes the focus.
    const int gap = e.Text3[2]->y() + e.Text3[2]->height() + 1;
    QVERIFY(gap < e.Text3[3]->y());
    e.Text4->setFocus();
    QTest::mouseClick(e.Frame1, Qt::LeftButton, {}, QPoint(e.Frame1->width() - 3, gap));
    QVERIFY(e.Text4->hasFocus());

    // Nor on a locked card.
    t.list().setRow(t.rowOf("mercure"), true);
    QVERIFY(e.locked());
    QTest::mouseClick(e.Frame1, Qt::LeftButton, {}, QPoint(e.Frame1->width() - 3, y));
    QVERIFY(!box->hasFocus());
}

void TestCardEditor::flagsRoundTrip()
{
    // Inorganic, corrosive, toxic, water: 0101010100.
    Window t({card("acide", "98", "0101010100")});
    feuilleP &w = t.open();
    CardEditor &e = t.editor();
    QVERIFY(e.Option2->isChecked() && !e.Option1->isChecked());
    QVERIFY(e.Check1[1]->isChecked() && e.Check1[3]->isChecked());
    QVERIFY(e.polu[1]->isChecked() && e.Option4->isChecked());
    QCOMPARE(e.card().drapeaux(), std::string("0101010100"));
    w.Command5->click();
    QCOMPARE(t.database()[0].drapeaux(), std::string("0101010100"));
    // "&Nouveau" leaves no choice made.
    w.Command6->click();
    QCOMPARE(e.card().drapeaux(), std::string("0000000000"));
    QVERIFY(!e.Option1->isChecked() && !e.Option2->isChecked());
}

void TestCardEditor::lockedCard()
{
    Window t({card("mercure", "200,6", "0001000001"), card("eau", "18")});
    feuilleP &w = t.open();
    CardEditor &e = t.editor();
    t.list().setRow(t.rowOf("mercure"), true);
    QVERIFY(e.locked());
    QVERIFY(!e.verrou->isHidden());
    QVERIFY(!w.Command5->isEnabled());
    QVERIFY(!w.Command12->isEnabled());
    QVERIFY(!e.formula->Text1()->isEnabled());
    QVERIFY(!e.Text4->isEnabled());
    QVERIFY(!e.Text3[0]->isEnabled());
    QVERIFY(!e.Check1[0]->isEnabled());
    QVERIFY(e.view().locked);
    // Another card unlocks the editor again.
    t.list().setRow(t.rowOf("eau"), true);
    QVERIFY(!e.locked() && w.Command5->isEnabled() && e.Text4->isEnabled());
    t.list().setRow(t.rowOf("mercure"), true);
    w.Command6->click();
    QVERIFY(!e.locked());
    QVERIFY(w.Command5->isEnabled() && w.Command12->isEnabled());
    QVERIFY(e.formula->Text1()->isEnabled() && e.Text4->isEnabled());
}

void TestCardEditor::lockedCardFile_data()
{
    QTest::addColumn<bool>("download");
    QTest::addColumn<bool>("validable");
    QTest::newRow("opened") << false << true;
    QTest::newRow("downloaded") << true << false;
}

void TestCardEditor::lockedCardFile()
{
    QFETCH(bool, download);
    QFETCH(bool, validable);
    Window t;
    feuilleP &w = t.open();
    const QString file = download ? t.path("TEMPO.CAR") : t.path("verrou.CAR");
    writeCardFile(file, card("mercure", "200,6", "0001000001"));
    if (download) {
        w.chargenet();
    } else {
        t.dialogs.expectFile(file);
        w.Command2->click();
    }
    CardEditor &e = t.editor();
    QCOMPARE(t.shownName(), QStringLiteral("mercure"));
    QVERIFY(e.locked());
    QCOMPARE(w.Command5->isEnabled(), validable);
    QVERIFY(!w.Command12->isEnabled());
    QVERIFY(!e.formula->Text1()->isEnabled());
    QVERIFY(e.modifie);
    QCOMPARE(e.numcarte, -1);
    QVERIFY(t.dialogs.unexpected.isEmpty());
    if (validable) {
        // The lock is carried into the database.
        w.Command5->click();
        QCOMPARE(t.database().back().drapeaux(), std::string("0001000001"));
    }
}

void TestCardEditor::nineCharacterFlags()
{
    Window t({card("soufre", "32", "101000000"), card("eau", "18")});
    t.open();
    t.list().setRow(t.rowOf("soufre"), true);
    QCOMPARE(t.dialogs.beeps, 1);
    QVERIFY(!t.editor().locked());
    QVERIFY(t.editor().Option1->isChecked() && t.editor().Check1[0]->isChecked());
    QCOMPARE(t.database()[0].drapeaux(), std::string("1010000000"));
}

void TestCardEditor::foreignCharactersTakenIn()
{
    Window t;
    feuilleP &w = t.open();
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    CardEditor &e = t.editor();
    e.Text4->setFocus();
    e.Text4->selectAll();
    typeText(e.Text4, QStringLiteral("αβ œuf"));
    QCOMPARE(e.Text4->text(), QStringLiteral(" œuf"));
    QCOMPARE(e.Text4->maxLength(), 126);

    QGuiApplication::clipboard()->setText(QStringLiteral("∞"));
    e.Text4->paste();
    QCOMPARE(e.Text4->text(), QStringLiteral(" œuf"));

    e.Text2->setFocus();
    e.Text2->setText(QString());
    typeText(e.Text2, QStringLiteral("gaz ☺incolore"));
    QCOMPARE(e.Text2->text(), QStringLiteral("gaz incolore"));
    // Pasted text goes in as far as it can be stored, and the info line says
    // what was replaced or left out.
    QGuiApplication::clipboard()->setText(QStringLiteral(" (CO₂ ≈ 1,5 fois l’air ✓)"));
    e.Text2->paste();
    QCOMPARE(e.Text2->text(), QStringLiteral("gaz incolore (CO2 ~ 1,5 fois l’air )"));
    QCOMPARE(w.info->text(),
             QStringLiteral("Texte pris avec « ₂ » devenu « 2 », « ≈ » devenu « ~ » ; "
                            "« ✓ » laissé de côté : une carte ne peut pas "
                            "l'enregistrer."));
    e.formula->Text1()->setFocus();
    e.formula->setText(QString());
    QGuiApplication::clipboard()->setText(QStringLiteral("SO₄²⁻ – Cl⁻"));
    QTest::keyClick(e.formula->Text1(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(e.formula->text(), QStringLiteral("SO#4*2*- – Cl*-"));
    QVERIFY(w.info->text().contains(QStringLiteral("« ₄ » devenu « 4 en indice »")));
    e.Text4->setFocus();
    QGuiApplication::clipboard()->setText(QStringLiteral("‐ion−"));
    e.Text4->paste();
    QCOMPARE(e.Text4->text(), QStringLiteral(" œuf-ion-"));
    // Line breaks are stored as CR LF and count in the 126 characters.
    e.Text2->setText(QStringLiteral("gaz incolore"));
    QTest::keyClick(e.Text2, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(e.Text2, Qt::Key_Return);
    QTest::keyClicks(e.Text2, QStringLiteral("x"));
    QCOMPARE(e.Text2->text(), QStringLiteral("gaz incolore\r\nx"));
    e.Text2->setText(QString(124, 'a'));
    QTest::keyClick(e.Text2, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(e.Text2, QStringLiteral("bcd"));
    QCOMPARE(e.Text2->text(), QString(124, 'a') + "bc");
    QTest::keyClick(e.Text2, Qt::Key_Return);
    QCOMPARE(e.Text2->text().size(), 126);
}

void TestCardEditor::labelsFocusTheirBoxes()
{
    Window t;
    feuilleP &w = t.open();
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    CardEditor &e = t.editor();
    const std::vector<std::pair<QLabel *, QWidget *>> pairs{{e.Label3, e.Text4},
                                                            {e.Label1, e.Text2},
                                                            {e.Label4[4], e.Text3[4]},
                                                            {e.Label2, e.formula->Text1()}};
    for (const auto &[label, box] : pairs) {
        QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(3, 3));
        QVERIFY2(box->hasFocus(), qPrintable(label->objectName()));
    }
}

void TestCardEditor::fullDatabaseKeepsNewCard()
{
    std::vector<cards::carte> full;
    for (int i = 0; i < cards::kMaxCards; ++i)
        full.push_back(card(QStringLiteral("espèce %1").arg(i).toUtf8().constData(), "1"));
    Window t(full);
    feuilleP &w = t.open();
    QCOMPARE(t.list().rows(), cards::kMaxCards + 1);
    w.Command6->click();
    t.editor().Text4->setText(QStringLiteral("argon"));
    t.editor().Text3[0]->setText(QStringLiteral("39,9"));
    t.dialogs.expectMessage("Ecriture impossible", Answer::Ok);
    w.Command5->click();
    QCOMPARE(t.dialogs.shown.back().text,
             QStringLiteral("Vérifier l'état du lecteur et les protections en écriture."));
    QVERIFY(!t.editor().reponseNOM);
    QVERIFY(t.editor().modifie);
    QCOMPARE(t.shownName(), QStringLiteral("argon"));
    QCOMPARE(t.editor().Text3[0]->text(), QStringLiteral("39,9"));
    QCOMPARE(t.database().size(), std::size_t(cards::kMaxCards));
    QVERIFY(t.dialogs.unexpected.isEmpty());
}

void TestCardEditor::damagedDatabase()
{
    // Slot 2's name record claims 200 characters: the list stops before it.
    Window t;
    const QString path = t.path("ESPCHIMIQUES.ZYP");
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    f.seek(22 * 128);
    f.write(QByteArray("\xc8\x00", 2));
    f.close();
    t.dialogs.expectMessage("Lecture impossible", Answer::Ok);
    feuilleP &w = t.open();
    QCOMPARE(t.rowNames(), (QStringList{"eau", "éthanol"}));
    QCOMPARE(t.shownName(), QStringLiteral("eau"));
    // The name check cannot read the database: nothing is written.
    t.editor().Text3[0]->setText(QStringLiteral("18,02"));
    const QByteArray before = [&] {
        QFile g(path);
        g.open(QIODevice::ReadOnly);
        return g.readAll();
    }();
    t.dialogs.expectMessage("Ecriture impossible", Answer::Ok);
    w.Command5->click();
    QFile g(path);
    QVERIFY(g.open(QIODevice::ReadOnly));
    QCOMPARE(g.readAll(), before);
    QVERIFY(t.editor().modifie);
    QVERIFY(!t.editor().reponseNOM);
    QVERIFY(t.dialogs.unexpected.isEmpty());
}

void TestCardEditor::damagedCardKeepsEditor()
{
    // The aspect record of "ammoniac" (slot 2) is damaged; its name is not.
    Window t;
    QFile f(t.path("ESPCHIMIQUES.ZYP"));
    QVERIFY(f.open(QIODevice::ReadWrite));
    f.seek(25 * 128);
    f.write(QByteArray("\xff\x00", 2));
    f.close();
    t.dialogs.expectMessage("Lecture impossible", Answer::Ok);
    t.open();
    // Start-up shows ammoniac first: the editor keeps its empty card, numcarte 0.
    QCOMPARE(t.list().rows(), 4);
    QCOMPARE(t.shownName(), QString());
    t.list().setRow(t.rowOf("eau"), true);
    QCOMPARE(t.shownName(), QStringLiteral("eau"));
    t.dialogs.expectMessage("Lecture impossible", Answer::Ok);
    t.list().setRow(t.rowOf("ammoniac"), true);
    QCOMPARE(t.shownName(), QStringLiteral("eau"));
    QCOMPARE(t.editor().Text2->text(), QStringLiteral("liquide"));
    QCOMPARE(t.editor().numcarte, 0);
    QVERIFY(t.dialogs.unexpected.isEmpty());
}

QTEST_MAIN(TestCardEditor)
#include "tst_cardeditor.moc"
