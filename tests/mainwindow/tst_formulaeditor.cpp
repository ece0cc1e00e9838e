#include "carddraw.h"
#include "formulaeditor.h"
#include "formulamarkup.h"
#include "scripteddialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace
{

const QString kOverflowTitle = QStringLiteral("Dépassement de capacité");

// The main window's part that the formula editor lives in.
struct Window {
    QWidget window;
    QWidget *frame1;
    QLineEdit *other; // the card's fields before and after the formula
    QLineEdit *next;
    platform::ScriptedDialogs dialogs;
    std::unique_ptr<FormulaEditor> editor;

    Window()
    {
        window.resize(789, 545);
        frame1 = new QWidget(&window);
        frame1->setGeometry(18, 58, 461, 485);
        other = new QLineEdit(frame1);
        other->setGeometry(224, 144, 225, 45);
        editor = std::make_unique<FormulaEditor>(frame1, &window, dialogs);
        next = new QLineEdit(frame1);
        next->setGeometry(256, 196, 177, 17);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }

    QLineEdit *text1() const { return editor->Text1(); }
    QCheckBox *box(const char *name) const
    {
        return editor->Picture1()->findChild<QCheckBox *>(QString::fromLatin1(name));
    }
    QLabel *posi() const { return editor->Picture2()->findChild<QLabel *>(QStringLiteral("posi")); }
    QChar mode() const
    {
        return box("opti")->isChecked()   ? QChar('I')
               : box("opte")->isChecked() ? QChar('E')
                                          : QChar('N');
    }

    // Plays a script: plain characters are typed; {i} and {e} click "Indice"
    // and "Exposant"; {L} {R} {U} {W} {H} {E} {B} {D} {N} press Left, Right,
    // Up, Down, Home, End, Backspace, Delete, Enter.
    void play(const QString &script)
    {
        for (int i = 0; i < script.size(); ++i) {
            if (script[i] == QLatin1Char('{')) {
                const QChar c = script[i + 1];
                i += 2;
                if (c == QLatin1Char('i') || c == QLatin1Char('e')) {
                    QCheckBox *b = box(c == QLatin1Char('i') ? "opti" : "opte");
                    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2));
                    continue;
                }
                static const QHash<QChar, Qt::Key> keys{
                    {'L', Qt::Key_Left},      {'R', Qt::Key_Right},  {'U', Qt::Key_Up},
                    {'W', Qt::Key_Down},      {'H', Qt::Key_Home},   {'E', Qt::Key_End},
                    {'B', Qt::Key_Backspace}, {'D', Qt::Key_Delete}, {'N', Qt::Key_Return}};
                QTest::keyClick(text1(), keys.value(c));
                continue;
            }
            type(script.mid(i, 1));
        }
    }

    // Typed characters, whatever their script.
    void type(const QString &text)
    {
        for (const QChar c : text)
            QTest::sendKeyEvent(QTest::Click, text1(), Qt::Key_unknown, QString(c), Qt::NoModifier);
    }

    void focusFormula()
    {
        QTest::mouseClick(editor->Picture2(), Qt::LeftButton, {}, QPoint(300, 16));
    }
};

formula::Layout layoutOf(const QString &markup)
{
    return formula::layout(markup, carddraw::formulaMetrics(), QSize(321, 33));
}

// The longest run of "W" that fits the display.
QString widestFitting()
{
    QString s;
    while (!layoutOf(s + QLatin1Char('W')).overflow)
        s += QLatin1Char('W');
    return s;
}

} // namespace

class TestFormulaEditor : public QObject
{
    Q_OBJECT
private slots:
    void keys_data();
    void keys();
    void refusedCharacters_data();
    void refusedCharacters();
    void clicks_data();
    void clicks();
    void boxesStayUsableWhileEditing();
    void leavingHidesTheEditing();
    void focusingRenders();
    void emptyFormulaCaretMarker();
    void newFormulaStartsInNormalMode_data();
    void newFormulaStartsInNormalMode();
    void caretMarkerLeavesCharactersUncovered_data();
    void caretMarkerLeavesCharactersUncovered();
    void overflowTakesTheCharacterOff();
    void overflowTakesAMarkedCharacterWhole();
    void storedWideFormulaKeptWhole();
    void scriptPanelSize();
    void shiftTabLeavesTheFormula();
};

