// The calculator's key rules, then the window that glues them to its keys.
#include "affichage.h"
#include "evaluator.h"
#include "frenchlocale.h"
#include "keypad.h"
#include "machine.h"
#include "scripteddialogs.h"

#include <QGroupBox>
#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <cfloat>

using calculator::Keypad;

namespace
{

// Plays a sequence of control names on the key rules; "EXE", the options
// "C0"/"C1" and "angle0"/"angle1" included.
void play(Keypad &keypad, const QString &sequence)
{
    for (const QString &name : sequence.split(' ', Qt::SkipEmptyParts)) {
        if (name == "EXE")
            keypad.exe();
        else if (name == "C0" || name == "C1")
            keypad.chooseFormat(name == "C0" ? calculator::Format::Scientific
                                             : calculator::Format::Standard);
        else if (name == "angle0" || name == "angle1")
            keypad.chooseAngle(name == "angle1" ? calculator::kRadians : calculator::kDegrees);
        else
            QVERIFY2(keypad.press(name.toStdString()), qPrintable(name));
    }
}

QString text(const std::string &s)
{
    return QString::fromStdString(s);
}

} // namespace

class TestCalculator : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void keys_data();
    void keys();
    void memory_data();
    void memory();
    void keyboard_data();
    void keyboard();
    void displayFormats_data();
    void displayFormats();
    void overflowIsNotAnAnswer();
    void windowKeys_data();
    void windowKeys();
    void windowKeyboard();
    void windowErrorBeeps();
    void windowDisplayReadable_data();
    void windowDisplayReadable();
    void windowScientificInFrench();
    void windowMemoryAcrossOpenings();
    void windowLayout();
    void windowPainting();
};

void TestCalculator::initTestCase()
{
    QVERIFY2(useFrenchLocale(), "the French locale could not be set");
}

