// The expression evaluator, its number text and its number reading, run in the
// French locale so that a decimal comma anywhere would show.
#include "evaluator.h"
#include "frenchlocale.h"
#include "numbertext.h"

#include <QTest>

#include <cfloat>
#include <cmath>
#include <limits>
#include <string>

using calculator::Evaluator;

class TestEvaluator : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void evalue_data();
    void evalue();
    void passLimit_data();
    void passLimit();
    void numberText_data();
    void numberText();
    void readNumber_data();
    void readNumber();
    void simplifie_data();
    void simplifie();
    void separetermes_data();
    void separetermes();
    void verifie_data();
    void verifie();
    void compte();
    void steps_data();
    void steps();
};

void TestEvaluator::initTestCase()
{
    QVERIFY2(useFrenchLocale(), "the French locale could not be set");
}

void TestEvaluator::evalue_data()
{
    QTest::addColumn<QString>("expression");
    QTest::addColumn<int>("angle");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("result");

    const int deg = calculator::kDegrees;
    const int rad = calculator::kRadians;
    // clang-format off
    QTest::newRow("empty") << "" << deg << 0 << "";
    QTest::newRow("number alone") << "42" << deg << 0 << "42";
    QTest::newRow("times before plus") << "2 + 3 * 4" << deg << 0 << "14";
    QTest::newRow("power from the left") << "2 ^ 3 ^ 2" << deg << 0 << "64";
    QTest::newRow("division from the left") << "8 / 2 / 2" << deg << 0 << "2";
    QTest::newRow("minus from the left") << "5 - 3 - 2" << deg << 0 << "0";
    QTest::newRow("sign before power") << "-2 ^ 2" << deg << 0 << "4";
    QTest::newRow("sign after times before power") << "5 * -2 ^ 2" << deg << 0 << "20";
    QTest::newRow("power before minus") << "2 - 3 ^ 2" << deg << 0 << "-7";
    QTest::newRow("division before times") << "8 / 2 * 4" << deg << 0 << "16";
    QTest::newRow("minus then plus") << "1 - 2 + 3 - 4" << deg << 0 << "-2";
    QTest::newRow("negative intermediate") << "2 * 3 - 10" << deg << 0 << "-4";
    QTest::newRow("minus minus folded") << "5 - -3" << deg << 0 << "8";
    QTest::newRow("plus minus folded") << "3 + -2" << deg << 0 << "1";
    QTest::newRow("leading plus") << "+5" << deg << 0 << "5";
    QTest::newRow("times negative") << "2 * -3" << deg << 0 << "-6";
    QTest::newRow("minus after times result") << "10 - 2 * -3" << deg << 0 << "16";
    QTest::newRow("negative power") << "2 ^ -1" << deg << 0 << ".5";
    QTest::newRow("parenthesised number") << "2 * (-5)" << deg << 0 << "-10";
    QTest::newRow("minus parenthesised negative") << "5 - (-3)" << deg << 0 << "8";
    QTest::newRow("worked example") << "2 * (3 + 4) ^ 2" << deg << 0 << "98";
    QTest::newRow("nested groups") << "((1 + 2) * (3 + 4)) / 7" << deg << 0 << "3";
    QTest::newRow("sign before group") << "-(3 + 4)" << deg << 0 << "-7";
    QTest::newRow("empty group") << "()" << deg << 0 << "";
    QTest::newRow("exponent sign kept") << "1E+5 + 1" << deg << 0 << "100001";
    QTest::newRow("negative exponent kept") << "1E-5 - 1E-5" << deg << 0 << "0";
    QTest::newRow("exponent in group") << "(1E+5)" << deg << 0 << "1E+5";
    QTest::newRow("small result") << "1E-5 * 2" << deg << 0 << "2E-05";
    QTest::newRow("lower case exponent") << "2e3 + 0" << deg << 0 << "2000";
    QTest::newRow("third") << "1 / 3" << deg << 0 << ".333333333333333";
    QTest::newRow("two thirds") << "2 / 3" << deg << 0 << ".666666666666667";
    QTest::newRow("intermediate rounded") << "1 / 3 * 3" << deg << 0 << ".999999999999999";
    QTest::newRow("sum rounded") << "0.1 + 0.2" << deg << 0 << ".3";
    QTest::newRow("fifteen digits") << "1E+15 - 1" << deg << 0 << "999999999999999";
    QTest::newRow("long operand rounded") << "123456789012345678 + 0" << deg << 0 << "1.23456789012346E+17";
    QTest::newRow("text after number ignored") << "2.5.1 * 2" << deg << 0 << "5";
    QTest::newRow("sin degrees") << "sin 30" << deg << 0 << ".5";
    QTest::newRow("cos degrees") << "cos 60" << deg << 0 << ".5";
    QTest::newRow("tan degrees") << "tan 45" << deg << 0 << "1";
    QTest::newRow("sin 180 not zero") << "sin 180" << deg << 0 << "1.22464679914735E-16";
    QTest::newRow("sin radians") << "sin 30" << rad << 0 << "-.988031624092862";
    QTest::newRow("arcsine degrees") << "invSIN 1" << deg << 0 << "90";
    QTest::newRow("arcsine radians") << "invSIN 1" << rad << 0 << "1.5707963267949";
    QTest::newRow("arcsine minus one") << "invSIN -1" << deg << 0 << "-90";
    QTest::newRow("arcsine half") << "invSIN .5" << deg << 0 << "30";
    QTest::newRow("arccosine one") << "invCOS 1" << deg << 0 << "0";
    QTest::newRow("arccosine zero") << "invCOS 0" << deg << 0 << "90";
    QTest::newRow("arccosine half") << "invCOS .5" << deg << 0 << "60";
    QTest::newRow("arctangent degrees") << "invTAN 1" << deg << 0 << "45";
    QTest::newRow("arctangent radians") << "invTAN 1" << rad << 0 << ".785398163397448";
    QTest::newRow("decimal log") << "log 1000" << deg << 0 << "3";
    QTest::newRow("natural log of group") << "ln (2 + 3)" << deg << 0 << "1.6094379124341";
    QTest::newRow("exp") << "exp 1" << deg << 0 << "2.71828182845905";
    QTest::newRow("exp underflow") << "exp -1000" << deg << 0 << "0";
    QTest::newRow("square root") << "SQR 16" << deg << 0 << "4";
    QTest::newRow("function of group") << "sin (30 + 60)" << deg << 0 << "1";
    QTest::newRow("function before power") << "sin 30 ^ 2" << deg << 0 << ".25";
    QTest::newRow("implicit product") << "2 * sin 30" << deg << 0 << "1";
    QTest::newRow("function of function") << "SQR SQR 16" << deg << 0 << "2";
    QTest::newRow("log of root") << "log SQR 100" << deg << 0 << "1";
    QTest::newRow("function of negative") << "2 * sin -30" << deg << 0 << "-1";
    QTest::newRow("function of signed group") << "sin -(30 + 60)" << deg << 0 << "-1";
    QTest::newRow("function of signed function") << "sin -sin 30" << deg << 0 << "-.00872653549837393";
    // Two signs in a row, written or left by a group or a function whose
    // value is negative: after an operator, "(" or a function word they cancel
    // out; after an operand the first one is the subtraction.
    QTest::newRow("times minus negative group") << "2 * -(-3)" << deg << 0 << "6";
    QTest::newRow("times minus group of negative value") << "2 * -(0 - 3)" << deg << 0 << "6";
    QTest::newRow("divided by minus group of negative value") << "10 / -(2 - 4)" << deg << 0 << "5";
    QTest::newRow("power of minus group of negative value") << "2 ^ -(1 - 3)" << deg << 0 << "4";
    QTest::newRow("function of minus group of negative value") << "sin -(0 - 30)" << deg << 0 << ".5";
    QTest::newRow("function of two signs") << "sin --30" << deg << 0 << ".5";
    QTest::newRow("times minus function of negative") << "2 * -sin -30" << deg << 0 << "1";
    QTest::newRow("group holding minus group of negative value") << "2 * (-(0 - 3))" << deg << 0 << "6";
    QTest::newRow("times two signs") << "2 * --3" << deg << 0 << "6";
    QTest::newRow("times two signs as the keys write them") << "2 * - -3" << deg << 0 << "6";
    QTest::newRow("times three signs") << "2 * - - -3" << deg << 0 << "-6";
    QTest::newRow("two signs first") << "--3" << deg << 0 << "3";
    QTest::newRow("minus negative group first") << "-(-3)" << deg << 0 << "3";
    QTest::newRow("minus group of negative value first") << "-(0 - 3)" << deg << 0 << "3";
    QTest::newRow("minus minus group of negative value") << "-(-(0 - 3))" << deg << 0 << "-3";
    QTest::newRow("minus minus group of negative value after operand") << "5 - -(0 - 3)" << deg << 0 << "2";
    QTest::newRow("minus three signs") << "5 - - -3" << deg << 0 << "2";
    QTest::newRow("times minus group of positive value") << "2 * -(3 + 4)" << deg << 0 << "-14";
    QTest::newRow("power of minus group of positive value") << "2 ^ -(1 + 1)" << deg << 0 << ".25";
    QTest::newRow("minus function") << "-sin 30" << deg << 0 << "-.5";
    QTest::newRow("times minus function") << "2 * -sin 30" << deg << 0 << "-1";
    QTest::newRow("minus function of minus group") << "-sin -(0 - 30)" << deg << 0 << "-.5";
    QTest::newRow("exponent sign after two signs") << "1E--3" << deg << 0 << "1E+3";
    QTest::newRow("group holding function") << "(1 + sin 30) * 2" << deg << 0 << "3";
    QTest::newRow("all together") << "2 * sin 30 + (4 - -1) ^ 2" << deg << 0 << "26";
    QTest::newRow("ln of zero") << "ln 0" << deg << 1 << "";
    QTest::newRow("ln of negative") << "ln -1" << deg << 1 << "";
    QTest::newRow("log of zero") << "log 0" << deg << 1 << "";
    QTest::newRow("root of negative") << "SQR -4" << deg << 1 << "";
    QTest::newRow("arcsine beyond one") << "invSIN 2" << deg << 1 << "";
    QTest::newRow("arccosine beyond minus one") << "invCOS -1.5" << deg << 1 << "";
    QTest::newRow("exp overflow") << "exp 1000" << deg << 1 << "";
    QTest::newRow("plus without operand") << "5 + " << deg << 1 << "";
    QTest::newRow("minus without operand") << "5 - " << deg << 1 << "";
    QTest::newRow("division by zero") << "1 / 0" << deg << 1 << "";
    QTest::newRow("zero by zero") << "0 / 0" << deg << 1 << "";
    QTest::newRow("product overflow") << "1E+308 * 10" << deg << 1 << "";
    QTest::newRow("operand too large") << "1E+400 + 1" << deg << 1 << "";
    QTest::newRow("root of negative power") << "(-8) ^ (1 / 3)" << deg << 1 << "";
    QTest::newRow("zero to negative power") << "0 ^ -1" << deg << 1 << "";
    QTest::newRow("group emptied before operator") << "2 * ()" << deg << 1 << "";
    QTest::newRow("operator without operand in group") << "(2 * )" << deg << 1 << "";
    QTest::newRow("minus alone") << "-" << deg << 1 << "";
    QTest::newRow("function without argument") << "sin " << deg << 1 << "";
    QTest::newRow("closing before opening") << ")2(" << deg << 1 << "";
    QTest::newRow("not a number") << "(Z)" << deg << 1 << "";
    QTest::newRow("opening not closed") << "(2" << deg << 2 << "";
    QTest::newRow("closing not opened") << "2)" << deg << 2 << "";
    QTest::newRow("times without operand") << "2 * " << deg << 3 << "";
    QTest::newRow("two operators") << "2 * / 3" << deg << 3 << "";
    QTest::newRow("times plus") << "2 * + 3" << deg << 3 << "";
    QTest::newRow("times plus in group") << "2 * (+3)" << deg << 3 << "";
    QTest::newRow("power plus plus") << "2 ^ + + 3" << deg << 3 << "";
    QTest::newRow("power without operand") << "2 ^ " << deg << 3 << "";
    QTest::newRow("parentheses win over operators") << "(2 * " << deg << 2 << "";
    // clang-format on
}

