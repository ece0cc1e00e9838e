#include "formulamarkup.h"

#include <QTest>

using formula::Edit;
using formula::Level;

Q_DECLARE_METATYPE(formula::Level)

namespace
{

// Every normal character 10 pixels wide, every script 6; "W" 18 high.
const formula::Metrics kMetrics{
    [](const QString &s, bool small) { return int(s.size()) * (small ? 6 : 10); }, 18};
const QSize kArea(321, 33); // y0 = (33 - 18) / 2 = 7.5, rounded to even: 8

} // namespace

class TestFormulaMarkup : public QObject
{
    Q_OBJECT
private slots:
    void typeCharacter_data();
    void typeCharacter();
    void backspaceAndDelete_data();
    void backspaceAndDelete();
    void steps_data();
    void steps();
    void stepsNeverSplitAMarkedCharacter();
    void removeLast_data();
    void removeLast();
    void reorder_data();
    void reorder();
    void layout_data();
    void layout();
    void overflow();
    void click_data();
    void click();
    void caretMark_data();
    void caretMark();
};

void TestFormulaMarkup::typeCharacter_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("selStart");
    QTest::addColumn<int>("selEnd");
    QTest::addColumn<QChar>("ch");
    QTest::addColumn<Level>("mode");
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("caret");

    QTest::newRow("first character") << "" << 0 << 0 << QChar('H') << Level::Normal << "H" << 1;
    QTest::newRow("subscript") << "H" << 1 << 1 << QChar('2') << Level::Subscript << "H#2" << 3;
    QTest::newRow("after a subscript")
        << "H#2" << 3 << 3 << QChar('O') << Level::Normal << "H#2O" << 4;
    QTest::newRow("superscript run")
        << "SO#4*2" << 6 << 6 << QChar('-') << Level::Superscript << "SO#4*2*-" << 8;
    QTest::newRow("in the middle")
        << "AB" << 1 << 1 << QChar('x') << Level::Superscript << "A*xB" << 3;
    QTest::newRow("selection starting after a marker")
        << "H#2O" << 2 << 4 << QChar('x') << Level::Normal << "Hx" << 2;
    QTest::newRow("selection ending after a marker")
        << "A#2B" << 0 << 2 << QChar('x') << Level::Normal << "xB" << 1;
}

void TestFormulaMarkup::typeCharacter()
{
    QFETCH(QString, text);
    QFETCH(int, selStart);
    QFETCH(int, selEnd);
    QFETCH(QChar, ch);
    QFETCH(Level, mode);
    QFETCH(QString, result);
    QFETCH(int, caret);
    const Edit edit = formula::typeCharacter(text, selStart, selEnd, ch, mode);
    QCOMPARE(edit.text, result);
    QCOMPARE(edit.caret, caret);
}

void TestFormulaMarkup::backspaceAndDelete_data()
{
    QTest::addColumn<bool>("forward");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("newCaret");

    QTest::newRow("bs marked") << false << "H#2" << 3 << "H" << 1;
    QTest::newRow("bs plain after marked") << false << "H#2O" << 4 << "H#2" << 3;
    QTest::newRow("bs marked first character") << false << "#2" << 2 << "" << 0;
    QTest::newRow("bs stacked") << false << "#4*2" << 4 << "#4" << 2;
    QTest::newRow("bs at start") << false << "H" << 0 << "H" << 0;
    QTest::newRow("bs plain") << false << "HO" << 1 << "O" << 0;
    QTest::newRow("del before marker") << true << "H#2O" << 1 << "HO" << 1;
    QTest::newRow("del plain") << true << "HO" << 0 << "O" << 0;
    QTest::newRow("del at end") << true << "H" << 1 << "H" << 1;
    QTest::newRow("del stacked") << true << "#4*2" << 2 << "#4" << 2;
}

void TestFormulaMarkup::backspaceAndDelete()
{
    QFETCH(bool, forward);
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(QString, result);
    QFETCH(int, newCaret);
    const Edit edit =
        forward ? formula::deleteForward(text, caret) : formula::backspace(text, caret);
    QCOMPARE(edit.text, result);
    QCOMPARE(edit.caret, newCaret);
}

