#include "carddraw.h"
#include "cardlayout.h"
#include "samplecards.h"

#include <QTest>

#include <climits>

namespace
{

const QColor kOrange(0xf7, 0x94, 0x1d);

bool isDark(QRgb c)
{
    return qGray(c) < 128;
}

int countPixels(const QImage &image, const QRect &area, const std::function<bool(QRgb)> &test)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += test(image.pixel(x, y));
    return n;
}

bool nearOrange(QRgb c)
{
    return std::abs(qRed(c) - kOrange.red()) < 12 && std::abs(qGreen(c) - kOrange.green()) < 12 &&
           std::abs(qBlue(c) - kOrange.blue()) < 12;
}

// Every character 10 pixels wide.
int tenEach(const QString &s)
{
    return int(s.size()) * 10;
}

} // namespace

class TestCardPicture : public QObject
{
    Q_OBJECT
private slots:
    void sizeAndFrame();
    void onlyTheCheckedPictograms();
    void noPictogram();
    void miscibleLeavesNoUnit();
    void formulaOnItsBand();
    void pollutionSentence_data();
    void pollutionSentence();
    void wrap_data();
    void wrap();
    void aspectMaxLines_data();
    void aspectMaxLines();
    void aspectDrawnInItsBox();
};

void TestCardPicture::sizeAndFrame()
{
    const QImage image = carddraw::creimage(water());
    QCOMPARE(image.size(), cardlayout::kFrame1Inner);
    const int w = image.width();
    const int h = image.height();
    for (int x = 0; x < w; ++x) {
        QCOMPARE(image.pixel(x, 0), qRgb(0, 0, 0));
        QCOMPARE(image.pixel(x, h - 1), qRgb(0, 0, 0));
    }
    for (int y = 0; y < h; ++y) {
        QCOMPARE(image.pixel(0, y), qRgb(0, 0, 0));
        QCOMPARE(image.pixel(w - 1, y), qRgb(0, 0, 0));
    }
    QCOMPARE(image.pixel(1, h / 2), qRgb(255, 255, 255));
}

void TestCardPicture::onlyTheCheckedPictograms()
{
    CardView v = water();
    v.hazards = {false, true, false, true}; // Corrosive, Toxique
    const QImage image = carddraw::creimage(v);
    const QImage skull =
        carddraw::picture(QStringLiteral(":/pictures/tete-de-mort.svg"), QSize(66, 66))
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    const QImage corrosion =
        carddraw::picture(QStringLiteral(":/pictures/corrosion.svg"), QSize(66, 66))
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    QCOMPARE(image.copy(384, 62, 66, 66), skull);
    QCOMPARE(image.copy(240, 62, 66, 66), corrosion);
    QCOMPARE(countPixels(image, QRect(168, 62, 66, 66), nearOrange), 0);
    QCOMPARE(countPixels(image, QRect(312, 62, 66, 66), nearOrange), 0);
}

void TestCardPicture::noPictogram()
{
    const QImage image = carddraw::creimage(water());
    QCOMPARE(countPixels(image, QRect(160, 60, 300, 70), nearOrange), 0);
}

void TestCardPicture::miscibleLeavesNoUnit()
{
    CardView v = water();
    const QRect unitArea(434, 352, cardlayout::kFrame1Inner.width() - 2 - 434, 17);
    QImage image = carddraw::creimage(v);
    QCOMPARE(countPixels(image, unitArea, isDark), 0);
    // The word itself is in the box.
    QVERIFY(countPixels(image, QRect(256, 352, 177, 17), isDark) > 10);
    v.quantites[6] = QStringLiteral("12");
    image = carddraw::creimage(v);
    QVERIFY(countPixels(image, unitArea, isDark) > 10);
}

void TestCardPicture::formulaOnItsBand()
{
    const QImage image = carddraw::creimage(water());
    // Picture2's blue, one more row below it, and light characters on it.
    QCOMPARE(image.pixelColor(50, 22), QColor(0, 0, 192));
    QCOMPARE(image.pixelColor(200, 54), QColor(0, 0, 192));
    QCOMPARE(image.pixelColor(369, 55), QColor(255, 255, 255));
    const int light = countPixels(image, QRect(60, 21, 60, 33),
                                  [](QRgb c) { return qBlue(c) > 150 && qRed(c) > 200; });
    QVERIFY(light > 20);
    // "Inorganique" in the green box.
    QVERIFY(countPixels(image, QRect(370, 21, 90, 33), isDark) > 20);
}