void TestEvaluator::evalue()
{
    QFETCH(QString, expression);
    QFETCH(int, angle);
    QFETCH(int, code);
    QFETCH(QString, result);

    std::string text = expression.toStdString();
    Evaluator evaluator;
    QCOMPARE(evaluator.evalue(text, angle), code);
    if (code == calculator::kSuccess)
        QCOMPARE(QString::fromStdString(text), result);
}

// Each level of "sin (1 + ...)" needs one pass: the group waits for the
// function inside it, which waits for the group inside it.
void TestEvaluator::passLimit_data()
{
    QTest::addColumn<int>("levels");
    QTest::addColumn<int>("code");
    QTest::newRow("99 levels, 100 passes") << 99 << 0;
    QTest::newRow("100 levels, 101 passes") << 100 << 1;
}

void TestEvaluator::passLimit()
{
    QFETCH(int, levels);
    QFETCH(int, code);
    std::string text;
    for (int i = 0; i < levels; ++i)
        text += "sin (1 + ";
    text += "0";
    text.append(static_cast<std::size_t>(levels), ')');
    Evaluator evaluator;
    QCOMPARE(evaluator.evalue(text, calculator::kRadians), code);
}

void TestEvaluator::numberText_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    // clang-format off
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("one") << 1.0 << "1";
    QTest::newRow("negative integer") << -2.0 << "-2";
    QTest::newRow("half") << 0.5 << ".5";
    QTest::newRow("negative quarter") << -0.25 << "-.25";
    QTest::newRow("decimals") << 1234.5 << "1234.5";
    QTest::newRow("hundred thousand and one") << 100001.0 << "100001";
    QTest::newRow("largest plain") << 999999999999999.0 << "999999999999999";
    QTest::newRow("rounds up to 1E+15") << 999999999999999.9 << "1E+15";
    QTest::newRow("1E+15") << 1e15 << "1E+15";
    QTest::newRow("1E+100") << 1e100 << "1E+100";
    QTest::newRow("long integer") << 123456789012345678.0 << "1.23456789012346E+17";
    QTest::newRow("1E-4 plain") << 1e-4 << ".0001";
    QTest::newRow("small plain") << 0.00012345 << ".00012345";
    QTest::newRow("1.5E-05") << 1.5e-5 << "1.5E-05";
    QTest::newRow("just below 1E-4") << 9.9e-5 << "9.9E-05";
    QTest::newRow("negative small") << -1e-20 << "-1E-20";
    QTest::newRow("tiny") << 1.5e-300 << "1.5E-300";
    QTest::newRow("denormal") << 5e-324 << "4.94065645841247E-324";
    QTest::newRow("largest double") << DBL_MAX << "1.79769313486232E+308";
    QTest::newRow("third") << 1.0 / 3 << ".333333333333333";
    QTest::newRow("two thirds") << 2.0 / 3 << ".666666666666667";
    QTest::newRow("binary sum") << 0.1 + 0.2 << ".3";
    QTest::newRow("pi") << 4 * std::atan(1.0) << "3.14159265358979";
    QTest::newRow("fifteen digits kept") << 12345678.9012345 << "12345678.9012345";
    // clang-format on
}

