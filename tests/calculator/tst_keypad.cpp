// The calculator's key rules and display formats, without the window, run in
// the French locale so that a decimal comma anywhere would show.
#include "evaluator.h"
#include "frenchlocale.h"
#include "keypad.h"

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

class TestKeypad : public QObject
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
};

void TestKeypad::initTestCase()
{
    QVERIFY2(useFrenchLocale(), "the French locale could not be set");
}

void TestKeypad::keys_data()
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

void TestKeypad::keys()
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

void TestKeypad::memory_data()
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

void TestKeypad::memory()
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

void TestKeypad::keyboard_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("saisie");
    QTest::addColumn<QString>("refused"); // each character told a hint, "" when none
    // clang-format off
    QTest::newRow("digits and point") << "12.5" << "12.5" << "";
    QTest::newRow("decimal comma") << "2,5*2" << "2.5 * 2" << "";
    QTest::newRow("exponent letters") << "1e2E3d4D5" << "1E2E3E4E5" << "";
    QTest::newRow("operators") << "1+2*3/4^5-6" << "1 + 2 * 3 / 4 ^ 5 - 6" << "";
    QTest::newRow("parentheses") << "2(1)" << "2 * (1)" << "";
    QTest::newRow("sign") << "(-2" << "(-2" << "";
    QTest::newRow("backspace") << "2*\b" << "2" << "";
    QTest::newRow("function names") << "sin 30+2cos(0)" << "sin 30 + 2 * cos (0)" << "";
    QTest::newRow("inverse names") << "asin1*arcTAN 1" << "invSIN 1 * invTAN 1" << "";
    QTest::newRow("logarithms, exp") << "ln2+LOG3+exp1" << "ln 2 + log 3 + exp 1" << "";
    QTest::newRow("root and pi") << "racine 9+sqrt4+2pi" << "SQR 9 + SQR 4 + 2 * 3.14159265358979" << "";
    QTest::newRow("symbols typed") << "√9×2÷π²−1" << "SQR 9 * 2 / 3.14159265358979 ^ 2 - 1" << "";
    QTest::newRow("name being typed, erased") << "si\b\bcos0" << "cos 0" << "";
    QTest::newRow("refused, said") << "a2 xz=%" << "2" << "2xz=%";
    QTest::newRow("plus on empty ignored") << "+2" << "2" << "";
    // clang-format on
}

void TestKeypad::keyboard()
{
    QFETCH(QString, typed);
    QFETCH(QString, saisie);
    QFETCH(QString, refused);
    double memoire = 0;
    Keypad keypad(memoire);
    QString told;
    for (QChar c : typed) {
        keypad.keyPress(c.unicode());
        if (!keypad.hint().empty())
            told += c;
    }
    QCOMPARE(text(keypad.saisie()), saisie);
    QCOMPARE(told, refused);
}

void TestKeypad::displayFormats_data()
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

void TestKeypad::displayFormats()
{
    QFETCH(double, value);
    QFETCH(QString, standard);
    QFETCH(QString, scientific);
    QCOMPARE(text(calculator::standardText(value)), standard);
    QCOMPARE(text(calculator::scientificText(value)), scientific);
}

// A result whose 15-digit text rounds beyond the largest double cannot be
// shown: the message is not an answer that ANS could take up.
void TestKeypad::overflowIsNotAnAnswer()
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

QTEST_GUILESS_MAIN(TestKeypad)
#include "tst_keypad.moc"
