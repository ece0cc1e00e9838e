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

// One edit of the markup: "a" types "a", "#a" and "*a" type it as a
// subscript or superscript; "bs", "del", "left", "right", "last" and
// "reorder" are the other edits. The caret is written as "|" in the text.
Edit apply(const QString &op, const QString &textWithCaret)
{
    QString text = textWithCaret;
    const int caret = text.indexOf(QLatin1Char('|'));
    text.remove(caret, 1);
    if (op == QLatin1String("bs"))
        return formula::backspace(text, caret);
    if (op == QLatin1String("del"))
        return formula::deleteForward(text, caret);
    if (op == QLatin1String("left"))
        return {text, formula::stepLeft(text, caret)};
    if (op == QLatin1String("right"))
        return {text, formula::stepRight(text, caret)};
    if (op == QLatin1String("reorder")) {
        formula::reorder(text);
        return {text, int(text.size())};
    }
    const Level mode = op.size() == 1                 ? Level::Normal
                       : op[0] == formula::kSubscript ? Level::Subscript
                                                      : Level::Superscript;
    return formula::typeCharacter(text, caret, caret, op.back(), mode);
}

QString withCaret(const Edit &e)
{
    QString t = e.text;
    return t.insert(e.caret, QLatin1Char('|'));
}

} // namespace

class TestFormulaMarkup : public QObject
{
    Q_OBJECT
private slots:
    void edits_data();
    void edits();
    void typeOverASelection();
    void stepsNeverSplitAMarkedCharacter();
    void layout_data();
    void layout();
    void overflow();
    void click_data();
    void click();
    void caretMark_data();
    void caretMark();
};

void TestFormulaMarkup::edits_data()
{
    QTest::addColumn<QString>("op");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");

    QTest::newRow("first character") << "H"
                                     << "|"
                                     << "H|";
    QTest::newRow("subscript") << "#2"
                               << "H|"
                               << "H#2|";
    QTest::newRow("after a subscript") << "O"
                                       << "H#2|"
                                       << "H#2O|";
    QTest::newRow("superscript run") << "*-"
                                     << "SO#4*2|"
                                     << "SO#4*2*-|";
    QTest::newRow("in the middle") << "*x"
                                   << "A|B"
                                   << "A*x|B";
    QTest::newRow("backspace, marked") << "bs"
                                       << "H#2|"
                                       << "H|";
    QTest::newRow("backspace, plain after marked") << "bs"
                                                   << "H#2O|"
                                                   << "H#2|";
    QTest::newRow("backspace, marked first character") << "bs"
                                                       << "#2|"
                                                       << "|";
    QTest::newRow("backspace, stacked") << "bs"
                                        << "#4*2|"
                                        << "#4|";
    QTest::newRow("backspace at the start") << "bs"
                                            << "|H"
                                            << "|H";
    QTest::newRow("backspace, plain") << "bs"
                                      << "H|O"
                                      << "|O";
    QTest::newRow("delete before a marker") << "del"
                                            << "H|#2O"
                                            << "H|O";
    QTest::newRow("delete, plain") << "del"
                                   << "|HO"
                                   << "|O";
    QTest::newRow("delete at the end") << "del"
                                       << "H|"
                                       << "H|";
    QTest::newRow("delete, stacked") << "del"
                                     << "#4|*2"
                                     << "#4|";
    QTest::newRow("left before a marker") << "left"
                                          << "H|#2O"
                                          << "|H#2O";
    QTest::newRow("left over a marked character") << "left"
                                                  << "H#2|O"
                                                  << "H|#2O";
    QTest::newRow("left, marked first") << "left"
                                        << "#2|"
                                        << "|#2";
    QTest::newRow("left at the start") << "left"
                                       << "|H"
                                       << "|H";
    QTest::newRow("right over a marked character") << "right"
                                                   << "H|#2O"
                                                   << "H#2|O";
    QTest::newRow("right, plain") << "right"
                                  << "|H#2O"
                                  << "H|#2O";
    QTest::newRow("right at the end") << "right"
                                      << "H#2O|"
                                      << "H#2O|";
    QTest::newRow("right, marked first") << "right"
                                         << "|#2"
                                         << "#2|";
    QTest::newRow("order, superscript then subscript") << "reorder"
                                                       << "*2#4|"
                                                       << "#4*2|";
    QTest::newRow("order kept") << "reorder"
                                << "SO#4*2*-|"
                                << "SO#4*2*-|";
    QTest::newRow("order, run moved one at a time") << "reorder"
                                                    << "SO*2*-#4|"
                                                    << "SO#4*2*-|";
    QTest::newRow("order, two superscripts before") << "reorder"
                                                    << "*a*b#c|"
                                                    << "#c*a*b|";
}

void TestFormulaMarkup::edits()
{
    QFETCH(QString, op);
    QFETCH(QString, before);
    QFETCH(QString, after);
    QCOMPARE(withCaret(apply(op, before)), after);
}

void TestFormulaMarkup::typeOverASelection()
{
    // A selection edge between a marker and its character takes the pair.
    QCOMPARE(withCaret(formula::typeCharacter("H#2O", 2, 4, 'x', Level::Normal)), "Hx|");
    QCOMPARE(withCaret(formula::typeCharacter("A#2B", 0, 2, 'x', Level::Normal)), "x|B");
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
    // A formula made elsewhere may end with a marker: the caret stays in the text.
    QTest::newRow("dangling marker") << "H#" << 25 << 2;
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
}

QTEST_APPLESS_MAIN(TestFormulaMarkup)
#include "tst_formulamarkup.moc"