void TestEvaluator::numberText()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(QString::fromStdString(calculator::numberText(value)), text);
}

void TestEvaluator::readNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("tooLarge");
    QTest::addColumn<double>("value");
    // clang-format off
    QTest::newRow("empty") << "" << false << 0.0;
    QTest::newRow("spaces") << "   " << false << 0.0;
    QTest::newRow("message") << "Calcul impossible" << false << 0.0;
    QTest::newRow("point alone") << "." << false << 0.0;
    QTest::newRow("sign alone") << "-" << false << 0.0;
    QTest::newRow("sign then space") << "- 5" << false << 0.0;
    QTest::newRow("two signs") << "--5" << false << 0.0;
    QTest::newRow("integer") << "12" << false << 12.0;
    QTest::newRow("standard text") << " 98" << false << 98.0;
    QTest::newRow("negative") << "-2" << false << -2.0;
    QTest::newRow("plus sign") << "+3" << false << 3.0;
    QTest::newRow("no zero before point") << ".5" << false << 0.5;
    QTest::newRow("negative no zero") << "-.25" << false << -0.25;
    QTest::newRow("point last") << "5." << false << 5.0;
    QTest::newRow("exponent") << "1E+15" << false << 1e15;
    QTest::newRow("negative exponent") << "1.5E-05" << false << 1.5e-5;
    QTest::newRow("unsigned exponent") << "1E5" << false << 1e5;
    QTest::newRow("lower case exponent") << "1e3" << false << 1000.0;
    QTest::newRow("scientific text") << "1.2345E+04" << false << 12345.0;
    QTest::newRow("exponent without digits") << "2E" << false << 2.0;
    QTest::newRow("exponent sign without digits") << "2E+" << false << 2.0;
    QTest::newRow("second point ends") << "1.2.3" << false << 1.2;
    QTest::newRow("letters end") << "12abc" << false << 12.0;
    QTest::newRow("space ends") << "1 2" << false << 1.0;
    QTest::newRow("spaces around") << "  -3.5E+2xyz" << false << -350.0;
    QTest::newRow("long integer") << "123456789012345678" << false << 123456789012345678.0;
    QTest::newRow("too large") << "1E+400" << true << 0.0;
    QTest::newRow("rounded largest") << "1.79769313486232E+308" << true << 0.0;
    QTest::newRow("many digits too large") << QString(400, '9') << true << 0.0;
    QTest::newRow("huge exponent") << "1E+99999999999999999999" << true << 0.0;
    QTest::newRow("too small") << "1E-400" << false << 0.0;
    QTest::newRow("zero with huge exponent") << "0E+99999" << false << 0.0;
    QTest::newRow("largest double") << "1.7976931348623157E+308" << false << DBL_MAX;
    // clang-format on
}