void TestCalculator::keys_data()
{
    QTest::addColumn<QString>("sequence");
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("saisie");
    // clang-format off
    QTest::newRow("implicit product") << "B2 bsin" << "2 * sin " << "2 * sin ";
    QTest::newRow("function first") << "bsin B3 B0" << "sin 30" << "sin 30";
    QTest::newRow("function after parenthesis") << "Bpo Bcos" << "(cos " << "(cos ";
    QTest::newRow("function after sign") << "moins Blog" << "-log " << "-log ";
    QTest::newRow("function after function") << "racine Bln" << "SQR ln " << "SQR ln ";
    QTest::newRow("parenthesis after digit") << "B2 Bpo" << "2 * (" << "2 * (";
    QTest::newRow("inverse key") << "B2 Command5" << "2 * 1 / " << "2 * 1 / ";
    QTest::newRow("pi") << "B2 pi" << "2 * 3.14159265358979" << "2 * 3.14159265358979";
    QTest::newRow("ten power") << "B10x B3" << "10 ^ 3" << "10 ^ 3";
    QTest::newRow("inverse functions") << "invsin invcos Btoncommande3" << "invSIN invCOS invTAN " << "invSIN invCOS invTAN ";
    QTest::newRow("exp function") << "Bexp B1" << "exp 1" << "exp 1";
    QTest::newRow("prefixes") << "B2 pico B3 nano B4 micro B5 mil" << "2E-123E-94E-65E-3" << "2E-123E-94E-65E-3";
    QTest::newRow("big prefixes") << "B1 tera giga mega kilo" << "1E+12E+9E+6E+3" << "1E+12E+9E+6E+3";
    QTest::newRow("digits") << "B1 B2 B3 B4 B5 B6 B7 B8 B9 B0 Bpoint" << "1234567890." << "1234567890.";
    QTest::newRow("exponent key") << "B1 BtoEXP B5" << "1E5" << "1E5";
    QTest::newRow("closing parenthesis") << "Bpo B1 bpf" << "(1)" << "(1)";
    QTest::newRow("minus on empty") << "moins B5" << "-5" << "-5";
    QTest::newRow("minus after parenthesis") << "Bpo moins B5" << "(-5" << "(-5";
    QTest::newRow("minus after operator") << "B2 multip moins B3" << "2 * -3" << "2 * -3";
    QTest::newRow("minus as operator") << "B2 moins" << "2 - " << "2 - ";
    QTest::newRow("minus after minus operator") << "B2 moins moins" << "2 - -" << "2 - -";
    QTest::newRow("minus twice") << "moins moins" << "- -" << "- -";
    QTest::newRow("minus after exponent") << "B1 BtoEXP moins B3" << "1E-3" << "1E-3";
    QTest::newRow("plus after exponent") << "B1 BtoEXP plus B3" << "1E+3" << "1E+3";
    QTest::newRow("operator on empty display") << "multip div plus" << "" << "";
    QTest::newRow("operators") << "B1 plus B2 multip B3 div B4" << "1 + 2 * 3 / 4" << "1 + 2 * 3 / 4";
    QTest::newRow("last answer taken up") << "B9 B8 EXE plus B2 EXE" << " 100" << "";
    QTest::newRow("times last answer") << "B9 B8 EXE multip B2 EXE" << " 196" << "";
    QTest::newRow("square of last answer") << "B3 EXE btcarre EXE" << " 9" << "";
    QTest::newRow("power of last answer") << "B2 EXE puissance B3" << "2 ^ 3" << "2 ^ 3";
    QTest::newRow("power on empty") << "puissance" << " ^ " << " ^ ";
    QTest::newRow("digit starts anew") << "B9 B8 EXE B2" << "2" << "2";
    QTest::newRow("minus does not take up") << "B9 B8 EXE moins B2" << "-2" << "-2";
    QTest::newRow("function does not take up") << "B9 B8 EXE B10x B2 EXE" << " 100" << "";
    QTest::newRow("ANS") << "B9 B8 EXE ANS" << "98" << "98";
    QTest::newRow("ANS of negative") << "moins B4 EXE ANS" << "-4" << "-4";
    QTest::newRow("ANS at start") << "ANS" << "" << "";
    QTest::newRow("EXE on empty") << "EXE" << " 0" << "";
    QTest::newRow("EXE twice") << "B2 plus B3 EXE EXE" << " 0" << "";
    QTest::newRow("negative result") << "B2 moins B5 EXE" << "-3" << "";
    QTest::newRow("worked example") << "B2 multip Bpo B3 plus B4 bpf btcarre EXE" << " 98" << "";
    QTest::newRow("minus group of negative value") << "B2 multip moins Bpo B0 moins B3 bpf EXE" << " 6" << "";
    QTest::newRow("minus negative group") << "B1 B0 div moins Bpo moins B2 bpf EXE" << " 5" << "";
    QTest::newRow("sine of minus group") << "bsin moins Bpo B0 moins B3 B0 bpf EXE" << " .5" << "";
    QTest::newRow("sine in degrees") << "bsin B3 B0 EXE" << " .5" << "";
    QTest::newRow("sine in radians") << "angle1 bsin B3 B0 EXE" << "-.988031624092862" << "";
    QTest::newRow("back to degrees") << "angle1 angle0 bsin B3 B0 EXE" << " .5" << "";
    QTest::newRow("calculation failed") << "B5 plus EXE" << "Calcul impossible" << "5 + ";
    QTest::newRow("parentheses") << "Bpo B2 EXE" << "Erreur saisie: revoir les parenthèses" << "(2";
    QTest::newRow("operators error") << "B2 multip EXE" << "Erreur saisie: incompréhension sur opérateurs: ^ * / + -" << "2 * ";
    QTest::newRow("correction after error") << "B5 plus EXE B3" << "5 + 3" << "5 + 3";
    QTest::newRow("corrected") << "B5 plus EXE B3 EXE" << " 8" << "";
    QTest::newRow("ANS after error") << "B5 plus EXE ANS" << "5 + " << "5 + ";
    QTest::newRow("operator after error") << "B2 multip EXE B3" << "2 * 3" << "2 * 3";
    QTest::newRow("AC") << "B1 B2 RAZ" << "" << "";
    QTest::newRow("AC after error") << "B5 plus EXE RAZ" << "" << "";
    QTest::newRow("arrow on character") << "B1 B2 EFFACE" << "1" << "1";
    QTest::newRow("arrow on function") << "B2 Bcos EFFACE" << "2 * " << "2 * ";
    QTest::newRow("arrow on operator") << "B2 multip EFFACE" << "2" << "2";
    QTest::newRow("arrow on minus operator") << "B2 moins EFFACE" << "2" << "2";
    QTest::newRow("arrow on first function") << "Bln B5 EFFACE EFFACE" << "" << "";
    QTest::newRow("arrow on inverse function") << "B2 Btoncommande3 EFFACE" << "2 * " << "2 * ";
    QTest::newRow("arrow after parenthesis") << "Bpo bsin EFFACE" << "(" << "(";
    QTest::newRow("arrow on power") << "B2 puissance EFFACE" << "2" << "2";
    QTest::newRow("arrow on empty") << "EFFACE" << "" << "";
    QTest::newRow("arrow keeps result") << "B1 B2 EXE EFFACE" << " 12" << "";
    QTest::newRow("arrow on lone power") << "puissance EFFACE" << "" << "";
    // clang-format on
}