void TestCardPicture::pollutionSentence_data()
{
    QTest::addColumn<bool>("non");
    QTest::addColumn<bool>("risk");
    QTest::addColumn<int>("targets"); // bits: 1 air, 2 water, 4 soil
    QTest::addColumn<QString>("sentence");
    QTest::newRow("non polluant") << true << false << 0 << "Non polluant";
    QTest::newRow("air and water")
        << false << true << 3 << "Risque de pollution pour l'air, l'eau.";
    QTest::newRow("air and soil") << false << true << 5
                                  << "Risque de pollution pour l'air, la terre.";
    QTest::newRow("water alone") << false << true << 2 << "Risque de pollution pour l'eau.";
    QTest::newRow("all three") << false << true << 7
                               << "Risque de pollution pour l'air, l'eau, la terre.";
    QTest::newRow("risk without target") << false << true << 0 << "Risque de pollution pour.";
    QTest::newRow("no option") << false << false << 0 << "";
}

void TestCardPicture::pollutionSentence()
{
    QFETCH(bool, non);
    QFETCH(bool, risk);
    QFETCH(int, targets);
    QFETCH(QString, sentence);
    CardView v;
    v.nonPolluant = non;
    v.risquePollution = risk;
    v.polu = {bool(targets & 1), bool(targets & 2), bool(targets & 4)};
    QCOMPARE(carddraw::pollutionSentence(v), sentence);

    // Printed where Label5 stands on screen, 9 pixels below the dustbin's top.
    const QImage image = carddraw::creimage(v);
    const int dark = countPixels(image, QRect(104, 409, 300, 15), isDark);
    QCOMPARE(dark > 0, !sentence.isEmpty());
}

void TestCardPicture::wrap_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("maxLines");
    QTest::addColumn<QStringList>("lines");
    // Each character is 10 pixels wide.
    QTest::newRow("one line that fits") << "abc def" << 100 << 3 << QStringList{"abc def"};
    QTest::newRow("line break") << "ab\r\ncd" << 100 << 3 << QStringList{"ab", "cd"};
    QTest::newRow("line break beyond the width")
        << "abcdefghijklmno\r\nxy" << 100 << 3 << QStringList{"abcdefghijklmno", "xy"};
    QTest::newRow("break at the last fitting space")
        << "aaa bbb ccc ddd" << 100 << 3 << QStringList{"aaa bbb ", "ccc ddd"};
    QTest::newRow("word cut inside")
        << "abcdefghijklmnop" << 100 << 3 << QStringList{"abcdefghi", "jklmnop"};
    QTest::newRow("exactly the width does not fit")
        << "abcdefghij" << 100 << 3 << QStringList{"abcdefghi", "j"};
    QTest::newRow("lines beyond the height dropped")
        << "aaaaaaaa bbbbbbbb cccccccc" << 100 << 2 << QStringList{"aaaaaaaa ", "bbbbbbbb "};
    QTest::newRow("empty text") << "" << 100 << 3 << QStringList{};
    QTest::newRow("trailing line break") << "abc\r\n" << 100 << 3 << QStringList{"abc"};
    QTest::newRow("blank line kept") << "a\r\n\r\nb" << 100 << 3 << QStringList{"a", "", "b"};
    // No character fits: the text is not consumed, so the wrapping stops
    // rather than repeating an empty line up to the height (a box as high
    // as the largest int would never end).
    QTest::newRow("nothing fits") << "abc" << 10 << INT_MAX << QStringList{};
    QTest::newRow("nothing fits after a break") << "ab\r\ncd" << 5 << INT_MAX << QStringList{"ab"};
    QTest::newRow("empty text in a box of no width") << "" << 0 << INT_MAX << QStringList{};
}

void TestCardPicture::wrap()
{
    QFETCH(QString, text);
    QFETCH(int, width);
    QFETCH(int, maxLines);
    QFETCH(QStringList, lines);
    QCOMPARE(carddraw::wrapAspect(text, width, tenEach, maxLines), lines);
}

void TestCardPicture::aspectMaxLines_data()
{
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("lineHeight");
    QTest::addColumn<int>("lines");
    QTest::newRow("aspect box") << 45 << 13 << 3;
    QTest::newRow("exact multiple") << 45 << 15 << 2;
    QTest::newRow("low box still prints one") << 10 << 13 << 1;
}

void TestCardPicture::aspectMaxLines()
{
    QFETCH(int, height);
    QFETCH(int, lineHeight);
    QFETCH(int, lines);
    QCOMPARE(carddraw::aspectMaxLines(height, lineHeight), lines);
}

void TestCardPicture::aspectDrawnInItsBox()
{
    CardView v = water();
    v.aspect = QString(200, QLatin1Char('M'));
    const QImage image = carddraw::creimage(v);
    // Text in the box, nothing below it.
    QVERIFY(countPixels(image, QRect(224, 144, 225, 45), isDark) > 100);
    QCOMPARE(countPixels(image, QRect(224, 190, 225, 4), isDark), 0);
}

QTEST_MAIN(TestCardPicture)
#include "tst_cardpicture.moc"