void TestEvaluator::readNumber()
{
    QFETCH(QString, text);
    QFETCH(bool, tooLarge);
    QFETCH(double, value);
    const auto read = calculator::readNumber(text.toStdString());
    QCOMPARE(!read.has_value(), tooLarge);
    if (read)
        QCOMPARE(*read, value);
}

void TestEvaluator::simplifie_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("simplified");
    // clang-format off
    QTest::newRow("minus minus") << "5 - -3" << " 5 + 3 ";
    QTest::newRow("three minus") << "---5" << " -5 ";
    QTest::newRow("plus minus") << "+-5" << " -5 ";
    QTest::newRow("minus plus") << "1 -+ 2" << " 1 - 2 ";
    QTest::newRow("plus plus") << "1 ++ 2" << " 1 + 2 ";
    QTest::newRow("two signs after times cancel") << "2*--3" << " 2 * 3 ";
    QTest::newRow("two signs after a function word cancel") << "sin--30" << " SIN 30 ";
    QTest::newRow("two signs after ln cancel") << "ln--1" << " LON 1 ";
    QTest::newRow("two signs after parenthesis cancel") << "(--3)" << " 3 ";
    QTest::newRow("two signs after exponent fold") << "1E--3" << " 1E+3 ";
    QTest::newRow("typed plus after times kept") << "2*+3" << " 2 *  + 3 ";
    QTest::newRow("negative unwrapped") << "2 * (-5)" << " 2 * -5 ";
    QTest::newRow("nested unwrapped") << "((2.5))" << " 2.5 ";
    QTest::newRow("unwrapping folds again") << "5-(-3)" << " 5 + 3 ";
    QTest::newRow("exponent not unwrapped") << "(1E+5)" << " (1E+5) ";
    QTest::newRow("group kept") << "(2+3)" << " (2 + 3) ";
    QTest::newRow("spaced example") << "2*sin30+(4--1)^2" << " 2 * SIN 30 + (4 + 1) ^ 2 ";
    QTest::newRow("already simple") << " 2 * 7 ^ 2 " << " 2 * 7 ^ 2 ";
    // clang-format on
}