void TestFormulaMarkup::steps_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("right");

    QTest::newRow("before a marker") << "H#2O" << 1 << 0 << 3;
    QTest::newRow("after a marked character") << "H#2O" << 3 << 1 << 4;
    QTest::newRow("at the end") << "H#2O" << 4 << 3 << 4;
    QTest::newRow("at the start") << "H#2O" << 0 << 0 << 1;
    QTest::newRow("marked first character") << "#2" << 2 << 0 << 2;
    QTest::newRow("marked first, at start") << "#2" << 0 << 0 << 2;
    QTest::newRow("empty") << "" << 0 << 0 << 0;
}

void TestFormulaMarkup::steps()
{
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(int, left);
    QFETCH(int, right);
    QCOMPARE(formula::stepLeft(text, caret), left);
    QCOMPARE(formula::stepRight(text, caret), right);
}

void TestFormulaMarkup::stepsNeverSplitAMarkedCharacter()
{
    const QStringList texts{"H#2O", "SO#4*2*-", "#4*2", "NH#4*+", "*2#4X#5"};
    for (const QString &text : texts) {
        for (int p = 0; p <= text.size(); ++p) {
            if (p > 0 && formula::isMarker(text[p - 1]))
                continue; // not a caret position the editor can reach
            for (const int q : {formula::stepLeft(text, p), formula::stepRight(text, p)}) {
                QVERIFY2(q == 0 || !formula::isMarker(text[q - 1]),
                         qPrintable(QStringLiteral("%1 from %2 to %3").arg(text).arg(p).arg(q)));
            }
        }
    }
}

void TestFormulaMarkup::removeLast_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("result");
    QTest::newRow("marked last") << "H#2"
                                 << "H";
    QTest::newRow("plain last") << "H#2O"
                                << "H#2";
    QTest::newRow("superscript last") << "NH#4*+"
                                      << "NH#4";
    QTest::newRow("one character") << "H"
                                   << "";
    QTest::newRow("empty") << ""
                           << "";
}

void TestFormulaMarkup::removeLast()
{
    QFETCH(QString, text);
    QFETCH(QString, result);
    QCOMPARE(formula::removeLast(text), result);
}

void TestFormulaMarkup::reorder_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("result");
    QTest::addColumn<bool>("rewritten");
    QTest::newRow("superscript then subscript") << "*2#4"
                                                << "#4*2" << true;
    QTest::newRow("already in order") << "SO#4*2*-"
                                      << "SO#4*2*-" << false;
    QTest::newRow("run moved one at a time") << "SO*2*-#4"
                                             << "SO#4*2*-" << true;
    QTest::newRow("two superscripts before") << "*a*b#c"
                                             << "#c*a*b" << true;
    QTest::newRow("plain text") << "H#2O"
                                << "H#2O" << false;
    QTest::newRow("empty") << ""
                           << "" << false;
}

void TestFormulaMarkup::reorder()
{
    QFETCH(QString, text);
    QFETCH(QString, result);
    QFETCH(bool, rewritten);
    QString t = text;
    QCOMPARE(formula::reorder(t), rewritten);
    QCOMPARE(t, result);
}

void TestFormulaMarkup::layout_data()
{
    QTest::addColumn<QString>("markup");
    QTest::addColumn<QString>("expected"); // "ch:x,y" per drawn character

    QTest::newRow("water") << "H#2O"
                           << "H:20,8 2:30,16 O:36,8";
    QTest::newRow("sulfate") << "SO#4*2*-"
                             << "S:20,8 O:30,8 4:40,16 2:40,2 -:46,2";
    QTest::newRow("after a stacked group") << "#4*2*-X"
                                           << "4:20,16 2:20,2 -:26,2 X:32,8";
    QTest::newRow("alternating markers") << "#2*+#3"
                                         << "2:20,16 +:20,2 3:20,16";
    QTest::newRow("wider subscript run") << "#1#2*+Y"
                                         << "1:20,16 2:26,16 +:20,2 Y:32,8";
    QTest::newRow("trailing marker") << "H#"
                                     << "H:20,8 :30,16";
}