void TestCalculator::keys()
{
    QFETCH(QString, sequence);
    QFETCH(QString, display);
    QFETCH(QString, saisie);
    double memoire = 0;
    Keypad keypad(memoire);
    play(keypad, sequence);
    QCOMPARE(text(keypad.display()), display);
    QCOMPARE(text(keypad.saisie()), saisie);
}

void TestCalculator::memory_data()
{
    QTest::addColumn<double>("before");
    QTest::addColumn<QString>("sequence");
    QTest::addColumn<double>("after");
    QTest::addColumn<QString>("display");
    // clang-format off
    QTest::newRow("M+ result") << 0.0 << "B5 EXE Command1" << 5.0 << " 5";
    QTest::newRow("M+ twice") << 0.0 << "B5 EXE Command1 Command1" << 10.0 << " 5";
    QTest::newRow("M- result") << 1.0 << "B5 EXE Command2" << -4.0 << " 5";
    QTest::newRow("M+ typed text") << 0.0 << "B2 plus B3 Command1" << 2.0 << "2 + 3";
    QTest::newRow("M+ on message adds 0") << 7.0 << "B5 plus EXE Command1" << 7.0 << "Calcul impossible";
    QTest::newRow("M+ scientific") << 0.0 << "C0 B1 B2 B3 B4 B5 EXE Command1" << 12345.0 << "1.2345E+04";
    QTest::newRow("CM") << 8.0 << "Command4" << 0.0 << "";
    QTest::newRow("RM standard") << -2.5 << "Command3" << -2.5 << "-2.5";
    QTest::newRow("RM positive trimmed") << 5.0 << "B2 plus Command3" << 5.0 << "2 + 5";
    QTest::newRow("RM is appended") << 5.0 << "B2 Command3" << 5.0 << "25";
    QTest::newRow("RM scientific") << 12345.0 << "C0 Command3" << 12345.0 << "1.2345E+04";
    QTest::newRow("RM then EXE") << 12345.0 << "C0 Command3 plus B1 EXE" << 12345.0 << "1.2346E+04";
    QTest::newRow("overflow leaves memory") << DBL_MAX << "B1 BtoEXP B3 B0 B8 EXE Command1" << DBL_MAX << " 1E+308";
    // clang-format on
}

void TestCalculator::memory()
{
    QFETCH(double, before);
    QFETCH(QString, sequence);
    QFETCH(double, after);
    QFETCH(QString, display);
    double memoire = before;
    Keypad keypad(memoire);
    play(keypad, sequence);
    QCOMPARE(memoire, after);
    QCOMPARE(text(keypad.display()), display);
}