void TestEvaluator::simplifie()
{
    QFETCH(QString, text);
    QFETCH(QString, simplified);
    std::string s = text.toStdString();
    Evaluator().simplifie(s);
    QCOMPARE(QString::fromStdString(s), simplified);
}

void TestEvaluator::separetermes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("spaced");
    // clang-format off
    QTest::newRow("example") << "2*sin30+(4--1)^2" << " 2 * SIN 30 + (4 - -1) ^ 2 ";
    QTest::newRow("empty") << "" << "  ";
    QTest::newRow("leading plus") << "+5" << " 5 ";
    QTest::newRow("leading minus") << "-5" << " -5 ";
    QTest::newRow("sign after operator") << "2*-3" << " 2 * -3 ";
    QTest::newRow("sign after parenthesis") << "(-3)" << " (-3) ";
    QTest::newRow("minus after parenthesis") << "(1)-3" << " (1) - 3 ";
    QTest::newRow("sign after function") << "sin-30" << " SIN -30 ";
    QTest::newRow("exponent signs") << "1E+5+1E-5-1" << " 1E+5 + 1E-5 - 1 ";
    QTest::newRow("operator last") << "2*" << " 2 *  ";
    QTest::newRow("arcsine") << "invsin1" << " ISI 1 ";
    QTest::newRow("arccosine") << "INVCOS1" << " ICO 1 ";
    QTest::newRow("arctangent") << "invTAN 1" << " ITA 1 ";
    QTest::newRow("natural log") << "ln5" << " LON 5 ";
    QTest::newRow("tokens again") << "LON 5*ISI 1" << " LON 5 * ISI 1 ";
    QTest::newRow("function of function") << "sqrexp1" << " SQR EXP 1 ";
    QTest::newRow("every function") << "SQRSINCOSLOGTANEXP1" << " SQR SIN COS LOG TAN EXP 1 ";
    // clang-format on
}