void TestFormulaMarkup::layout()
{
    QFETCH(QString, markup);
    QFETCH(QString, expected);
    const formula::Layout l = formula::layout(markup, kMetrics, kArea);
    QCOMPARE(l.y0, 8);
    QStringList got;
    for (const auto &g : l.glyphs)
        got << QStringLiteral("%1:%2,%3").arg(g.ch).arg(g.x).arg(g.y);
    QCOMPARE(got.join(QLatin1Char(' ')), expected);
    QVERIFY(!l.overflow);
}

void TestFormulaMarkup::overflow()
{
    // 95 % of 321 is 304.95: the 30th character begins at x = 310.
    QVERIFY(!formula::layout(QString(29, QLatin1Char('A')), kMetrics, kArea).overflow);
    const auto l = formula::layout(QString(30, QLatin1Char('A')), kMetrics, kArea);
    QCOMPARE(l.overflow, std::optional<std::size_t>(29));
}

void TestFormulaMarkup::click_data()
{
    QTest::addColumn<QString>("markup");
    QTest::addColumn<int>("xclic");
    QTest::addColumn<int>("caret");
    // H at 20..30, subscript 2 at 30..36, O at 36..46.
    QTest::newRow("left of the first") << "H#2O" << -6 << 0;
    QTest::newRow("beyond the last") << "H#2O" << 100 << 4;
    QTest::newRow("on the marked character") << "H#2O" << 33 << 3;
    QTest::newRow("before the marked character") << "H#2O" << 25 << 3;
    QTest::newRow("on a plain character") << "HO" << 22 << 1;
    QTest::newRow("marked first character") << "#2O" << 15 << 2;
    QTest::newRow("empty") << "" << 40 << 0;
}

void TestFormulaMarkup::click()
{
    QFETCH(QString, markup);
    QFETCH(int, xclic);
    QFETCH(int, caret);
    const formula::Layout l = formula::layout(markup, kMetrics, kArea);
    QCOMPARE(formula::caretForClick(l, markup, xclic), caret);
}

void TestFormulaMarkup::caretMark_data()
{
    QTest::addColumn<QString>("markup");
    QTest::addColumn<int>("caret");
    QTest::addColumn<bool>("found");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("level"); // -1 none, else Level

    QTest::newRow("empty") << "" << 0 << true << 10 << -1;
    QTest::newRow("at the start") << "H#2O" << 0 << true << 10 << -1;
    QTest::newRow("before a subscript") << "H#2O" << 1 << true << 20 << int(Level::Subscript);
    QTest::newRow("after a subscript") << "H#2O" << 3 << true << 26 << int(Level::Normal);
    QTest::newRow("subscript under a superscript")
        << "#4*2" << 2 << true << 10 << int(Level::Superscript);
    QTest::newRow("at the end") << "#4*2" << 4 << true << 16 << int(Level::Normal);
    QTest::newRow("inside a marked character") << "#4" << 1 << false << 0 << -1;
}

void TestFormulaMarkup::caretMark()
{
    QFETCH(QString, markup);
    QFETCH(int, caret);
    QFETCH(bool, found);
    QFETCH(int, left);
    QFETCH(int, level);
    const formula::Layout l = formula::layout(markup, kMetrics, kArea);
    const auto mark = formula::caretMark(l, markup, caret);
    QCOMPARE(mark.has_value(), found);
    if (!mark)
        return;
    QCOMPARE(mark->left, left);
    QCOMPARE(mark->levelAtCaret ? int(*mark->levelAtCaret) : -1, level);
    QCOMPARE(formula::caretTop(l, Level::Superscript), 8 - 15);
    QCOMPARE(formula::caretTop(l, Level::Subscript), 8 - 1);
    QCOMPARE(formula::caretTop(l, Level::Normal), 8 - 5);
}

QTEST_APPLESS_MAIN(TestFormulaMarkup)
#include "tst_formulamarkup.moc"