void TestFormulaEditor::keys_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("markup");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QChar>("mode");

    QTest::newRow("water") << "H{i}2{R}O"
                           << "H#2O" << 4 << QChar('N');
    QTest::newRow("sulfate") << "SO{i}4{e}2-"
                             << "SO#4*2*-" << 8 << QChar('E');
    QTest::newRow("superscript then subscript") << "{e}2{i}4"
                                                << "#4*2" << 4 << QChar('I');
    QTest::newRow("backspace on a marked character") << "H{i}2{B}"
                                                     << "H" << 1 << QChar('I');
    QTest::newRow("backspace on a marked first character") << "{i}2{B}"
                                                           << "" << 0 << QChar('I');
    QTest::newRow("backspace at the start") << "H{i}2{H}{B}"
                                            << "H#2" << 0 << QChar('I');
    QTest::newRow("delete before a marker") << "H{i}2{R}O{H}{R}{D}"
                                            << "HO" << 1 << QChar('N');
    QTest::newRow("left over a marked character") << "H{i}2{R}O{L}{L}"
                                                  << "H#2O" << 1 << QChar('I');
    QTest::newRow("right over a marked character") << "H{i}2{R}O{H}{R}{R}"
                                                   << "H#2O" << 3 << QChar('N');
    QTest::newRow("mode follows the text again") << "H{i}2{L}{R}3"
                                                 << "H#23" << 4 << QChar('N');
    QTest::newRow("typing before a marked character extends the run")
        << "H{i}2{R}O{H}{R}3"
        << "H#3#2O" << 3 << QChar('I');
    QTest::newRow("up at the start") << "H{H}{U}"
                                     << "H" << 0 << QChar('E');
    QTest::newRow("down at the end") << "H{W}"
                                     << "H" << 1 << QChar('I');
    QTest::newRow("down from superscript") << "H{U}{W}"
                                           << "H" << 1 << QChar('N');
    QTest::newRow("up from subscript") << "H{W}{U}2"
                                       << "H2" << 2 << QChar('N');
    QTest::newRow("down then typing") << "H{W}2"
                                      << "H#2" << 3 << QChar('I');
    QTest::newRow("up in the middle") << "HO{L}{U}"
                                      << "HO" << 1 << QChar('E');
    QTest::newRow("second click returns to normal") << "H{i}{i}2"
                                                    << "H2" << 2 << QChar('N');
    QTest::newRow("boxes are exclusive") << "H{i}{e}2"
                                         << "H*2" << 3 << QChar('E');
    QTest::newRow("home and end") << "AB{H}C{E}D"
                                  << "CABD" << 4 << QChar('N');
}

void TestFormulaEditor::keys()
{
    QFETCH(QString, script);
    QFETCH(QString, markup);
    QFETCH(int, caret);
    QFETCH(QChar, mode);
    Window w;
    w.focusFormula();
    w.play(script);
    QCOMPARE(w.text1()->text(), markup);
    QCOMPARE(w.text1()->cursorPosition(), caret);
    QCOMPARE(w.mode(), mode);
    QCOMPARE(w.dialogs.beeps, 0);
    QVERIFY(w.editor->Picture1()->isVisible());
}

void TestFormulaEditor::refusedCharacters_data()
{
    QTest::addColumn<bool>("paste");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("markup");
    QTest::addColumn<int>("beeps");
    QTest::newRow("subscript marker") << false << "H#"
                                      << "H" << 1;
    QTest::newRow("superscript marker") << false << "*H"
                                        << "H" << 1;
    QTest::newRow("outside Windows-1252") << false << QStringLiteral("Hα") << "H" << 1;
    QTest::newRow("euro sign is Windows-1252")
        << false << QStringLiteral("€") << QStringLiteral("€") << 0;
    QTest::newRow("accented letter") << false << QStringLiteral("é") << QStringLiteral("é") << 0;
    QTest::newRow("paste") << true << "NaCl"
                           << "NaCl" << 0;
    QTest::newRow("paste, markers refused") << true << "H#2O"
                                            << "H2O" << 1;
    QTest::newRow("paste, outside Windows-1252, a subscript")
        << true << QStringLiteral("Hα₂") << "H#2" << 1;
    QTest::newRow("paste, line break dropped") << true << "Na\r\nCl"
                                               << "NaCl" << 0;
}

