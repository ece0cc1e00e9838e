// The calculator window: its keys, keyboard, display and painting glued to
// the key rules (tested on their own in tst_keypad).
#include "affichage.h"
#include "frenchlocale.h"
#include "machine.h"
#include "scripteddialogs.h"

#include <QGroupBox>
#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

class TestCalculator : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
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
    // A pupil's decimal comma, a function by its name, in degrees.
    QTest::keyClicks(machine.z1, "2,5*2");
    QTest::keyClick(machine.z1, Qt::Key_Return);
    QCOMPARE(machine.z1->text(), " 5");
    QTest::keyClicks(machine.z1, "sin 30");
    QTest::keyClick(machine.z1, Qt::Key_Return);
    QCOMPARE(machine.z1->text(), " .5");
    // A character not taken beeps and says why; the expression stays.
    const int beeps = dialogs.beeps;
    QTest::keyClicks(machine.z1, "3%");
    QCOMPARE(machine.z1->text(), "3");
    QCOMPARE(dialogs.beeps, beeps + 1);
    QVERIFY(machine.z1->toolTip().startsWith(QStringLiteral("« % » n'est pas pris")));
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