void TestCalculator::keyboard_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("saisie");
    // clang-format off
    QTest::newRow("digits and point") << "12.5" << "12.5";
    QTest::newRow("exponent letters") << "1e2E3d4D5" << "1E2E3E4E5";
    QTest::newRow("operators") << "1+2*3/4^5-6" << "1 + 2 * 3 / 4 ^ 5 - 6";
    QTest::newRow("parentheses") << "2(1)" << "2 * (1)";
    QTest::newRow("sign") << "(-2" << "(-2";
    QTest::newRow("backspace") << "2*\b" << "2";
    QTest::newRow("ignored") << "a2 xz=%" << "2";
    QTest::newRow("plus on empty ignored") << "+2" << "2";
    // clang-format on
}

void TestCalculator::keyboard()
{
    QFETCH(QString, typed);
    QFETCH(QString, saisie);
    double memoire = 0;
    Keypad keypad(memoire);
    const QString ignored = "axz =%";
    for (QChar c : typed) {
        const bool known = keypad.keyPress(c.toLatin1());
        QCOMPARE(known, !ignored.contains(c));
    }
    QCOMPARE(text(keypad.saisie()), saisie);
}

void TestCalculator::displayFormats_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("standard");
    QTest::addColumn<QString>("scientific");
    // clang-format off
    QTest::newRow("zero") << 0.0 << " 0" << "0.E+00";
    QTest::newRow("negative zero") << -0.0 << " 0" << "0.E+00";
    QTest::newRow("one") << 1.0 << " 1" << "1.E+00";
    QTest::newRow("12345") << 12345.0 << " 12345" << "1.2345E+04";
    QTest::newRow("negative") << -98.0 << "-98" << "-9.8E+01";
    QTest::newRow("half") << 0.5 << " .5" << "5.E-01";
    QTest::newRow("seven decimals") << 1.23456789 << " 1.23456789" << "1.2345679E+00";
    QTest::newRow("rounds to ten") << 9.999999999 << " 9.999999999" << "1.E+01";
    QTest::newRow("small") << 1.5e-5 << " 1.5E-05" << "1.5E-05";
    QTest::newRow("three exponent digits") << 1e100 << " 1E+100" << "1.E+100";
    QTest::newRow("third") << 1.0 / 3 << " .333333333333333" << "3.3333333E-01";
    // clang-format on
}

void TestCalculator::displayFormats()
{
    QFETCH(double, value);
    QFETCH(QString, standard);
    QFETCH(QString, scientific);
    QCOMPARE(text(calculator::standardText(value)), standard);
    QCOMPARE(text(calculator::scientificText(value)), scientific);
}

// A result whose 15-digit text rounds beyond the largest double cannot be
// shown: the message is not an answer that ANS could take up.
void TestCalculator::overflowIsNotAnAnswer()
{
    double memoire = 0;
    Keypad keypad(memoire);
    keypad.append("1.7976931348623157E+308 * 1");
    QVERIFY(keypad.exe());
    QCOMPARE(text(keypad.display()), "Dépassement de capacité");
    QVERIFY(keypad.erreur() != 0);
    QCOMPARE(text(keypad.saisie()), "1.7976931348623157E+308 * 1");
    keypad.raz();
    keypad.ans();
    QCOMPARE(text(keypad.saisie()), "");
}

void TestCalculator::windowKeys_data()
{
    QTest::addColumn<QString>("sequence");
    QTest::addColumn<QString>("display");
    // clang-format off
    QTest::newRow("implicit product") << "B2 bsin" << "2 * sin ";
    QTest::newRow("last answer taken up") << "B9 B8 EXE plus B2 EXE" << " 100";
    QTest::newRow("arrow after cos") << "B2 Bcos EFFACE" << "2 * ";
    QTest::newRow("EXE on empty") << "EXE" << " 0";
    QTest::newRow("radians") << "angle1 bsin B3 B0 EXE" << "-.988031624092862";
    QTest::newRow("format on result") << "B1 B2 B3 B4 B5 EXE C0" << "1.2345E+04";
    QTest::newRow("format back") << "B1 B2 B3 B4 B5 EXE C0 C1" << " 12345";
    QTest::newRow("format while typing") << "B1 B2 C0" << "12";
    QTest::newRow("picture keys") << "B2 btcarre puissance B3 plus B10x B1 plus Bexp B0 EXE" << " 75";
    // clang-format on
}