void TestFormulaEditor::refusedCharacters()
{
    QFETCH(bool, paste);
    QFETCH(QString, input);
    QFETCH(QString, markup);
    QFETCH(int, beeps);
    Window w;
    w.focusFormula();
    if (paste) {
        QApplication::clipboard()->setText(input);
        QTest::keySequence(w.text1(), QKeySequence::Paste);
    } else {
        w.type(input);
    }
    QCOMPARE(w.text1()->text(), markup);
    QCOMPARE(w.dialogs.beeps, beeps);

    QTest::keyClick(w.text1(), Qt::Key_Return);
    QCOMPARE(w.text1()->text(), markup);
    QCOMPARE(w.dialogs.beeps, beeps + 1);
}

void TestFormulaEditor::clicks_data()
{
    QTest::addColumn<QString>("markup");
    QTest::addColumn<int>("glyph"); // index of the glyph clicked, -1 left of all, -2 right
    QTest::addColumn<int>("caret");
    QTest::newRow("left of the first character") << "H#2O" << -1 << 0;
    QTest::newRow("right of the last character") << "H#2O" << -2 << 4;
    QTest::newRow("on a marked character") << "H#2O" << 1 << 3;
    QTest::newRow("on a plain character") << "H#2O" << 2 << 3;
    QTest::newRow("on the first character") << "HO" << 0 << 0;
    QTest::newRow("on a marked first character") << "#2O" << 0 << 2;
}

void TestFormulaEditor::clicks()
{
    QFETCH(QString, markup);
    QFETCH(int, glyph);
    QFETCH(int, caret);
    Window w;
    w.editor->setText(markup);
    const formula::Layout l = layoutOf(markup);
    // The click asks for the caret at x - 6: a click 6 pixels right of a
    // glyph's left edge puts the caret before it, or after it when marked.
    int x = 0;
    if (glyph == -2)
        x = 310;
    else if (glyph >= 0)
        x = l.glyphs[glyph].x + 6;
    QTest::mouseClick(w.editor->Picture2(), Qt::LeftButton, {}, QPoint(x, 16));
    QVERIFY(w.text1()->hasFocus());
    QCOMPARE(w.text1()->cursorPosition(), caret);
}

void TestFormulaEditor::boxesStayUsableWhileEditing()
{
    Window w;
    w.focusFormula();
    QCheckBox *opte = w.box("opte");
    QVERIFY(opte->isVisible());
    QTest::mouseClick(opte, Qt::LeftButton, {}, QPoint(8, 12));
    QVERIFY(opte->isChecked());
    QVERIFY(w.text1()->hasFocus());
    QVERIFY(w.editor->Picture1()->isVisible());
    // The caret marker stands high for a superscript.
    const int y0 = layoutOf(QString()).y0;
    QTest::keyClick(w.text1(), 'A');
    QCOMPARE(w.posi()->y(), y0 - 15);
    QTest::mouseClick(w.box("opti"), Qt::LeftButton, {}, QPoint(8, 12));
    QVERIFY(!opte->isChecked());
    QVERIFY(w.box("opti")->isChecked());
    QCOMPARE(w.posi()->y(), y0 - 1);
    QVERIFY(w.editor->Picture1()->isVisible());
}

void TestFormulaEditor::leavingHidesTheEditing()
{
    Window w;
    w.focusFormula();
    QVERIFY(w.editor->Picture1()->isVisible());
    QVERIFY(w.posi()->isVisible());
    w.other->setFocus(Qt::TabFocusReason);
    QVERIFY(!w.editor->Picture1()->isVisible());
    QVERIFY(!w.posi()->isVisible());
    w.focusFormula();
    w.editor->hideEditing(); // a card shown
    QVERIFY(!w.editor->Picture1()->isVisible());
    QVERIFY(!w.posi()->isVisible());
    QCOMPARE(w.text1()->text(), QString());
}

