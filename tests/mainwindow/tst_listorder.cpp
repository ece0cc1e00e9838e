// The plain routines of the main window: the generic comparison of the
// species list, the quantity key filter and the window geometry rule.

#include "genericcomparison.h"
#include "quantitykeys.h"
#include "windowgeometry.h"

#include <QTest>

Q_DECLARE_METATYPE(QuantityKey::Action)

class TestListOrder : public QObject
{
    Q_OBJECT
private slots:
    void compare_data();
    void compare();
    void sortOrder_data();
    void sortOrder();
    void quantityKey_data();
    void quantityKey();
    void windowFrame_data();
    void windowFrame();
};

void TestListOrder::compare_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("sign");
    QTest::newRow("numbers by value") << "2,5   "
                                      << "10   " << -1;
    QTest::newRow("negative first") << "-33   "
                                    << "-5   " << -1;
    QTest::newRow("equal values") << "1,50   "
                                  << "1,5   " << 0;
    QTest::newRow("empty before number") << "   "
                                         << "-100   " << -1;
    QTest::newRow("empty equal") << "   "
                                 << "   " << 0;
    QTest::newRow("number before text") << "1000   "
                                        << "miscible   " << -1;
    QTest::newRow("empty before text") << "   "
                                       << "miscible   " << -1;
    QTest::newRow("eau before ethanol") << "eau"
                                        << "éthanol" << -1;
    QTest::newRow("ethanol before fer") << "éthanol"
                                        << "fer" << -1;
    QTest::newRow("accent after plain") << "eta"
                                        << "éta" << -1;
    QTest::newRow("text not by code") << "Zinc"
                                      << "acide" << 1;
    QTest::newRow("case") << "eau"
                          << "Eau" << -1;
    QTest::newRow("numeric-looking name") << "2-méthylpropane"
                                          << "10" << 1;
}

void TestListOrder::compare()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(int, sign);
    GenericComparison c;
    const int r = c.compare(a, b);
    QCOMPARE((r > 0) - (r < 0), sign);
    const int back = c.compare(b, a);
    QCOMPARE((back > 0) - (back < 0), -sign);
}

void TestListOrder::sortOrder_data()
{
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QStringList>("sorted");
    QTest::newRow("quantities") << QStringList{"10   ", "miscible   ", "   ", "2,5   ", "-1   "}
                                << QStringList{"   ", "-1   ", "2,5   ", "10   ", "miscible   "};
    QTest::newRow("names") << QStringList{"fer", "éthanol", "eau", "Acide", "zinc"}
                           << QStringList{"Acide", "eau", "éthanol", "fer", "zinc"};
    // A text between two numbers as text, but after both by rank.
    QTest::newRow("mixed stays ordered")
        << QStringList{"9", "2x", "10"} << QStringList{"9", "10", "2x"};
    QTest::newRow("equal keys keep their order")
        << QStringList{"1   ", "1,0   ", "0   ", "1,00   "}
        << QStringList{"0   ", "1   ", "1,0   ", "1,00   "};
}

void TestListOrder::sortOrder()
{
    QFETCH(QStringList, keys);
    QFETCH(QStringList, sorted);
    GenericComparison c;
    const std::vector<QString> v(keys.begin(), keys.end());
    QStringList out;
    for (int i : c.sortOrder(v))
        out << keys[i];
    QCOMPARE(out, sorted);
}

void TestListOrder::quantityKey_data()
{
    QTest::addColumn<QChar>("typed");
    QTest::addColumn<bool>("solubility");
    QTest::addColumn<QuantityKey::Action>("action");
    QTest::addColumn<QChar>("inserted");
    QTest::newRow("digit") << QChar('7') << false << QuantityKey::Accept << QChar('7');
    QTest::newRow("comma") << QChar(',') << false << QuantityKey::Accept << QChar(',');
    QTest::newRow("minus") << QChar('-') << false << QuantityKey::Accept << QChar('-');
    QTest::newRow("backspace") << QChar('\b') << false << QuantityKey::Accept << QChar('\b');
    QTest::newRow("point") << QChar('.') << false << QuantityKey::Insert << QChar(',');
    QTest::newRow("m solubility") << QChar('m') << true << QuantityKey::Miscible << QChar();
    QTest::newRow("M solubility") << QChar('M') << true << QuantityKey::Miscible << QChar();
    QTest::newRow("m elsewhere") << QChar('m') << false << QuantityKey::Refuse << QChar();
    QTest::newRow("letter") << QChar('e') << true << QuantityKey::Refuse << QChar();
    QTest::newRow("space") << QChar(' ') << false << QuantityKey::Refuse << QChar();
    QTest::newRow("plus") << QChar('+') << false << QuantityKey::Refuse << QChar();
}

void TestListOrder::quantityKey()
{
    QFETCH(QChar, typed);
    QFETCH(bool, solubility);
    QFETCH(QuantityKey::Action, action);
    QFETCH(QChar, inserted);
    const QuantityKey key = filterQuantityKey(typed, solubility);
    QCOMPARE(key.action, action);
    if (action == QuantityKey::Accept || action == QuantityKey::Insert)
        QCOMPARE(key.character, inserted);
}

void TestListOrder::windowFrame_data()
{
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<bool>("fixed");
    QTest::addColumn<QRect>("frame");
    QTest::newRow("1024x768") << QRect(0, 0, 1024, 768) << true << QRect(112, 84, 800, 600);
    QTest::newRow("851 wide") << QRect(0, 0, 851, 700) << true << QRect(25, 50, 800, 600);
    QTest::newRow("850 wide") << QRect(0, 0, 850, 700) << false << QRect();
    QTest::newRow("800x600") << QRect(0, 0, 800, 600) << false << QRect();
    QTest::newRow("second screen")
        << QRect(1920, 0, 1280, 1024) << true << QRect(2160, 212, 800, 600);
}

void TestListOrder::windowFrame()
{
    QFETCH(QRect, screen);
    QFETCH(bool, fixed);
    QFETCH(QRect, frame);
    const auto f = fixedWindowFrame(screen);
    QCOMPARE(f.has_value(), fixed);
    if (fixed)
        QCOMPARE(*f, frame);
}

QTEST_APPLESS_MAIN(TestListOrder)
#include "tst_listorder.moc"