void TestCalculator::windowKeys()
{
    QFETCH(QString, sequence);
    QFETCH(QString, display);
    platform::ScriptedDialogs dialogs;
    double memoire = 0;
    Machine machine(dialogs, memoire);
    machine.show();
    QVERIFY(QTest::qWaitForWindowExposed(&machine));
    for (const QString &name : sequence.split(' ')) {
        auto *button = machine.findChild<QAbstractButton *>(name);
        QVERIFY2(button, qPrintable(name));
        QTest::mouseClick(button, Qt::LeftButton);
    }
    QCOMPARE(machine.z1->text(), display);
    QCOMPARE(QApplication::focusWidget(), machine.z1);
    QCOMPARE(machine.z1->cursorPosition(), display.size());
    QVERIFY(dialogs.unexpected.isEmpty());
}

void TestCalculator::windowKeyboard()
{
    platform::ScriptedDialogs dialogs;
    double memoire = 0;
    Machine machine(dialogs, memoire);
    machine.show();
    QVERIFY(QTest::qWaitForWindowExposed(&machine));
    QTest::keyClicks(machine.z1, "(1+2)^2*x");
    QCOMPARE(machine.z1->text(), "(1 + 2) ^ 2 * ");
    QTest::keyClick(machine.z1, Qt::Key_Backspace);
    QTest::keyClicks(machine.z1, "-1");
    QTest::keyClick(machine.z1, Qt::Key_Return);
    QCOMPARE(machine.z1->text(), " 8");
    // Keys that would edit a line edit do not reach the display.
    QTest::keyClick(machine.z1, Qt::Key_Delete);
    QTest::keyClick(machine.z1, Qt::Key_Home);
    QTest::keyClick(machine.z1, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(machine.z1->text(), " 8");
    // A key typed while a button has the focus reaches the same rules.
    machine.B7->setFocus();
    QTest::keyClicks(machine.B7, "3");
    QTest::keyClick(machine.B7, Qt::Key_Enter);
    QCOMPARE(machine.z1->text(), " 3");
    QTest::keyClick(machine.z1, Qt::Key_Escape);
    QVERIFY(machine.isVisible());
}

void TestCalculator::windowErrorBeeps()
{
    platform::ScriptedDialogs dialogs;
    double memoire = 0;
    Machine machine(dialogs, memoire);
    QTest::mouseClick(machine.B2, Qt::LeftButton);
    QTest::mouseClick(machine.multip, Qt::LeftButton);
    QTest::mouseClick(machine.EXE, Qt::LeftButton);
    QCOMPARE(machine.z1->text(), "Erreur saisie: incompréhension sur opérateurs: ^ * / + -");
    QCOMPARE(dialogs.beeps, 1);
    QTest::mouseClick(machine.B3, Qt::LeftButton);
    QTest::mouseClick(machine.EXE, Qt::LeftButton);
    QCOMPARE(machine.z1->text(), " 6");
    QCOMPARE(dialogs.beeps, 1);
    QVERIFY(dialogs.shown.isEmpty());
}

void TestCalculator::windowDisplayReadable_data()
{
    QTest::addColumn<QString>("sequence");
    QTest::addColumn<QString>("display");
    QTest::addColumn<bool>("whole"); // else only the end, where the caret is
    const QString operators = "Erreur saisie: incompréhension sur opérateurs: ^ * / + -";
    const QString longNumber = QString("B7 ").repeated(150).trimmed();
    // clang-format off
    QTest::newRow("operators error") << "B2 multip EXE" << operators << true;
    QTest::newRow("parentheses error") << "Bpo B2 EXE" << "Erreur saisie: revoir les parenthèses" << true;
    QTest::newRow("calculation failed") << "B5 plus EXE" << "Calcul impossible" << true;
    QTest::newRow("overflow") << "B9 BtoEXP B3 B0 B8 EXE" << "Dépassement de capacité" << true;
    QTest::newRow("long result") << "B2 div B3 EXE" << " .666666666666667" << true;
    QTest::newRow("correction after error") << "B2 multip EXE B3" << "2 * 3" << true;
    QTest::newRow("long expression") << longNumber << QString(150, '7') << false;
    // clang-format on
}

// What the display shows lies inside it: a message from its first character
// to its last, a long expression at least where typing goes on.
void TestCalculator::windowDisplayReadable()
{
    QFETCH(QString, sequence);
    QFETCH(QString, display);
    QFETCH(bool, whole);
    platform::ScriptedDialogs dialogs;
    double memoire = 0;
    Machine machine(dialogs, memoire);
    machine.show();
    QVERIFY(QTest::qWaitForWindowExposed(&machine));
    for (const QString &name : sequence.split(' '))
        QTest::mouseClick(machine.findChild<QAbstractButton *>(name), Qt::LeftButton);

    auto *z1 = machine.findChild<QPlainTextEdit *>("z1");
    QVERIFY(z1);
    QCOMPARE(z1->toPlainText(), display);
    const QRect visible = z1->viewport()->rect();
    QVERIFY(visible.contains(z1->cursorRect()));
    QCOMPARE(z1->textCursor().position(), display.size());
    for (int p = whole ? 0 : display.size(); p <= display.size(); ++p) {
        QTextCursor at(z1->document());
        at.setPosition(p);
        QVERIFY2(visible.contains(z1->cursorRect(at)), qPrintable(QString::number(p)));
    }
}

void TestCalculator::windowScientificInFrench()
{
    QCOMPARE(QLocale().decimalPoint(), ",");
    platform::ScriptedDialogs dialogs;
    double memoire = 0;
    Machine machine(dialogs, memoire);
    QTest::mouseClick(machine.C[0], Qt::LeftButton);
    QVERIFY(machine.C[0]->isChecked());
    for (QPushButton *digit : {machine.B1, machine.B2, machine.B3, machine.B4, machine.B5})
        QTest::mouseClick(digit, Qt::LeftButton);
    QTest::mouseClick(machine.EXE, Qt::LeftButton);
    QCOMPARE(machine.z1->text(), "1.2345E+04");
    QTest::mouseClick(machine.Command1, Qt::LeftButton);
    QTest::mouseClick(machine.RAZ, Qt::LeftButton);
    QTest::mouseClick(machine.Command3, Qt::LeftButton);
    QCOMPARE(machine.z1->text(), "1.2345E+04");
}

// The memory belongs to the application; the rest starts afresh.
void TestCalculator::windowMemoryAcrossOpenings()
{
    platform::ScriptedDialogs dialogs;
    double memoire = 0;
    {
        Machine machine(dialogs, memoire);
        QTest::mouseClick(machine.C[0], Qt::LeftButton);
        QTest::mouseClick(machine.angle[1], Qt::LeftButton);
        QTest::mouseClick(machine.B4, Qt::LeftButton);
        QTest::mouseClick(machine.EXE, Qt::LeftButton);
        QTest::mouseClick(machine.Command1, Qt::LeftButton);
        QTest::mouseClick(machine.B2, Qt::LeftButton);
    }
    QCOMPARE(memoire, 4.0);
    Machine machine(dialogs, memoire);
    QCOMPARE(machine.z1->text(), "");
    QVERIFY(machine.angle[0]->isChecked());
    QVERIFY(machine.C[1]->isChecked());
    QTest::mouseClick(machine.ANS, Qt::LeftButton);
    QCOMPARE(machine.z1->text(), "");
    QTest::mouseClick(machine.Command3, Qt::LeftButton);
    QCOMPARE(machine.z1->text(), "4");
}

void TestCalculator::windowLayout()
{
    platform::ScriptedDialogs dialogs;
    double memoire = 0;
    Machine machine(dialogs, memoire);
    QCOMPARE(machine.windowTitle(), "Machine à calculer");
    QCOMPARE(machine.size(), QSize(301, 430));
    QCOMPARE(machine.z1->geometry(), QRect(16, 16, 273, 89));
    QCOMPARE(machine.z1->palette().color(QPalette::Base), QColor(Qt::black));
    QCOMPARE(machine.Frame2->title(), "Angles");
    QCOMPARE(machine.Frame3->title(), "Affichage");
    QCOMPARE(machine.angle[1]->text(), "Radians");
    QCOMPARE(machine.C[0]->text(), "Scientifique");

    // The keys neither overlap nor leave the window, and the digit keys sit
    // inside their outline.
    const QList<QPushButton *> keys = machine.findChildren<QPushButton *>();
    QCOMPARE(keys.size(), 49);
    for (QPushButton *a : keys) {
        QVERIFY(QRect(0, 0, 301, 430).contains(a->geometry()));
        QCOMPARE(a->height(), a->y() == 192 ? 25 : 24);
        for (QPushButton *b : keys)
            QVERIFY2(a == b || !a->geometry().intersects(b->geometry()),
                     qPrintable(a->objectName() + " " + b->objectName()));
    }
    for (QPushButton *digit : {machine.B7, machine.B9, machine.B0, machine.BtoEXP})
        QVERIFY(QRect(83, 291, 123, 130).contains(digit->geometry()));

    const struct {
        QPushButton *key;
        QString caption;
        QString tooltip;
        QColor colour;
    } samples[] = {
        {machine.invsin, "INV S&IN", "Inverse sinus", QColor(128, 255, 255)},
        {machine.Bcos, "&COS", "Cosinus", QColor(192, 255, 255)},
        {machine.B5, "5", "", QColor(255, 224, 192)},
        {machine.micro, "µ", "micro", QColor(255, 255, 192)},
        {machine.div, "÷", "", QColor(0, 128, 128)},
        {machine.EFFACE, "←", "Effacer dernier caractère", QColor(255, 128, 128)},
        {machine.EXE, "EXE", "Calculer", QColor(192, 192, 192)},
    };
    for (const auto &s : samples) {
        QCOMPARE(s.key->text(), s.caption);
        QCOMPARE(s.key->toolTip(), s.tooltip);
        QCOMPARE(s.key->palette().color(QPalette::Button), s.colour);
    }
    for (QPushButton *picture : {machine.btcarre, machine.puissance, machine.B10x, machine.Bexp}) {
        const QImage image = picture->icon().pixmap(QSize(22, 18)).toImage();
        int ink = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                ink += qAlpha(image.pixel(x, y)) > 128;
        QVERIFY2(ink > 20, qPrintable(picture->objectName()));
    }
}

void TestCalculator::windowPainting()
{
    QImage image(301, 430, QImage::Format_RGB32);
    image.fill(Qt::magenta);
    {
        QPainter painter(&image);
        Machine::drawBackground(painter);
    }
    const struct {
        QPoint at;
        QColor colour;
    } pixels[] = {
        {{0, 200}, QColor(200, 250, 250)},   {{5, 200}, QColor(198, 248, 248)},
        {{7, 200}, QColor(196, 246, 246)},   {{300, 200}, QColor(50, 100, 100)},
        {{1, 200}, QColor(Qt::black)},       {{150, 1}, QColor(Qt::black)},
        {{299, 200}, QColor(Qt::white)},     {{150, 428}, QColor(Qt::white)},
        {{81, 300}, QColor(0, 128, 128)},    {{205, 300}, QColor(0, 128, 128)},
        {{82, 300}, QColor(Qt::white)},      {{206, 300}, QColor(Qt::white)},
        {{150, 421}, QColor(Qt::white)},     {{150, 289}, QColor(0, 128, 128)},
        {{150, 429}, QColor(125, 175, 175)},
    };
    for (const auto &p : pixels)
        QCOMPARE(image.pixelColor(p.at), p.colour);

    // The window paints the same background under its controls.
    platform::ScriptedDialogs dialogs;
    double memoire = 0;
    Machine machine(dialogs, memoire);
    const QImage shown = machine.grab().toImage();
    QCOMPARE(shown.pixelColor(5, 200), QColor(198, 248, 248));
    QCOMPARE(shown.pixelColor(81, 300), QColor(0, 128, 128));
}

QTEST_MAIN(TestCalculator)
#include "tst_calculator.moc"