void TestFormulaEditor::focusingRenders()
{
    Window w;
    QSignalSpy rendered(w.editor.get(), &FormulaEditor::rendered);
    w.editor->setText(QStringLiteral("*2#4")); // a stored formula is put in order
    QCOMPARE(w.editor->text(), QStringLiteral("#4*2"));
    QCOMPARE(rendered.count(), 1);
    w.editor->setText(QStringLiteral("H#2O"));
    w.editor->Picture2()->setFocus(Qt::TabFocusReason);
    QVERIFY(w.text1()->hasFocus());
    QVERIFY(rendered.count() >= 1);
    QCOMPARE(w.text1()->cursorPosition(), 0); // the Tab key puts the caret at the start
    const int before = rendered.count();
    QTest::keyClick(w.text1(), Qt::Key_Right);
    QVERIFY(rendered.count() > before);
}

void TestFormulaEditor::emptyFormulaCaretMarker()
{
    Window w;
    w.focusFormula();
    QVERIFY(w.posi()->isVisible());
    QCOMPARE(w.posi()->pos(), QPoint(10, layoutOf(QString()).y0 - 5));
}

void TestFormulaEditor::newFormulaStartsInNormalMode_data()
{
    QTest::addColumn<QString>("script");  // the editing of the previous formula
    QTest::addColumn<QString>("formula"); // the new one, empty for "&Nouveau"
    QTest::addColumn<bool>("shown");      // a card shown from the list (not a card file)
    QTest::addColumn<QString>("entry");   // how the editing begins again

    // clang-format off
    QTest::newRow("superscript chosen, new card, label") << "H{e}" << "" << false << "label";
    QTest::newRow("superscript chosen, new card while editing") << "H{e}" << "" << false << "kept";
    QTest::newRow("subscript by Down, card shown, Tab") << "H{W}" << "CO#2" << true << "tab";
    QTest::newRow("superscript by Up, card shown, label") << "H{U}" << "CO#2" << true << "label";
    QTest::newRow("mode of the text, card shown, Tab") << "H{i}2{H}{R}" << "CO#2" << true << "tab";
    QTest::newRow("subscript chosen, card file, label") << "{i}2" << "NH#4*+" << false << "label";
    QTest::newRow("superscript chosen, card file while editing") << "H{e}" << "NH#4*+" << false << "kept";
    // clang-format on
}

// "&Nouveau", a card shown and a card file opened replace the formula: the
// script mode of the previous editing does not carry over into the new one.
void TestFormulaEditor::newFormulaStartsInNormalMode()
{
    QFETCH(QString, script);
    QFETCH(QString, formula);
    QFETCH(bool, shown);
    QFETCH(QString, entry);
    Window w;
    w.focusFormula();
    w.play(script);
    QVERIFY(w.mode() != QChar('N'));
    if (entry != QLatin1String("kept"))
        w.other->setFocus(Qt::MouseFocusReason);
    w.editor->setText(formula);
    if (shown)
        w.editor->hideEditing();
    if (entry == QLatin1String("label"))
        w.text1()->setFocus(Qt::MouseFocusReason);
    else if (entry == QLatin1String("tab"))
        w.editor->Picture2()->setFocus(Qt::TabFocusReason);
    QVERIFY(w.text1()->hasFocus());
    QCOMPARE(w.mode(), QChar('N'));
    QCOMPARE(w.posi()->pos(), QPoint(10, layoutOf(formula).y0 - 5));
    QTest::keyClick(w.text1(), 'X');
    QCOMPARE(w.text1()->text(), QLatin1Char('X') + formula);
}

void TestFormulaEditor::caretMarkerLeavesCharactersUncovered_data()
{
    QTest::addColumn<QString>("script");
    QTest::newRow("typed superscript minus") << "SO{i}4{e}2-";
    QTest::newRow("superscript minus, caret back at the end") << "SO{i}4{e}2-{L}{E}";
    QTest::newRow("typed superscript plus") << "NH{i}4{e}+";
    QTest::newRow("superscript minus before a normal character") << "O{e}-{R}H{L}";
    QTest::newRow("typed subscript") << "H{i}2";
    QTest::newRow("subscript minus before a normal character") << "e{i}-{R}X{L}";
    QTest::newRow("normal character") << "H{i}2{R}O";
    QTest::newRow("normal character, superscript chosen") << "HO{e}";
    QTest::newRow("narrow normal character") << "Cl";
    QTest::newRow("normal minus") << "e-";
    QTest::newRow("superscript one") << "X{e}1";
}