void TestEvaluator::separetermes()
{
    QFETCH(QString, text);
    QFETCH(QString, spaced);
    std::string s = text.toStdString();
    Evaluator().separetermes(s);
    QCOMPARE(QString::fromStdString(s), spaced);
}

void TestEvaluator::verifie_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("code");
    QTest::newRow("sound") << " 2 * (3 + 4) ^ 2 " << 0;
    QTest::newRow("times last") << " 2 *  " << 3;
    QTest::newRow("division before times") << " 2 *  / 3 " << 3;
    QTest::newRow("power last") << " 2 ^  " << 3;
    QTest::newRow("plus last passes") << " 5 +  " << 0;
    QTest::newRow("opening more") << " (2 " << 2;
    QTest::newRow("closing more") << " 2) " << 2;
    QTest::newRow("parentheses win") << " (2 *  " << 2;
}

void TestEvaluator::verifie()
{
    QFETCH(QString, text);
    QFETCH(int, code);
    QCOMPARE(Evaluator().verifie(text.toStdString()), code);
}

void TestEvaluator::compte()
{
    Evaluator evaluator;
    evaluator.compte(" 2 * SIN 30 + (4 - -1) ^ 2 * LON (ISI 1) ");
    QCOMPARE(evaluator.nbpar, 2);
    QCOMPARE(evaluator.nbfonc, 3);
    QCOMPARE(evaluator.nbop, 5);
}

// One routine at a time, on texts as evalue hands them over.
void TestEvaluator::steps_data()
{
    QTest::addColumn<QString>("step");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("after");
    // clang-format off
    QTest::newRow("operations") << "operations" << " 2 * 7 ^ 2 " << " 98 ";
    QTest::newRow("operations stop when counted") << "operations1" << " 1 + 2 + 3 " << " 3 + 3 ";
    QTest::newRow("group") << "parentheses" << " 2 * (3 + 4) ^ 2 " << " 2 * 7 ^ 2 ";
    QTest::newRow("innermost group first") << "parentheses" << " (1 + (2 * 3)) * 2 " << " 7 * 2 ";
    QTest::newRow("group waits for function") << "parentheses" << " (SIN 30) " << " (SIN 30) ";
    QTest::newRow("function of group waits") << "parentheses" << " SIN (30 + 60) " << " SIN 90 ";
    QTest::newRow("function") << "functions" << " 2 * SIN 30 " << " 2 * .5 ";
    QTest::newRow("function argument ends at parenthesis") << "functions" << " (SIN 30) " << " (.5) ";
    QTest::newRow("functions of functions") << "functions" << " SQR SQR 16 " << " 2 ";
    QTest::newRow("function waits for group") << "functions" << " SIN (1 + 2) " << " SIN (1 + 2) ";
    // clang-format on
}

void TestEvaluator::steps()
{
    QFETCH(QString, step);
    QFETCH(QString, text);
    QFETCH(QString, after);
    Evaluator evaluator;
    std::string s = text.toStdString();
    evaluator.compte(s);
    if (step == "operations") {
        evaluator.calculeoperations(s);
    } else if (step == "operations1") {
        evaluator.nbop = 1;
        evaluator.calculeoperations(s);
    } else if (step == "parentheses") {
        evaluator.calculeparentheses(s);
    } else {
        evaluator.calculefonctions(s, calculator::kDegrees);
    }
    QVERIFY(!evaluator.failed);
    QCOMPARE(QString::fromStdString(s), after);
}

QTEST_GUILESS_MAIN(TestEvaluator)
#include "tst_evaluator.moc"