// The caret marker stands right of the character before the caret, whatever
// the mode: none of it lies within that character's advance, and so none of
// it on the character's ink.
void TestFormulaEditor::caretMarkerLeavesCharactersUncovered()
{
    QFETCH(QString, script);
    Window w;
    w.focusFormula();
    w.play(script);
    QVERIFY(w.posi()->isVisible());
    const QString markup = w.text1()->text();
    const int caret = w.text1()->cursorPosition();

    const QSize area = w.editor->Picture2()->size();
    const formula::Layout all = layoutOf(markup);
    formula::Layout before = all;
    before.glyphs.clear();
    for (const formula::Glyph &g : all.glyphs)
        if (g.position == caret)
            before.glyphs.push_back(g);
    QCOMPARE(before.glyphs.size(), std::size_t(1));
    const formula::Glyph &g = before.glyphs.front();
    QImage ink(area, QImage::Format_RGB32);
    {
        QPainter p(&ink);
        carddraw::paintFormulaLayout(p, before, area);
    }

    const QImage marker = w.posi()->pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    const QPoint at = w.posi()->pos();
    int drawn = 0;
    for (int y = 0; y < marker.height(); ++y) {
        for (int x = 0; x < marker.width(); ++x) {
            if (qAlpha(marker.pixel(x, y)) == 0)
                continue;
            const QPoint p = at + QPoint(x, y);
            QVERIFY2(p.x() >= g.right, qPrintable(QStringLiteral("marker at column %1, within "
                                                                 "the character's %2 to %3")
                                                      .arg(p.x())
                                                      .arg(g.x)
                                                      .arg(g.right)));
            // Text RGB(255, 255, 192) on RGB(0, 0, 192): red tells the ink.
            if (ink.rect().contains(p)) {
                ++drawn;
                QCOMPARE(qRed(ink.pixel(p)), 0);
            }
        }
    }
    QVERIFY(drawn > 10);
}

void TestFormulaEditor::overflowTakesTheCharacterOff()
{
    Window w;
    const QString fitting = widestFitting();
    w.editor->setText(fitting);
    QVERIFY(w.dialogs.shown.isEmpty());
    w.focusFormula();
    w.dialogs.expectMessage(kOverflowTitle, platform::Dialogs::Answer::Ok);
    QTest::keyClick(w.text1(), 'W');
    QCOMPARE(w.dialogs.titles(), QStringList{kOverflowTitle});
    QCOMPARE(w.dialogs.shown[0].text,
             QStringLiteral("Il n'y a pas assez de place pour cette expression"));
    QCOMPARE(w.dialogs.shown[0].icon, platform::Dialogs::Icon::Critical);
    QVERIFY(w.dialogs.unexpected.isEmpty());
    QCOMPARE(w.text1()->text(), fitting);
    // Typed inside the formula, the character is refused there: the formula
    // keeps its last character.
    QString endsInM = QStringLiteral("M");
    while (!layoutOf(QLatin1Char('W') + endsInM).overflow)
        endsInM.prepend(QLatin1Char('W'));
    w.editor->setText(endsInM);
    w.focusFormula();
    QTest::keyClick(w.text1(), Qt::Key_Home);
    w.dialogs.expectMessage(kOverflowTitle, platform::Dialogs::Answer::Ok);
    QTest::keyClick(w.text1(), 'W');
    QCOMPARE(w.text1()->text(), endsInM);
    QCOMPARE(w.text1()->cursorPosition(), 0);
}

void TestFormulaEditor::overflowTakesAMarkedCharacterWhole()
{
    Window w;
    const QString fitting = widestFitting();
    w.editor->setText(fitting);
    w.focusFormula();
    w.dialogs.expectMessage(kOverflowTitle, platform::Dialogs::Answer::Ok);
    w.play(QStringLiteral("{i}2"));
    QCOMPARE(w.dialogs.titles(), QStringList{kOverflowTitle});
    QCOMPARE(w.text1()->text(), fitting); // not fitting + "#"
}

// A stored formula wider than the display (written by another program) is
// shown without a message and kept whole; what the user adds to it is refused,
// what the user takes from it is kept.
void TestFormulaEditor::storedWideFormulaKeptWhole()
{
    Window w;
    const QString wide = widestFitting() + QStringLiteral("C#6H#1#2O#6");
    QVERIFY(layoutOf(wide).overflow);
    w.editor->setText(wide);
    QVERIFY(w.dialogs.shown.isEmpty());
    QCOMPARE(w.editor->text(), wide);

    w.focusFormula();
    QCOMPARE(w.editor->text(), wide);
    QTest::keyClick(w.text1(), Qt::Key_End);
    w.dialogs.expectMessage(kOverflowTitle, platform::Dialogs::Answer::Ok);
    w.type(QStringLiteral("W"));
    QCOMPARE(w.dialogs.titles(), QStringList{kOverflowTitle});
    QCOMPARE(w.editor->text(), wide);

    QTest::keyClick(w.text1(), Qt::Key_Home);
    w.dialogs.expectMessage(kOverflowTitle, platform::Dialogs::Answer::Ok);
    w.type(QStringLiteral("W"));
    QCOMPARE(w.dialogs.shown.size(), 2);
    QCOMPARE(w.editor->text(), wide);

    QTest::keyClick(w.text1(), Qt::Key_End);
    QTest::keyClick(w.text1(), Qt::Key_Backspace);
    QCOMPARE(w.dialogs.shown.size(), 2);
    QCOMPARE(w.editor->text(), wide.chopped(2)); // "#6" goes as one character
    QVERIFY(w.dialogs.unexpected.isEmpty());

    // A formula that fits again is back under the usual rule.
    w.editor->setText(widestFitting());
    QTest::keyClick(w.text1(), Qt::Key_End);
    w.dialogs.expectMessage(kOverflowTitle, platform::Dialogs::Answer::Ok);
    w.type(QStringLiteral("W"));
    QCOMPARE(w.editor->text(), widestFitting());
}

void TestFormulaEditor::scriptPanelSize()
{
    Window w;
    QWidget *picture1 = w.editor->Picture1();
    picture1->resize(130, 90);
    w.focusFormula();
    picture1->grab();
    QCOMPARE(picture1->size(), QSize(101, 63));
    const QImage bevel = picture1->grab().toImage();
    QCOMPARE(bevel.pixelColor(0, 0), QColor(0, 0, 0));
    QCOMPARE(bevel.pixelColor(100, 62), QColor(0, 0, 0));
    QCOMPARE(bevel.pixelColor(1, 30), QColor(255, 255, 255));
    QCOMPARE(bevel.pixelColor(50, 2), QColor(255, 255, 255));
    QCOMPARE(bevel.pixelColor(99, 30), QColor(128, 128, 128));
    QCOMPARE(bevel.pixelColor(50, 60), QColor(128, 128, 128));
    QCOMPARE(bevel.pixelColor(98, 30), QColor(128, 128, 128));
    QCOMPARE(bevel.pixelColor(50, 61), QColor(128, 128, 128));
    QCOMPARE(bevel.pixelColor(5, 5), QColor(192, 192, 192));
}

void TestFormulaEditor::shiftTabLeavesTheFormula()
{
    Window w;
    w.focusFormula();
    QVERIFY(w.text1()->hasFocus());
    QTest::keyClick(w.text1(), Qt::Key_Backtab, Qt::ShiftModifier);
    QVERIFY(!w.text1()->hasFocus());
    QVERIFY(!w.editor->Picture1()->isVisible());
    // Tab from the field before the formula enters it at the start.
    w.text1()->setCursorPosition(0);
    w.editor->setText(QStringLiteral("H#2O"));
    QApplication::focusWidget()->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QVERIFY(w.text1()->hasFocus());
    QCOMPARE(w.text1()->cursorPosition(), 0);
    // Shift+Tab from the next field enters Text1 itself; typing then adds to
    // the formula, it does not replace it.
    w.next->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(w.next, Qt::Key_Backtab, Qt::ShiftModifier);
    QVERIFY(w.text1()->hasFocus());
    QVERIFY(w.editor->Picture1()->isVisible());
    QTest::keyClick(w.text1(), 'X');
    QCOMPARE(w.text1()->text(), QStringLiteral("H#2OX"));
}

QTEST_MAIN(TestFormulaEditor)
#include "tst_formulaeditor.moc"
